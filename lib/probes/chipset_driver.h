#pragma once

#include <optional>
#include <string>

#include "zelkora/sysinfo.h"

namespace zelkora::probes {

struct ChipsetDriverTexts {
    std::string provider = "Unknown";
    std::string version = "Unknown";
    std::string date = "Unknown";
};

// The first host bridge (class 06h, subclass 00h, interface 00h) that a
// fresh PCI enumeration would list, with its address, identifiers, class,
// revision and subsystem. Found on buses 0 to 4 it is read alone and the
// library's PCI list is emptied; otherwise a whole enumeration replaces the
// list. Either way earlier positions in the list end.
std::optional<PCIDeviceInfo> findHostBridge();

// The provider, version and date of the driver bound to `hostBridge`: its
// device key in the registry leads to the driver's class key (ProviderName,
// InfPath), and the information file in the Windows directory's "inf" folder
// gives "DriverVer" ("date,version") of section "Version"; on the live host
// a class key without an information file gives "DriverVersion". What cannot
// be found stays "Unknown"; nothing is read on Windows NT 4.0.
ChipsetDriverTexts readChipsetDriver(const PCIDeviceInfo& hostBridge);

}  // namespace zelkora::probes
