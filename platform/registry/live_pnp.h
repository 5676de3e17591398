#pragma once

#include <filesystem>

#include "platform/registry/hive.h"

namespace zelkora::platform::registry {

inline constexpr std::string_view kLiveAcpiEnumPath = "SYSTEM\\ControlSet001\\Enum\\ACPI";

// The legacy devices the firmware describes (/sys/bus/pnp/devices: serial
// and parallel ports, floppy controller, ...) as the ACPI enumerator's keys,
// kLiveAcpiEnumPath\PNP0501\<instance> with DeviceDesc, and FriendlyName for
// ports. Instances count from 1 per identifier; serial ports in the order of
// their ttyS numbers, which also name them ("Communications Port (COM1)" for
// ttyS0). Devices whose identifier is not of the "PNPxxxx" form are skipped.
void addPnpDevices(Hive& hive, const std::filesystem::path& pnpDevices);

}  // namespace zelkora::platform::registry
