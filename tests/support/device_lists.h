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

// One record as a line, so that a test compares a whole record at once.
// Drive: type, model, serial, firmware, then sectors, general configuration, major
// version, PIO and DMA capabilities.
inline std::string driveLine(const IDEDeviceInfo& r) {
    char text[128];
    std::snprintf(text, sizeof text, "%02X %s|%s|%s|%u %04X %04X %04X %04X", r.DeviceType,
                  r.ModelNumber, r.SerialNumber, r.FirmwareRev, r.TotalSectors, r.GenCfgInfo,
                  r.MajorVersion, r.PIOCapability, r.DMACapability);
    return text;
}
inline std::vector<std::string> driveLines() {
    std::vector<std::string> lines;
    for (const auto& r : ideRecords())
        lines.push_back(driveLine(r));
    return lines;
}
// Board: model, revision, date, BIOS vendor, BIOS revision, ROM size in KiB.
inline std::string boardLine(const MotherBoardInfo& b) {
    char text[192];
    std::snprintf(text, sizeof text, "%s|%s|%s|%s|%s|%u", b.ModelName, b.RevisionVer, b.ReleaseDate,
                  b.BIOSVendor, b.BIOSRevision, b.BIOSRomSize);
    return text;
}
// Processor: version, speed, external clock, ratio, socket.
inline std::string cpuLine(const ProcessorInfo& c) {
    char text[128];
    std::snprintf(text, sizeof text, "%s|%u|%u|%.1f|%s", c.CPUVersionStr, c.CPUSpeed,
                  c.CPUExtendedClock, static_cast<double>(c.CPURatio), c.CPUSocketType);
    return text;
}

}  // namespace zelkora::testing
