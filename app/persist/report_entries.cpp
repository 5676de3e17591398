#include "app/persist/report_entries.h"

#include <array>
#include <cstdarg>
#include <cstdio>

#include "common/fixed_text.h"
#include "common/profile_file.h"

namespace zelkora::persist {

namespace {

using common::fieldText;

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
std::string signed32(uint32_t value) {
    return std::to_string(static_cast<int32_t>(value));
}

class Entries {
  public:
    explicit Entries(std::vector<ReportEntry>& entries) : entries_(entries) {}
    void section(std::string_view name) { section_ = name; }
    void add(std::string key, std::string_view value) {
        entries_.push_back({section_, std::move(key), std::string(value)});
    }
    void add(std::string key, int64_t value) { add(std::move(key), std::to_string(value)); }

  private:
    std::vector<ReportEntry>& entries_;
    std::string_view section_;
};

void addGeneral(Entries& out, const GeneralInfo& info) {
    out.section("General Information");
    out.add("ComputerName", fieldText(info.ComputerName));
    out.add("CurrentUser", fieldText(info.CurrentUser));
    out.add("CurrentDataTime", fieldText(info.CurrentDateTime));
    out.add("LocalLanguage", fieldText(info.LocalLanguage));
}

void addOs(Entries& out, const OSVersionInfo& info) {
    out.section("OS Information");
    out.add("OSNameString", fieldText(info.OSNameString));
    out.add("OtherInfomation", fieldText(info.OtherInfo));
    out.add("MajorVersion", signed32(info.MajorVersion));
    out.add("MinorVersion", signed32(info.MinorVersion));
    out.add("BuilderNumber", signed32(info.BuildNumber));
}

void addProcessor(Entries& out, const ProcessorInfo& info) {
    out.section("Processor Information");
    out.add("CPUVersionStr", fieldText(info.CPUVersionStr));
    out.add("CPUVendorID", fieldText(info.CPUVendorID));
    out.add("CPUSocketType", fieldText(info.CPUSocketType));
    out.add("CPUFamily", info.CPUFamily);
    out.add("CPUModel", info.CPUModel);
    out.add("CPUStepping", info.CPUStepping);
    out.add("CPUSpeed", info.CPUSpeed);
    out.add("CPUExtendedClock", info.CPUExtendedClock);
    out.add("CPURatio", common::profileRealText(info.CPURatio));
    out.add("CPUFeature", signed32(info.CPUFeature));
}

void addMemory(Entries& out, const MemoryInfo& info) {
    out.section("Memory Information");
    out.add("TotalPhysicalMem", signed32(info.TotalPhysicalMem));
    out.add("AvailPhysicalMem", signed32(info.AvailPhysicalMem));
    out.add("TotalPageFiles", signed32(info.TotalPageFiles));
}

void addBoard(Entries& out, const MotherBoardInfo& info, EntryStyle style) {
    out.section("Motherboard Information");
    out.add("Manufacture", fieldText(info.Manufacture));
    out.add("ModelName", fieldText(info.ModelName));
    out.add("RevisionVer", fieldText(info.RevisionVer));
    out.add("ReleaseDate", fieldText(info.ReleaseDate));
    out.add("BIOSVendor", fieldText(info.BIOSVendor));
    out.add("BIOSRevision", fieldText(info.BIOSRevision));
    out.add("BIOSRomSize", info.BIOSRomSize);
    if (style == EntryStyle::Report) return;
    out.add("ChipsetDriverProvider", fieldText(info.ChipsetDriverProvider));
    out.add("ChipsetDriverVersion", fieldText(info.ChipsetDriverVersion));
    out.add("ChipsetDriverDate", fieldText(info.ChipsetDriverDate));
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

void addDrives(Entries& out, const MachineModel& model) {
    std::string_view section;
    for (const IDEDeviceInfo& drive : model.drives) {
        section = ideSection(drive.Position, section);
        out.section(section);
        const bool none = model.isEmptyPosition(drive);
        const auto text = [none](std::string_view value) { return none ? "None" : value; };
        const auto number = [none](int64_t value) { return none ? 0 : value; };
        out.add("FirmwareRev", text(fieldText(drive.FirmwareRev)));
        out.add("ModelNumber", text(fieldText(drive.ModelNumber)));
        out.add("SerialNumber", text(fieldText(drive.SerialNumber)));
        out.add("DeviceType", number(drive.DeviceType));
        out.add("GenCfgInfo", number(drive.GenCfgInfo));
        out.add("MajorVersion", number(drive.MajorVersion));
        out.add("PIOCapability", number(drive.PIOCapability));
        out.add("DMACapability", number(drive.DMACapability));
        out.add("TotalSectors", none ? "0" : signed32(drive.TotalSectors));
    }
}

void addPci(Entries& out, const std::vector<PCIDeviceInfo>& functions) {
    out.section("PCIDevice List");
    for (const PCIDeviceInfo& device : functions) {
        const std::string key =
            format("Bus%2.2XDev%2.2XFun%2.2X", device.Bus, device.Device, device.Function);
        out.add(key, format("%2.2X,%2.2X,%2.2X,%4.4X,%4.4X,%8.8X,%2.2X,%2.2X,%2.2X,%2.2X,%2.2X",
                            device.Bus, device.Device, device.Function, device.VendorID,
                            device.DeviceID, device.Subsystem, device.BaseClass, device.SubClass,
                            device.ProgIf, device.Revision, device.IRQ));
        out.add(key + "DeviceClass", fieldText(device.ClassText));
        out.add(key + "DeviceDesc", fieldText(device.Description));
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

bool sameChip(const SuperIODeviceInfo& a, const SuperIODeviceInfo& b) {
    return fieldText(a.ChipType) == fieldText(b.ChipType) && a.ChipID == b.ChipID &&
           a.ChipRevision == b.ChipRevision;
}

void addSuperIo(Entries& out, const std::vector<SuperIODeviceInfo>& devices, EntryStyle style) {
    out.section("Super-I/O List");
    const SuperIODeviceInfo* previous = nullptr;
    for (const SuperIODeviceInfo& device : devices) {
        if (style == EntryStyle::Report || !previous || !sameChip(*previous, device)) {
            out.add("Super-I/O Type", fieldText(device.ChipType));
            out.add("Device ID", format("%2.2X", device.ChipID));
            out.add("Device Revision", format("%2.2X", device.ChipRevision));
        }
        previous = &device;
        if (device.PnPID == 0) continue;
        const std::string prefix = format("PNP%4.4X %1.1X ", device.PnPID, device.Instance);
        out.add(prefix + "DeviceDesc", fieldText(device.Description));
        out.add(prefix + "I/O Address", ioRanges(device));
        out.add(prefix + "DeviceClass", fieldText(device.DeviceClass));
    }
}

}  // namespace

std::vector<ReportEntry> reportEntries(const MachineModel& model, EntryStyle style) {
    std::vector<ReportEntry> entries;
    Entries out(entries);
    using enum MachineSection;
    if (model.has(General)) addGeneral(out, model.general);
    if (model.has(Os)) addOs(out, model.os);
    if (model.has(Processor)) addProcessor(out, model.processor);
    if (model.has(Memory)) addMemory(out, model.memory);
    if (model.has(Board)) addBoard(out, model.board, style);
    if (model.has(Ide)) addDrives(out, model);
    if (model.has(Pci)) addPci(out, model.pciFunctions);
    if (model.has(SuperIo)) addSuperIo(out, model.superIoDevices, style);
    return entries;
}

}  // namespace zelkora::persist
