#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/live/system_root.h"
#include "platform/registry/hive.h"

namespace zelkora::platform::registry {

// Where the live hive is read from; tests point these at a tree of their own.
struct LiveHiveSources {
    std::filesystem::path sysfsRoot = hostPath("sys");
    // The first of these that exists names the devices.
    std::vector<std::filesystem::path> pciIds = {dataFilePath("/usr/share/misc/pci.ids"),
                                                 dataFilePath("/usr/share/hwdata/pci.ids")};
    // The version given to drivers that report none; empty: the running kernel's.
    std::string kernelRelease;
};

inline constexpr std::string_view kLiveEnumPath = "SYSTEM\\ControlSet001\\Enum\\PCI";
inline constexpr std::string_view kLiveClassPath = "SYSTEM\\ControlSet001\\Control\\Class";

// The device registry of this host as Windows would hold it: one key per
// PCI function under kLiveEnumPath\VEN_..&DEV_..&SUBSYS_..&REV_..\<instance>
// with DeviceDesc from pci.ids, and for a function bound to a kernel driver a
// "Driver" value holding the whole path (below HKEY_LOCAL_MACHINE) of its
// driver's class key. Unreadable parts of sysfs are skipped.
std::unique_ptr<Hive> buildLiveHive(const LiveHiveSources& sources);

// What the hive's device keys are made from, cheap to read: the functions
// sysfs lists, each with its node and bound driver. A function added,
// removed, replaced or bound to another driver changes it.
std::string liveDeviceSignature(const LiveHiveSources& sources);

}  // namespace zelkora::platform::registry
