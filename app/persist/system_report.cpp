#include "app/persist/system_report.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <string_view>
#include <vector>

#include "common/fixed_text.h"
#include "common/profile_file.h"

namespace zelkora::persist {

namespace {

using common::fieldText;
using common::ProfileFile;

// printf-style formatting into a string; every text here is short.
[[gnu::format(printf, 1, 2)]] std::string format(const char* pattern, ...) {
    std::array<char, 160> text{};
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(text.data(), text.size(), pattern, arguments);
    va_end(arguments);
    return text.data();
}

// 32-bit values go in as "%d": the top bit set makes them negative.
int32_t signed32(uint32_t value) {
    return static_cast<int32_t>(value);
}

void writeGeneral(ProfileFile& profile) {
    GeneralInfo info{};
    GetGeneralInfo(&info);
    const std::string_view section = "General Information";
    profile.writeString("ComputerName", fieldText(info.ComputerName), section);
    profile.writeString("CurrentUser", fieldText(info.CurrentUser), section);
    profile.writeString("CurrentDataTime", fieldText(info.CurrentDateTime), section);
    profile.writeString("LocalLanguage", fieldText(info.LocalLanguage), section);
}

void writeOs(ProfileFile& profile) {
    OSVersionInfo info{};
    GetOSVersionInfo(&info);
    const std::string_view section = "OS Information";
    profile.writeString("OSNameString", fieldText(info.OSNameString), section);
    profile.writeString("OtherInfomation", fieldText(info.OtherInfo), section);
    profile.writeInteger("MajorVersion", signed32(info.MajorVersion), section);
    profile.writeInteger("MinorVersion", signed32(info.MinorVersion), section);
    profile.writeInteger("BuilderNumber", signed32(info.BuildNumber), section);
}

void writeProcessor(ProfileFile& profile) {
    ProcessorInfo info{};
    GetProcessorInfo(&info);
    const std::string_view section = "Processor Information";
    profile.writeString("CPUVersionStr", fieldText(info.CPUVersionStr), section);
    profile.writeString("CPUVendorID", fieldText(info.CPUVendorID), section);
    profile.writeString("CPUSocketType", fieldText(info.CPUSocketType), section);
    profile.writeInteger("CPUFamily", info.CPUFamily, section);
    profile.writeInteger("CPUModel", info.CPUModel, section);
    profile.writeInteger("CPUStepping", info.CPUStepping, section);
    profile.writeInteger("CPUSpeed", info.CPUSpeed, section);
    profile.writeInteger("CPUExtendedClock", info.CPUExtendedClock, section);
    profile.writeReal("CPURatio", info.CPURatio, section);
    profile.writeInteger("CPUFeature", signed32(info.CPUFeature), section);
}

void writeMemory(ProfileFile& profile) {
    MemoryInfo info{};
    GetMemoryInfo(&info);
    const std::string_view section = "Memory Information";
    profile.writeInteger("TotalPhysicalMem", signed32(info.TotalPhysicalMem), section);
    profile.writeInteger("AvailPhysicalMem", signed32(info.AvailPhysicalMem), section);
    profile.writeInteger("TotalPageFiles", signed32(info.TotalPageFiles), section);
}

void writeMotherboard(ProfileFile& profile) {
    MotherBoardInfo info{};
    GetMotherBoardInfo(&info);
    const std::string_view section = "Motherboard Information";
    profile.writeString("Manufacture", fieldText(info.Manufacture), section);
    profile.writeString("ModelName", fieldText(info.ModelName), section);
    profile.writeString("RevisionVer", fieldText(info.RevisionVer), section);
    profile.writeString("ReleaseDate", fieldText(info.ReleaseDate), section);
    profile.writeString("BIOSVendor", fieldText(info.BIOSVendor), section);
    profile.writeString("BIOSRevision", fieldText(info.BIOSRevision), section);
    profile.writeInteger("BIOSRomSize", info.BIOSRomSize, section);
}

// The section of an IDE position; any other position keeps the one before.
std::string_view ideSection(uint8_t position, std::string_view previous) {
    switch (position) {
        case 1:
            return "Primary Master";
        case 2:
            return "Primary Slaver";
        case 4:
            return "Secondary Master";
        case 8:
            return "Secondary Slaver";
        default:
            return previous;
    }
}

void writeIdeRecord(ProfileFile& profile, const IDEDeviceInfo& drive, std::string_view section,
                    bool emptyAsNone) {
    const bool none = emptyAsNone && drive.DeviceType == 0;
    const auto text = [none](std::string_view value) { return none ? "None" : value; };
    const auto number = [none](int32_t value) { return none ? 0 : value; };
    profile.writeString("FirmwareRev", text(fieldText(drive.FirmwareRev)), section);
    profile.writeString("ModelNumber", text(fieldText(drive.ModelNumber)), section);
    profile.writeString("SerialNumber", text(fieldText(drive.SerialNumber)), section);
    profile.writeInteger("DeviceType", number(drive.DeviceType), section);
    profile.writeInteger("GenCfgInfo", number(drive.GenCfgInfo), section);
    profile.writeInteger("MajorVersion", number(drive.MajorVersion), section);
    profile.writeInteger("PIOCapability", number(drive.PIOCapability), section);
    profile.writeInteger("DMACapability", number(drive.DMACapability), section);
    profile.writeInteger("TotalSectors", number(signed32(drive.TotalSectors)), section);
}

void writeIde(ProfileFile& profile, std::span<const IDEDeviceInfo> pageRecords) {
    std::vector<IDEDeviceInfo> walked;
    const bool fromPage = !pageRecords.empty();
    if (!fromPage) {
        for (DevicePos pos = GetFirstIDEDevicePos(); pos;)
            GetNextIDEDevice(&walked.emplace_back(), &pos);
    }
    std::string_view section;
    for (const IDEDeviceInfo& drive : fromPage ? pageRecords : std::span(walked)) {
        section = ideSection(drive.Position, section);
        writeIdeRecord(profile, drive, section, !fromPage);
    }
}

void writePci(ProfileFile& profile) {
    const std::string_view section = "PCIDevice List";
    for (DevicePos pos = GetFirstPCIDevicePos(); pos;) {
        PCIDeviceInfo device{};
        GetNextPCIDevice(&device, &pos);
        const std::string key =
            format("Bus%2.2XDev%2.2XFun%2.2X", device.Bus, device.Device, device.Function);
        profile.writeString(
            key,
            format("%2.2X,%2.2X,%2.2X,%4.4X,%4.4X,%8.8X,%2.2X,%2.2X,%2.2X,%2.2X,%2.2X", device.Bus,
                   device.Device, device.Function, device.VendorID, device.DeviceID,
                   device.Subsystem, device.BaseClass, device.SubClass, device.ProgIf,
                   device.Revision, device.IRQ),
            section);
        profile.writeString(key + "DeviceClass", fieldText(device.ClassText), section);
        profile.writeString(key + "DeviceDesc", fieldText(device.Description), section);
    }
}

std::string ioRanges(const SuperIODeviceInfo& device) {
    if (device.IOStart2 != 0) {
        return format("%4.4Xh - %4.4Xh;%4.4Xh - %4.4Xh", device.IOStart, device.IOEnd,
                      device.IOStart2, device.IOEnd2);
    }
    if (device.IOStart != 0) return format("%4.4Xh - %4.4Xh", device.IOStart, device.IOEnd);
    return "-";
}

void writeSuperIo(ProfileFile& profile) {
    const std::string_view section = "Super-I/O List";
    for (DevicePos pos = GetFirstSuperIOPos(); pos;) {
        SuperIODeviceInfo device{};
        GetNextSuperIO(&device, &pos);
        // Every record carries the chip's identity: the last one walked stays.
        profile.writeString("Super-I/O Type", fieldText(device.ChipType), section);
        profile.writeString("Device ID", format("%2.2X", device.ChipID), section);
        profile.writeString("Device Revision", format("%2.2X", device.ChipRevision), section);
        if (device.PnPID == 0) continue;
        const std::string prefix = format("PNP%4.4X %1.1X ", device.PnPID, device.Instance);
        profile.writeString(prefix + "DeviceDesc", fieldText(device.Description), section);
        profile.writeString(prefix + "I/O Address", ioRanges(device), section);
        profile.writeString(prefix + "DeviceClass", fieldText(device.DeviceClass), section);
    }
}

}  // namespace

bool writeSystemReport(const std::string& path, std::span<const IDEDeviceInfo> ideRecords,
                       std::string* problem) {
    ProfileFile profile(true);
    profile.setFile(path);
    writeGeneral(profile);
    writeOs(profile);
    writeProcessor(profile);
    writeMemory(profile);
    writeMotherboard(profile);
    writeIde(profile, ideRecords);
    writePci(profile);
    writeSuperIo(profile);
    if (profile.flush()) return true;
    if (problem) *problem = profile.writeProblem();
    return false;
}

}  // namespace zelkora::persist
