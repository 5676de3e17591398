/* A C program of the library's users, built against the public header only:
 * opens the library, prints what it reports as key=value lines, and checks
 * that a register written through SetPortVal reads back through GetPortVal.
 * Exit status: 0 success, 1 the library did not open, 2 a call failed. */
#include <stdio.h>
#include <string.h>

#include "zelkora/sysinfo.h"

/* PCI configuration mechanism 1: address at 0CF8h, data at 0CFCh. */
#define CONFIG_ADDRESS 0x0CF8
#define CONFIG_DATA 0x0CFC

static int check(int ok, const char* call) {
    if (!ok) fprintf(stderr, "sysinfo_c_client: %s failed\n", call);
    return ok;
}

/* Writes a scratch dword of 00:00.0 (offset 44h), moves the address away,
 * and reads the dword back. */
static int registerReadsBack(void) {
    const uint32_t address = 0x80000044u;
    const uint32_t pattern = 0x5AA5C33Cu;
    uint32_t value = 0;
    if (!check(SetPortVal(CONFIG_ADDRESS, address, 4), "SetPortVal") ||
        !check(SetPortVal(CONFIG_DATA, pattern, 4), "SetPortVal") ||
        !check(SetPortVal(CONFIG_ADDRESS, 0x80000800u, 4), "SetPortVal") ||
        !check(SetPortVal(CONFIG_ADDRESS, address, 4), "SetPortVal") ||
        !check(GetPortVal(CONFIG_DATA, &value, 4), "GetPortVal")) {
        return 0;
    }
    printf("ConfigReadBack=%08X\n", (unsigned)value);
    return value == pattern;
}

int main(void) {
    GeneralInfo general;
    MemoryInfo memory;
    OSVersionInfo os;
    ProcessorInfo processor;
    MotherBoardInfo board;
    DevicePos pos;
    int status = 0;

    if (InitializeSysInfoLib() != 1) return 1;

    memset(&general, 0, sizeof general);
    memset(&memory, 0, sizeof memory);
    memset(&os, 0, sizeof os);
    memset(&processor, 0, sizeof processor);
    memset(&board, 0, sizeof board);
    if (!check(GetGeneralInfo(&general), "GetGeneralInfo") ||
        !check(GetMemoryInfo(&memory), "GetMemoryInfo") ||
        !check(GetOSVersionInfo(&os), "GetOSVersionInfo") ||
        !check(GetProcessorInfo(&processor), "GetProcessorInfo") ||
        !check(GetMotherBoardInfo(&board), "GetMotherBoardInfo")) {
        status = 2;
    }
    printf("ComputerName=%s\nCurrentDateTime=%s\nLocalLanguage=%s\n", general.ComputerName,
           general.CurrentDateTime, general.LocalLanguage);
    printf("TotalPhysicalMem=%u\nOSNameString=%s\n", (unsigned)memory.TotalPhysicalMem,
           os.OSNameString);
    printf("CPUVendorID=%s\nBIOSVendor=%s\nModelName=%s\nChipsetDriverProvider=%s\n",
           processor.CPUVendorID, board.BIOSVendor, board.ModelName, board.ChipsetDriverProvider);

    for (pos = GetFirstIDEDevicePos(); pos;) {
        IDEDeviceInfo drive;
        memset(&drive, 0, sizeof drive);
        GetNextIDEDevice(&drive, &pos);
        printf("IDE%u=%02X,%s\n", (unsigned)drive.Position, (unsigned)drive.DeviceType,
               drive.ModelNumber);
    }
    for (pos = GetFirstPCIDevicePos(); pos;) {
        PCIDeviceInfo device;
        memset(&device, 0, sizeof device);
        GetNextPCIDevice(&device, &pos);
        printf("PCI%02X:%02X.%X=%04X,%04X,%s\n", (unsigned)device.Bus, (unsigned)device.Device,
               (unsigned)device.Function, (unsigned)device.VendorID, (unsigned)device.DeviceID,
               device.Description);
    }
    for (pos = GetFirstSuperIOPos(); pos;) {
        SuperIODeviceInfo device;
        memset(&device, 0, sizeof device);
        GetNextSuperIO(&device, &pos);
        printf("SuperIO=%s,%04X,%s\n", device.ChipType, (unsigned)device.PnPID, device.Description);
    }
    if (!registerReadsBack()) status = 2;
    if (!check(UninitializeSysInfoLib() == 1, "UninitializeSysInfoLib")) status = 2;
    return status;
}
