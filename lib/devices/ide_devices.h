#pragma once

#include <array>
#include <cstdint>

#include "common/port_io.h"
#include "zelkora/sysinfo.h"

namespace zelkora::devices {

inline constexpr uint8_t kDeviceTypeAta = 0xAA;
inline constexpr uint8_t kDeviceTypeAtapi = 0x55;
inline constexpr uint16_t kCapabilityNotReported = 0x55AA;

// Sends one identify command to the drive at the record's position and
// fills the record from the answer. False when nothing answered.
bool IdentifyDrive(common::PortIo& ports, IDEDeviceInfo& record, uint8_t command);

// The four positions (primary master, primary slave, secondary master,
// secondary slave), each probed with A1h and, failing that, with ECh.
std::array<IDEDeviceInfo, 4> enumerateIdeDevices(common::PortIo& ports);

}  // namespace zelkora::devices
