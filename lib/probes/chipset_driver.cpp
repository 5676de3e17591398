#include "lib/probes/chipset_driver.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "common/pci_config.h"
#include "common/profile_file.h"
#include "lib/hw/driver.h"
#include "lib/hw/library_state.h"
#include "lib/probes/os_table.h"
#include "lib/probes/registry_key.h"
#include "platform/services.h"

namespace zelkora::probes {

namespace {

constexpr uint32_t kHostBridgeClass = 0x060000;  // base class, subclass, interface
constexpr unsigned kAlwaysWalkedBuses = 5;
constexpr uint8_t kSubsystemDword = 0x2C / 4;

bool isHostBridge(const PCIDeviceInfo& device) {
    return device.BaseClass == 0x06 && device.SubClass == 0x00 && device.ProgIf == 0x00;
}

std::string deviceKeyName(const PCIDeviceInfo& device) {
    char name[64];
    std::snprintf(name, sizeof name, "VEN_%4.4X&DEV_%4.4X&SUBSYS_%8.8X&REV_%2.2X",
                  unsigned{device.VendorID}, unsigned{device.DeviceID}, unsigned{device.Subsystem},
                  unsigned{device.Revision});
    return name;
}

// "DriverVer" of the information file, empty when the file or entry is absent.
std::string readDriverVer(const std::string& infName) {
    // The Windows directory is a path of this host and used whole: cutting it
    // to the old 50 characters would name another file.
    const std::filesystem::path windows = platform::services().windowsDirectory();
    if (windows.empty() || infName.empty()) return {};
    const auto file = windows / "inf" / infName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return {};
    common::ProfileFile profile(false);
    profile.setFile(file.string());
    std::string text = profile.getString("DriverVer", "", "Version");
    if (text.size() > 255) text.resize(255);
    return text;
}

// The walk lists buses 0 to 4 first, in address order, and a function that
// copies another one comes after it; so the first host bridge met there in
// address order is the walk's first host bridge. Reading up to it, and only
// the dwords its registry key needs, spares a program that walks the bus
// itself right after (a whole listing) a second read of every function. The
// list is emptied as a new walk would replace it: earlier positions end.
std::optional<PCIDeviceInfo> firstHostBridgeOnTheFirstBuses() {
    hw::state().pciDevices.clear();
    const hw::ConfigScanScope scan(hw::driver());
    platform::services().refreshDevices();
    common::PortIo& ports = hw::driverPorts();
    for (unsigned bus = 0; bus < kAlwaysWalkedBuses; ++bus) {
        for (unsigned slot = 0; slot < 32 * 8; ++slot) {
            const auto b = static_cast<uint8_t>(bus);
            const auto d = static_cast<uint8_t>(slot >> 3);
            const auto f = static_cast<uint8_t>(slot & 7);
            const uint32_t id = common::ReadPCIConfigDword(ports, b, d, f, 0);
            if ((id & 0xFFFF) == 0xFFFF) continue;
            const uint32_t classDword = common::ReadPCIConfigDword(ports, b, d, f, 2);
            if ((classDword >> 8) != kHostBridgeClass) continue;
            PCIDeviceInfo bridge{};
            bridge.Bus = b;
            bridge.Device = d;
            bridge.Function = f;
            bridge.VendorID = static_cast<uint16_t>(id);
            bridge.DeviceID = static_cast<uint16_t>(id >> 16);
            bridge.Revision = static_cast<uint8_t>(classDword);
            bridge.ProgIf = static_cast<uint8_t>(classDword >> 8);
            bridge.SubClass = static_cast<uint8_t>(classDword >> 16);
            bridge.BaseClass = static_cast<uint8_t>(classDword >> 24);
            // As the walk's records: a header other than the standard one has no subsystem.
            const uint32_t header = common::ReadPCIConfigDword(ports, b, d, f, 3);
            if (((header >> 16) & 0x7F) == 0)
                bridge.Subsystem = common::ReadPCIConfigDword(ports, b, d, f, kSubsystemDword);
            return bridge;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<PCIDeviceInfo> findHostBridge() {
    if (auto bridge = firstHostBridgeOnTheFirstBuses()) return bridge;
    DevicePos position = GetFirstPCIDevicePos();
    PCIDeviceInfo device{};
    while (position) {
        GetNextPCIDevice(&device, &position);
        if (isHostBridge(device)) return device;
    }
    return std::nullopt;
}

ChipsetDriverTexts readChipsetDriver(const PCIDeviceInfo& hostBridge) {
    ChipsetDriverTexts texts;
    const auto running = identifyRunningSystem();
    if (!running) return texts;
    const std::string deviceRoot(deviceEnumRoot(running->platformId));
    const std::string classRoot(driverClassRoot(running->platformId));
    if (running->osCode == kOSCodeWindowsNT) return texts;

    RegistryKey key(kHKeyLocalMachine, deviceRoot, kRegistryRead);
    const std::string deviceName = deviceKeyName(hostBridge);
    std::string found;
    if (!key.FindSubKey(deviceName, found)) return texts;

    std::string devicePath = deviceRoot + found + "\\" + deviceName;
    key.Reopen(kHKeyLocalMachine, devicePath);
    std::string instance;
    if (!key.FindKeyWithValue("Driver", instance)) return texts;
    devicePath += instance;
    key.Reopen(kHKeyLocalMachine, devicePath);
    std::string driver;
    key.QueryString("Driver", driver);
    if (driver.empty()) return texts;

    key.Reopen(kHKeyLocalMachine, classRoot + "\\" + driver);
    std::string provider;
    key.QueryString("ProviderName", provider);
    if (!provider.empty()) texts.provider = provider;
    std::string infPath;
    key.QueryString("InfPath", infPath);
    if (infPath.empty()) {
        // The live host's class keys stand for kernel drivers, which have no
        // information file but name their version. A Windows machine's
        // driver without an information file has no version to show.
        const auto version = platform::services().version();
        if (!version || version->platformId != platform::kPlatformLinux) return texts;
        std::string driverVersion;
        key.QueryString("DriverVersion", driverVersion);
        if (!driverVersion.empty()) texts.version = driverVersion;
        return texts;
    }

    const std::string driverVer = readDriverVer(infPath);
    const size_t comma = driverVer.find(',');
    if (comma != std::string::npos) {
        texts.date = driverVer.substr(0, comma);
        texts.version = driverVer.substr(comma + 1);
    }
    return texts;
}

}  // namespace zelkora::probes
