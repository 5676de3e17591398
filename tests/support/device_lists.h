#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "zelkora/sysinfo.h"

namespace zelkora::testing {

// Every record of one of the library's device lists, from its first position.
template <typename Record>
std::vector<Record> deviceList(DevicePos (*first)(), Record* (*next)(Record*, DevicePos*)) {
    std::vector<Record> records;
    for (DevicePos pos = first(); pos;)
        next(&records.emplace_back(), &pos);
    return records;
}

inline std::vector<IDEDeviceInfo> ideRecords() {
    return deviceList(GetFirstIDEDevicePos, GetNextIDEDevice);
}
inline std::vector<PCIDeviceInfo> pciRecords() {
    return deviceList(GetFirstPCIDevicePos, GetNextPCIDevice);
}
inline std::vector<SuperIODeviceInfo> superIoRecords() {
    return deviceList(GetFirstSuperIOPos, GetNextSuperIO);
}

// "bb:dd.f", as lspci and sysfs name a function.
inline std::string pciAddress(const PCIDeviceInfo& r) {
    char text[16];
    std::snprintf(text, sizeof text, "%02x:%02x.%x", r.Bus, r.Device, r.Function);
    return text;
}

}  // namespace zelkora::testing
