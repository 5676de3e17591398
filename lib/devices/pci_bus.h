#pragma once

#include <vector>

#include "common/port_io.h"
#include "lib/devices/pci_description_source.h"
#include "zelkora/sysinfo.h"

namespace zelkora::devices {

inline constexpr char kPciDescriptionFailure[] = "Error in reading PCI description information!";

// Scans buses 0 to 4 through configuration mechanism 1, then every higher bus
// (up to 255) that a PCI-to-PCI or CardBus bridge found on the way names as
// its secondary to subordinate bus, and returns one record per function, in
// bus, device, function order, without the copies that single-function
// devices show on other function numbers.
std::vector<PCIDeviceInfo> scanPciBus(common::PortIo& ports, PciDescriptionSource& descriptions);

}  // namespace zelkora::devices
