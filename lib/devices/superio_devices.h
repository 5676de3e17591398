#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/port_io.h"
#include "zelkora/sysinfo.h"

namespace zelkora::devices {

// One of the eight standard logical devices, in enumeration order.
struct SuperIoDeviceRow {
    uint16_t pnpId;
    std::string_view fileKey;  // the logical device key of the chip description file
    std::string_view classText;
};

inline constexpr uint16_t kPnpFloppy = 0x0700, kPnpSerial = 0x0501, kPnpInfrared = 0x0510,
                          kPnpParallel = 0x0400, kPnpEcpParallel = 0x0401, kPnpMidi = 0xB006,
                          kPnpGamePort = 0xB02F;

inline constexpr std::string_view kUartAKey = "UART A Logical Device Number";
inline constexpr std::string_view kUartBKey = "UART B Logical Device Number";
inline constexpr std::string_view kMidiKey = "Midi Port Logical Device Number";
inline constexpr std::string_view kGamePortKey = "Game Port Logical Device Number";

inline constexpr std::array<SuperIoDeviceRow, 8> kSuperIoDeviceRows = {{
    {kPnpFloppy, "FDC Logical Device Number", "Floppy controller device"},
    {kPnpSerial, kUartAKey, "Serial port device"},
    {kPnpSerial, kUartBKey, "Serial port device"},
    {kPnpInfrared, "CIR Logical Device Number", "Infra Red port device"},
    {kPnpParallel, "Parallel Port Logical Device Number", "Parallel port device"},
    {kPnpEcpParallel, "Parallel Port Logical Device Number", "Parallel port device"},
    {kPnpMidi, kMidiKey, "Midi port device"},
    {kPnpGamePort, kGamePortKey, "Game port device"},
}};

inline constexpr uint8_t kNoLogicalDevice = 255;
inline constexpr std::string_view kChipDescriptionFile = "SuperIOInfo.txt";

// The logical devices of the board's Super-I/O chip, or of the VIA south
// bridge's built-in one when no chip answers. `manufacturer` is the
// library's manufacturer text: it selects the access method and is left
// holding the last one found. A bare file name lies beside the program.
std::vector<SuperIODeviceInfo> enumerateSuperIoDevices(
    common::PortIo& ports, std::string& manufacturer,
    std::string_view descriptionFile = kChipDescriptionFile);

// The class text of the record's PnPIDCopy, into DeviceClass.
void LookUpSuperIOClassText(SuperIODeviceInfo& record);

}  // namespace zelkora::devices
