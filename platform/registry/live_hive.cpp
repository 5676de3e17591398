// The registry of the live Linux host, built from sysfs: the PCI enumerator's
// device keys and the class keys of the bound kernel drivers.
#include "platform/registry/live_hive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>

#include "platform/live/system_root.h"
#include "platform/registry/live_pnp.h"
#include "platform/registry/pci_ids.h"

namespace zelkora::platform::registry {

namespace {

namespace fs = std::filesystem;

struct PciFunction {
    std::string sysfsName;
    fs::path directory;
    unsigned domain = 0, bus = 0, device = 0, function = 0;
    uint16_t vendorId = 0, deviceId = 0, subsystemVendor = 0, subsystemId = 0;
    uint8_t revision = 0;
    uint32_t classCode = 0;  // base class, subclass, programming interface
    std::string driver;      // the bound kernel driver, empty when none
};

struct SetupClass {
    std::string_view guid;
    std::string_view name;
};

// The setup class Windows files a PCI function under, by its class code.
SetupClass setupClass(uint32_t classCode) {
    const unsigned base = classCode >> 16, sub = (classCode >> 8) & 0xFF;
    switch (base) {
        case 0x01:
            if (sub == 0x01 || sub == 0x06)
                return {"{4D36E96A-E325-11CE-BFC1-08002BE10318}", "hdc"};
            return {"{4D36E97B-E325-11CE-BFC1-08002BE10318}", "SCSIAdapter"};
        case 0x02:
        case 0x0D:
            return {"{4D36E972-E325-11CE-BFC1-08002BE10318}", "Net"};
        case 0x03:
            return {"{4D36E968-E325-11CE-BFC1-08002BE10318}", "Display"};
        case 0x04:
            return {"{4D36E96C-E325-11CE-BFC1-08002BE10318}", "MEDIA"};
        case 0x0C:
            if (sub == 0x00) return {"{6BDD1FC1-810F-11D0-BEC7-08002BE2092F}", "1394"};
            if (sub == 0x03) return {"{36FC9E60-C465-11CF-8056-444553540000}", "USB"};
            break;
        default:
            break;
    }
    return {"{4D36E97D-E325-11CE-BFC1-08002BE10318}", "System"};
}

std::optional<std::string> firstLine(const fs::path& file) {
    std::optional<std::string> text = readRegularFile(file, 4096);
    if (!text || text->empty()) return std::nullopt;
    std::string line = text->substr(0, text->find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

// A sysfs number such as "0x8086".
std::optional<uint32_t> hexFile(const fs::path& file) {
    const auto text = firstLine(file);
    if (!text) return std::nullopt;
    unsigned long value = 0;
    int used = 0;
    if (std::sscanf(text->c_str(), "%lx%n", &value, &used) != 1 || value > 0xFFFF'FFFFul) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::optional<PciFunction> readFunction(const fs::directory_entry& entry) {
    PciFunction pci;
    pci.sysfsName = entry.path().filename().string();
    pci.directory = entry.path();
    char tail = 0;
    if (std::sscanf(pci.sysfsName.c_str(), "%x:%x:%x.%x%c", &pci.domain, &pci.bus, &pci.device,
                    &pci.function, &tail) != 4 ||
        pci.bus > 0xFF || pci.device > 0x1F || pci.function > 7) {
        return std::nullopt;
    }
    const auto vendor = hexFile(pci.directory / "vendor");
    const auto device = hexFile(pci.directory / "device");
    if (!vendor || !device) return std::nullopt;
    pci.vendorId = static_cast<uint16_t>(*vendor);
    pci.deviceId = static_cast<uint16_t>(*device);
    pci.subsystemVendor =
        static_cast<uint16_t>(hexFile(pci.directory / "subsystem_vendor").value_or(0));
    pci.subsystemId =
        static_cast<uint16_t>(hexFile(pci.directory / "subsystem_device").value_or(0));
    pci.revision = static_cast<uint8_t>(hexFile(pci.directory / "revision").value_or(0));
    // The library reads a bridge's subsystem as 0 (its dword 2Ch is not one),
    // so bridges are keyed with SUBSYS_00000000 to be found.
    // Only the bytes up to the header type: a whole page of configuration
    // space would cost one slow access per dword.
    const std::optional<std::string> header = readRegularFile(pci.directory / "config", 0x0F);
    const uint8_t headerType =
        header && header->size() == 0x0F ? static_cast<uint8_t>((*header)[0x0E]) : 0;
    if ((headerType & 0x7F) != 0) {
        pci.subsystemVendor = 0;
        pci.subsystemId = 0;
    }
    pci.classCode = hexFile(pci.directory / "class").value_or(0);
    std::error_code error;
    const fs::path driver = fs::read_symlink(pci.directory / "driver", error);
    if (!error) pci.driver = driver.filename().string();
    return pci;
}

std::vector<PciFunction> readFunctions(const fs::path& sysfsRoot) {
    std::vector<PciFunction> functions;
    std::error_code error;
    try {
        for (const auto& entry : fs::directory_iterator(sysfsRoot / "bus/pci/devices", error)) {
            if (auto pci = readFunction(entry)) functions.push_back(std::move(*pci));
        }
    } catch (const fs::filesystem_error&) {
        // A function removed while the folder is read ends the scan with what was found.
    }
    std::sort(functions.begin(), functions.end(),
              [](const PciFunction& a, const PciFunction& b) { return a.sysfsName < b.sysfsName; });
    return functions;
}

PciNames readNames(const LiveHiveSources& sources, const std::vector<PciFunction>& functions) {
    std::set<uint32_t> wanted;
    for (const auto& pci : functions)
        wanted.insert(PciNames::deviceKey(pci.vendorId, pci.deviceId));
    for (const auto& path : sources.pciIds) {
        std::error_code error;
        if (!fs::is_regular_file(path, error)) continue;  // a FIFO would block the open
        std::ifstream database(path);
        if (database) return readPciNames(database, wanted);
    }
    return {};
}

bool endsWithWord(std::string_view text, std::string_view word) {
    return text.size() > word.size() && text.ends_with(word) &&
           text[text.size() - word.size() - 1] == ' ';
}

// The short name a vendor goes by: its bracketed short form ("Advanced Micro
// Devices, Inc. [AMD]" gives "AMD"), else its name without the company form
// ("Realtek Semiconductor Co., Ltd." gives "Realtek").
std::string brandOf(std::string_view vendor) {
    const size_t open = vendor.rfind('[');
    const size_t close = vendor.rfind(']');
    if (open != std::string_view::npos && close != std::string_view::npos && close > open + 1) {
        return std::string(vendor.substr(open + 1, close - open - 1));
    }
    std::string_view brand = vendor.substr(0, vendor.find(','));
    static constexpr std::array<std::string_view, 16> kCompanyWords{
        "Corporation", "Corp.", "Corp",          "Incorporated", "Inc.",    "Inc",
        "Co.",         "Co",    "Ltd.",          "Ltd",          "Limited", "LLC",
        "GmbH",        "AG",    "Semiconductor", "Technology"};
    for (bool cut = true; cut;) {
        cut = false;
        for (std::string_view word : kCompanyWords) {
            if (endsWithWord(brand, word)) {
                brand.remove_suffix(word.size() + 1);
                cut = true;
            }
        }
    }
    return std::string(brand);
}

std::string describe(const PciFunction& pci, const PciNames& names) {
    char text[64];
    const auto vendor = names.vendors.find(pci.vendorId);
    if (vendor == names.vendors.end()) {
        std::snprintf(text, sizeof text, "PCI device %04x:%04x", pci.vendorId, pci.deviceId);
        return text;
    }
    const std::string brand = brandOf(vendor->second);
    const auto device = names.devices.find(PciNames::deviceKey(pci.vendorId, pci.deviceId));
    if (device == names.devices.end()) {
        std::snprintf(text, sizeof text, " Device %04x", pci.deviceId);
        return brand + text;
    }
    const std::string& name = device->second;
    if (name.size() >= brand.size() &&
        sameName(std::string_view(name).substr(0, brand.size()), brand)) {
        return name;
    }
    return brand + " " + name;
}

std::vector<uint8_t> stringData(std::string_view text) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

std::vector<uint8_t> multiStringData(const std::vector<std::string>& texts) {
    std::vector<uint8_t> data;
    for (const auto& text : texts) {
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
    }
    data.push_back(0);
    return data;
}

std::string runningKernelRelease() {
    utsname names{};
    return uname(&names) == 0 ? std::string(names.release) : std::string();
}

// The class key of a bound driver, numbered per setup class as Windows does.
std::string addClassKey(Hive& hive, const PciFunction& pci, const std::string& description,
                        const std::string& kernelRelease, std::map<std::string_view, int>& counts) {
    const SetupClass setup = setupClass(pci.classCode);
    const std::string classPath = std::string(kLiveClassPath) + "\\" + std::string(setup.guid);
    hive.create(kHKeyLocalMachine, classPath)->setValue("Class", kRegSz, stringData(setup.name));

    char instance[8];
    std::snprintf(instance, sizeof instance, "%04d", counts[setup.guid]++);
    const std::string path = classPath + "\\" + instance;
    const auto key = hive.create(kHKeyLocalMachine, path);
    const std::string version =
        firstLine(pci.directory / "driver/module/version").value_or(kernelRelease);
    char matching[32];
    std::snprintf(matching, sizeof matching, "pci\\ven_%04x&dev_%04x", pci.vendorId, pci.deviceId);
    key->setValue("DriverDesc", kRegSz, stringData(description));
    key->setValue("ProviderName", kRegSz, stringData("Linux " + pci.driver));
    key->setValue("DriverVersion", kRegSz, stringData(version));
    key->setValue("MatchingDeviceId", kRegSz, stringData(matching));
    return path;
}

void addFunction(Hive& hive, const PciFunction& pci, const PciNames& names,
                 const std::string& kernelRelease, std::map<std::string_view, int>& counts) {
    char hardwareId[64];
    std::snprintf(hardwareId, sizeof hardwareId, "VEN_%04X&DEV_%04X&SUBSYS_%04X%04X&REV_%02X",
                  pci.vendorId, pci.deviceId, pci.subsystemId, pci.subsystemVendor, pci.revision);
    char instance[32];
    std::snprintf(instance, sizeof instance, "3&%04x%02x&0&%02X", pci.domain & 0xFFFF, pci.bus,
                  pci.device << 3 | pci.function);
    char location[64];
    std::snprintf(location, sizeof location, "PCI bus %u, device %u, function %u", pci.bus,
                  pci.device, pci.function);

    const std::string description = describe(pci, names);
    const SetupClass setup = setupClass(pci.classCode);
    const auto key = hive.create(kHKeyLocalMachine,
                                 std::string(kLiveEnumPath) + "\\" + hardwareId + "\\" + instance);
    key->setValue("DeviceDesc", kRegSz, stringData(description));
    const std::string shortId =
        std::string(hardwareId).substr(0, std::string_view(hardwareId).rfind('&'));
    key->setValue("HardwareID", kRegMultiSz,
                  multiStringData({"PCI\\" + std::string(hardwareId), "PCI\\" + shortId}));
    key->setValue("LocationInformation", kRegSz, stringData(location));
    key->setValue("Class", kRegSz, stringData(setup.name));
    key->setValue("ClassGUID", kRegSz, stringData(setup.guid));
    if (const auto vendor = names.vendors.find(pci.vendorId); vendor != names.vendors.end()) {
        key->setValue("Mfg", kRegSz, stringData(vendor->second));
    }
    if (!pci.driver.empty()) {
        key->setValue("Service", kRegSz, stringData(pci.driver));
        key->setValue("Driver", kRegSz,
                      stringData(addClassKey(hive, pci, description, kernelRelease, counts)));
    }
}

}  // namespace

std::unique_ptr<Hive> buildLiveHive(const LiveHiveSources& sources) {
    auto hive = emptyHive();
    const auto functions = readFunctions(sources.sysfsRoot);
    const PciNames names = readNames(sources, functions);
    const std::string kernelRelease =
        sources.kernelRelease.empty() ? runningKernelRelease() : sources.kernelRelease;
    std::map<std::string_view, int> counts;
    for (const auto& pci : functions)
        addFunction(*hive, pci, names, kernelRelease, counts);
    addPnpDevices(*hive, sources.sysfsRoot / "bus/pnp/devices");
    return hive;
}

std::unique_ptr<Hive> buildLiveHive() {
    return buildLiveHive(LiveHiveSources{});
}

std::string liveDeviceSignature(const LiveHiveSources& sources) {
    std::vector<std::string> entries;
    std::error_code error;
    for (fs::directory_iterator it(sources.sysfsRoot / "bus/pci/devices", error), end;
         !error && it != end; it.increment(error)) {
        std::string entry = it->path().filename().string();
        struct stat node {};
        entry.push_back(' ');
        if (::stat(it->path().c_str(), &node) == 0) entry.append(std::to_string(node.st_ino));
        std::error_code linkError;
        entry.push_back(' ');
        entry.append(fs::read_symlink(it->path() / "driver", linkError).filename().string());
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end());
    std::string signature;
    for (const auto& entry : entries) {
        signature.append(entry);
        signature.push_back('\n');
    }
    return signature;
}

}  // namespace zelkora::platform::registry
