#pragma once

// The fixed I/O ports and physical addresses of the PC platform that the
// library, the driver's backends and the machine capture all reach.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelkora::hardware {

// PCI configuration mechanism 1: the address register and the data window
// (0CFCh-0CFFh; byte n of the selected dword at 0CFCh + n).
inline constexpr uint16_t kPciAddressPort = 0xCF8;
inline constexpr uint16_t kPciDataPort = 0xCFC;
// Bit 31 of an address written to kPciAddressPort: configuration access on.
inline constexpr uint32_t kPciConfigEnable = 0x8000'0000;

// The BIOS segment F0000h-FFFFFh, where the SMBIOS entry point is searched.
inline constexpr uint32_t kBiosSegment = 0xF0000;
inline constexpr uint32_t kBiosSegmentSize = 0x10000;
inline constexpr uint32_t kBiosSegmentEnd = kBiosSegment + kBiosSegmentSize;
// The BIOS identification text: 80 bytes at FE0C1h-FE110h, offset E0C1h in
// the segment.
inline constexpr uint32_t kBiosIdentificationAddress = 0xFE0C1;
inline constexpr uint32_t kBiosIdentificationOffset = kBiosIdentificationAddress - kBiosSegment;
inline constexpr size_t kBiosIdentificationLength = 80;

// The two legacy IDE channels' command blocks (task files).
inline constexpr uint16_t kPrimaryIdeBase = 0x1F0;
inline constexpr uint16_t kSecondaryIdeBase = 0x170;
// Registers of a task file, as offsets from its base.
inline constexpr uint16_t kIdeDataRegister = 0;
inline constexpr uint16_t kIdeDriveSelectRegister = 6;
inline constexpr uint16_t kIdeStatusRegister = 7;  // the command register when written
inline constexpr uint16_t kIdeTaskFileSize = 8;
// Drive select values of the master and the slave drive.
inline constexpr uint8_t kIdeSelectMaster = 0xA0;
inline constexpr uint8_t kIdeSelectSlave = 0xB0;
// Status register bits.
inline constexpr uint8_t kIdeBusy = 0x80, kIdeReady = 0x40, kIdeSeekComplete = 0x10,
                         kIdeDataRequest = 0x08, kIdeError = 0x01;
// The identify commands of an ATA and of an ATAPI drive.
inline constexpr uint8_t kIdentifyDevice = 0xEC;
inline constexpr uint8_t kIdentifyPacketDevice = 0xA1;

// Super-I/O configuration index ports (the data port is the next one).
inline constexpr uint16_t kSuperIoPort2E = 0x2E;
inline constexpr uint16_t kSuperIoPort4E = 0x4E;
inline constexpr uint16_t kSuperIoPort370 = 0x370;
inline constexpr uint16_t kSuperIoPort3F0 = 0x3F0;
// The order in which a chip's configuration port is looked for.
inline constexpr std::array<uint16_t, 4> kSuperIoPorts{kSuperIoPort2E, kSuperIoPort4E,
                                                       kSuperIoPort370, kSuperIoPort3F0};

}  // namespace zelkora::hardware
