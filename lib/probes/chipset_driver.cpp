#include "lib/probes/chipset_driver.h"

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "common/profile_file.h"
#include "lib/probes/os_table.h"
#include "lib/probes/registry_key.h"
#include "platform/services.h"

namespace zelkora::probes {

namespace {

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

}  // namespace

std::optional<PCIDeviceInfo> findHostBridge() {
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
