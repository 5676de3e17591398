#include "app/persist/machine_json.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <span>

#include "common/fixed_text.h"
#include "registers/pci_decoder.h"

namespace zelkora::persist {

namespace {

using Json = nlohmann::ordered_json;
using common::fieldText;

std::string hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

std::string hexBytes(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const uint8_t byte : bytes)
        text += hex(byte, 2);
    return text;
}

std::string text(std::string_view field) {
    return std::string(field);
}

Json general(const GeneralInfo& info) {
    return {{"computerName", text(fieldText(info.ComputerName))},
            {"currentUser", text(fieldText(info.CurrentUser))},
            {"currentDateTime", text(fieldText(info.CurrentDateTime))},
            {"localLanguage", text(fieldText(info.LocalLanguage))}};
}

Json os(const OSVersionInfo& info) {
    return {{"name", text(fieldText(info.OSNameString))},
            {"otherInfo", text(fieldText(info.OtherInfo))},
            {"majorVersion", info.MajorVersion},
            {"minorVersion", info.MinorVersion},
            {"buildNumber", info.BuildNumber}};
}

Json memory(const MemoryInfo& info) {
    return {{"totalPhysical", info.TotalPhysicalMem},
            {"availablePhysical", info.AvailPhysicalMem},
            {"totalPageFile", info.TotalPageFiles}};
}

Json processor(const ProcessorInfo& info) {
    return {{"version", text(fieldText(info.CPUVersionStr))},
            {"vendor", text(fieldText(info.CPUVendorID))},
            {"socket", text(fieldText(info.CPUSocketType))},
            {"family", info.CPUFamily},
            {"model", info.CPUModel},
            {"stepping", info.CPUStepping},
            {"speedMHz", info.CPUSpeed},
            {"externalClockMHz", info.CPUExtendedClock},
            {"ratio", info.CPURatio},
            {"features", hex(info.CPUFeature, 8)},
            {"featuresId", info.CPUFeature}};
}

Json board(const MotherBoardInfo& info) {
    return {{"manufacturer", text(fieldText(info.Manufacture))},
            {"model", text(fieldText(info.ModelName))},
            {"revision", text(fieldText(info.RevisionVer))},
            {"releaseDate", text(fieldText(info.ReleaseDate))},
            {"biosVendor", text(fieldText(info.BIOSVendor))},
            {"biosRevision", text(fieldText(info.BIOSRevision))},
            {"biosRomSizeKB", info.BIOSRomSize},
            {"chipsetDriver",
             {{"provider", text(fieldText(info.ChipsetDriverProvider))},
              {"version", text(fieldText(info.ChipsetDriverVersion))},
              {"date", text(fieldText(info.ChipsetDriverDate))}}}};
}

std::string_view positionName(uint8_t position) {
    switch (position) {
        case 1:
            return "primary master";
        case 2:
            return "primary slave";
        case 4:
            return "secondary master";
        case 8:
            return "secondary slave";
        default:
            return "unknown";
    }
}

Json drive(const IDEDeviceInfo& info) {
    Json out = {{"position", info.Position},
                {"name", positionName(info.Position)},
                {"present", info.DeviceType != 0}};
    if (info.DeviceType == 0) return out;
    out["kind"] = info.DeviceType == 0xAA ? "ata" : info.DeviceType == 0x55 ? "atapi" : "other";
    out["deviceType"] = info.DeviceType;
    out["model"] = text(fieldText(info.ModelNumber));
    out["serial"] = text(fieldText(info.SerialNumber));
    out["firmware"] = text(fieldText(info.FirmwareRev));
    out["generalConfiguration"] = info.GenCfgInfo;
    out["majorVersion"] = info.MajorVersion;
    out["pioCapability"] = info.PIOCapability;
    out["dmaCapability"] = info.DMACapability;
    out["totalSectors"] = info.TotalSectors;
    return out;
}

Json decodedRegister(const registers::DecodedRegister& reg) {
    Json fields = Json::array();
    for (const registers::DecodedField& field : reg.fields) {
        fields.push_back({{"name", field.name},
                          {"low", field.bits.low},
                          {"high", field.bits.high},
                          {"value", field.value},
                          {"text", field.text}});
    }
    return {{"offset", reg.offset},       {"width", reg.width},
            {"name", reg.name},           {"key", reg.key},
            {"value", reg.value},         {"valueHex", hex(reg.value, 2 * reg.width)},
            {"fields", std::move(fields)}};
}

// The header and the capability list of one function, as the register
// descriptions decode them.
Json decodedFunction(const registers::RegisterBook& book, const PCIDeviceInfo& info) {
    const registers::PciDecoding decoding = registers::decodePciConfig(book, info.Config);
    Json header = Json::array();
    for (const auto& reg : decoding.header)
        header.push_back(decodedRegister(reg));
    Json capabilities = Json::array();
    for (const auto& capability : decoding.capabilities) {
        Json regs = Json::array();
        for (const auto& reg : capability.registers)
            regs.push_back(decodedRegister(reg));
        capabilities.push_back({{"offset", capability.offset},
                                {"id", capability.id},
                                {"name", capability.name},
                                {"key", capability.key},
                                {"registers", std::move(regs)}});
    }
    Json out = {{"header", std::move(header)}, {"capabilities", std::move(capabilities)}};
    if (const auto& problem = decoding.listProblem) {
        out["capabilityListProblem"] = {
            {"at", problem->at}, {"pointer", problem->pointer}, {"text", problem->text}};
    }
    return out;
}

Json pciFunction(const PCIDeviceInfo& info) {
    const uint32_t classCode = uint32_t{info.BaseClass} << 16 | info.SubClass << 8 | info.ProgIf;
    char address[16];
    std::snprintf(address, sizeof address, "%02x:%02x.%x", info.Bus, info.Device, info.Function);
    return {{"address", address},
            {"bus", info.Bus},
            {"slot", info.Device},
            {"function", info.Function},
            {"vendor", hex(info.VendorID, 4)},
            {"vendorId", info.VendorID},
            {"device", hex(info.DeviceID, 4)},
            {"deviceId", info.DeviceID},
            {"subsystem", hex(info.Subsystem, 8)},
            {"subsystemId", info.Subsystem},
            {"class", hex(classCode, 6)},
            {"classId", classCode},
            {"baseClass", info.BaseClass},
            {"subClass", info.SubClass},
            {"progIf", info.ProgIf},
            {"revision", info.Revision},
            {"irq", info.IRQ},
            {"layout", info.Layout == 0 ? "standard" : "other"},
            {"classText", text(fieldText(info.ClassText))},
            {"description", text(fieldText(info.Description))},
            {"config", hexBytes(info.Config)}};
}

Json logicalDevice(const SuperIODeviceInfo& info) {
    Json out = {{"logicalDevice", info.LogicalDevice}};
    if (info.PnPID != 0) {
        char pnp[16];  // as Windows and the report spell it: PNPB02F
        std::snprintf(pnp, sizeof pnp, "PNP%04X", info.PnPID);
        out["pnp"] = pnp;
        out["pnpId"] = info.PnPID;
        out["instance"] = info.Instance;
        out["description"] = text(fieldText(info.Description));
        out["deviceClass"] = text(fieldText(info.DeviceClass));
        Json io = Json::array();
        if (info.IOStart != 0) io.push_back({{"start", info.IOStart}, {"end", info.IOEnd}});
        if (info.IOStart2 != 0) io.push_back({{"start", info.IOStart2}, {"end", info.IOEnd2}});
        out["io"] = std::move(io);
    }
    out["registers"] = hexBytes(info.Registers);
    return out;
}

// Logical devices grouped under their chip, as the walk lists them.
Json superIo(const std::vector<SuperIODeviceInfo>& devices) {
    Json chips = Json::array();
    const SuperIODeviceInfo* chipRecord = nullptr;
    for (const SuperIODeviceInfo& device : devices) {
        if (!chipRecord || fieldText(chipRecord->ChipType) != fieldText(device.ChipType) ||
            chipRecord->ChipID != device.ChipID || chipRecord->ConfigPort != device.ConfigPort) {
            chipRecord = &device;
            chips.push_back({{"type", text(fieldText(device.ChipType))},
                             {"manufacturer", text(fieldText(device.Manufacturer))},
                             {"chip", hex(device.ChipID, 2)},
                             {"chipId", device.ChipID},
                             {"revision", device.ChipRevision},
                             {"chip16", hex(device.ChipID16, 4)},
                             {"chip16Id", device.ChipID16},
                             {"revision16", device.ChipRevision16},
                             {"configPort", device.ConfigPort},
                             {"devices", Json::array()}});
        }
        chips.back()["devices"].push_back(logicalDevice(device));
    }
    return chips;
}

}  // namespace

std::string machineJson(const MachineModel& model, const registers::RegisterBook* decode) {
    Json out = {{"schema", kJsonSchemaVersion}};
    using enum MachineSection;
    if (model.has(General)) out["general"] = general(model.general);
    if (model.has(Os)) out["os"] = os(model.os);
    if (model.has(Memory)) out["memory"] = memory(model.memory);
    if (model.has(Processor)) out["cpu"] = processor(model.processor);
    if (model.has(Board)) out["board"] = board(model.board);
    if (model.has(Ide)) {
        Json drives = Json::array();
        for (const IDEDeviceInfo& record : model.drives)
            drives.push_back(drive(record));
        out["ide"] = std::move(drives);
    }
    if (model.has(Pci)) {
        Json functions = Json::array();
        for (const PCIDeviceInfo& record : model.pciFunctions) {
            functions.push_back(pciFunction(record));
            if (decode) functions.back()["decoded"] = decodedFunction(*decode, record);
        }
        out["pci"] = std::move(functions);
    }
    if (model.has(SuperIo)) out["superio"] = superIo(model.superIoDevices);
    return out.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace zelkora::persist
