/* Zelkora system information library: the exported interface.
 *
 * Records are plain structures with natural alignment; the caller allocates
 * them and the library fills them. Texts are NUL-terminated single-byte
 * strings in fixed-size arrays. Calls return 1 for success and 0 for failure;
 * enumerations hand out positions that are null at the end of the list.
 */
#ifndef ZELKORA_SYSINFO_H
#define ZELKORA_SYSINFO_H

#include <stdint.h>

#if defined(ZELKORA_SYSINFO_BUILDING)
#define ZELKORA_API __attribute__((visibility("default")))
#else
#define ZELKORA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque position in one of the library's result lists; null at the end. */
typedef void* DevicePos;

typedef struct GeneralInfo {
    char ComputerName[25];
    char CurrentUser[25];
    char CurrentDateTime[25];
    char LocalLanguage[25];
} GeneralInfo;

typedef struct MemoryInfo {
    uint32_t TotalPhysicalMem;
    uint32_t AvailPhysicalMem;
    uint32_t TotalPageFiles;
} MemoryInfo;

typedef struct OSVersionInfo {
    uint32_t MajorVersion;
    uint32_t MinorVersion;
    uint32_t BuildNumber;
    char OSNameString[64];
    char OtherInfo[64];
} OSVersionInfo;

typedef struct ProcessorInfo {
    uint8_t CPUFamily;
    uint8_t CPUModel;
    uint8_t CPUStepping;
    uint16_t CPUSpeed;
    uint16_t CPUExtendedClock;
    float CPURatio;
    uint32_t CPUFeature;
    char CPUVendorID[13];
    char CPUSocketType[12];
    char CPUVersionStr[25];
} ProcessorInfo;

typedef struct MotherBoardInfo {
    uint16_t BIOSRomSize;
    char Manufacture[20];
    char ModelName[20];
    char RevisionVer[10];
    char ReleaseDate[20];
    char BIOSVendor[50];
    char BIOSRevision[10];
    char ChipsetDriverProvider[30];
    char ChipsetDriverVersion[15];
    char ChipsetDriverDate[20];
} MotherBoardInfo;

typedef struct IDEDeviceInfo {
    uint8_t Position;   /* 1, 2, 4, 8: primary master/slave, secondary master/slave */
    uint8_t DeviceType; /* 0 none, 0xAA ATA, 0x55 ATAPI */
    uint16_t GenCfgInfo;
    uint16_t MajorVersion;
    uint16_t PIOCapability; /* 0x55AA when the drive does not report it */
    uint16_t DMACapability; /* 0x55AA when the drive does not report it */
    uint32_t TotalSectors;
    char SerialNumber[21];
    char FirmwareRev[9];
    char ModelNumber[41];
} IDEDeviceInfo;

typedef struct PCIRegisterField {
    uint8_t Width; /* 1, 2 or 4 bytes */
    uint16_t Offset;
    uint8_t WriteMask; /* 0xFF writable, 0x00 read-only */
    uint8_t Flags;
} PCIRegisterField;

typedef struct PCIDeviceInfo {
    uint8_t Layout; /* 0x00 standard header, 0xFF any other header type */
    uint8_t Bus;
    uint8_t Device;
    uint8_t Function;
    uint16_t VendorID;
    uint16_t DeviceID;
    uint32_t Subsystem;
    uint8_t BaseClass;
    uint8_t SubClass;
    uint8_t ProgIf;
    uint8_t Revision;
    uint8_t IRQ;
    uint8_t Config[256];
    char ClassText[50];
    char Description[50];
    PCIRegisterField Type0Registers[76];
    PCIRegisterField Type1Registers[82];
} PCIDeviceInfo;

typedef struct SuperIODeviceInfo {
    uint8_t Instance;
    uint16_t PnPID;
    uint16_t ConfigPort;
    uint8_t LogicalDevice;
    uint16_t IOStart;
    uint16_t IOEnd;
    uint16_t IOStart2;
    uint16_t IOEnd2;
    uint16_t PnPIDCopy;
    uint8_t Registers[256];
    uint8_t ChipID;
    uint8_t ChipRevision;
    uint16_t ChipID16;
    uint8_t ChipRevision16;
    char Manufacturer[20];
    char ChipType[50];
    char DeviceClass[50];
    char Description[50];
} SuperIODeviceInfo;

/* Life cycle */
ZELKORA_API int32_t InitializeSysInfoLib(void);
ZELKORA_API int32_t UninitializeSysInfoLib(void);

/* Enumerations */
ZELKORA_API DevicePos GetFirstIDEDevicePos(void);
ZELKORA_API IDEDeviceInfo* GetNextIDEDevice(IDEDeviceInfo* info, DevicePos* pos);
ZELKORA_API DevicePos GetFirstPCIDevicePos(void);
ZELKORA_API PCIDeviceInfo* GetNextPCIDevice(PCIDeviceInfo* info, DevicePos* pos);
ZELKORA_API DevicePos GetFirstSuperIOPos(void);
ZELKORA_API SuperIODeviceInfo* GetNextSuperIO(SuperIODeviceInfo* info, DevicePos* pos);

/* Single records */
ZELKORA_API int32_t GetGeneralInfo(GeneralInfo* info);
ZELKORA_API int32_t GetMemoryInfo(MemoryInfo* info);
ZELKORA_API int32_t GetOSVersionInfo(OSVersionInfo* info);
ZELKORA_API int32_t GetProcessorInfo(ProcessorInfo* info);
ZELKORA_API int32_t GetMotherBoardInfo(MotherBoardInfo* info);
ZELKORA_API int32_t GetLocalLanguageCode(uint8_t* code);

/* The port driver's own operations, passed through unchanged. */
ZELKORA_API int32_t GetPortVal(uint16_t port, uint32_t* value, uint8_t size);
ZELKORA_API int32_t SetPortVal(uint16_t port, uint32_t value, uint8_t size);

/* As GetPortVal, and says which bytes of the value are no reading: bit n of
 * *unread is set when byte n did not come from the hardware (the host refused
 * the read, as Linux refuses configuration bytes past 3Fh to an ordinary user,
 * or does not serve the port). Those bytes hold FFh and must not be taken for
 * the device's value. With a driver that cannot tell, *unread is 0. */
ZELKORA_API int32_t GetPortValChecked(uint16_t port, uint32_t* value, uint8_t size,
                                      uint8_t* unread);

#ifdef __cplusplus
}
#endif

#endif /* ZELKORA_SYSINFO_H */
