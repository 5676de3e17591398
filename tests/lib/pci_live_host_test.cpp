// The scan against this machine's own bus, served from sysfs through the
// live host backend. Only sysfs files are read; no real port is touched.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "common/fixed_text.h"
#include "lib/devices/pci_bus.h"
#include "platform/live/live_services.h"
#include "platform/services.h"
#include "tests/support/backend_driver.h"
#include "winio/live/live_host.h"
#include "zelkora/sysinfo.h"

namespace zelkora::devices {
namespace {

namespace fs = std::filesystem;
const fs::path kSysfsDevices = "/sys/bus/pci/devices";

unsigned hexFile(const fs::path& path) {
    std::ifstream in(path);
    std::string text = "0";
    in >> text;
    return static_cast<unsigned>(std::stoul(text, nullptr, 16));
}

TEST(PciLiveHost, ListingAgreesWithSysfsOnBusesZeroToFour) {
    if (!fs::exists(kSysfsDevices)) GTEST_SKIP() << "no /sys/bus/pci on this machine";
    UninitializeSysInfoLib();
    hw::setDriver(testing::makeBackendDriver(std::make_shared<winio::live::LiveHost>()));
    platform::setServices(platform::makeLiveServices());
    ASSERT_EQ(InitializeSysInfoLib(), 1);

    // vendor, device, class code (base, sub, interface), revision
    using Identity = std::array<unsigned, 4>;
    std::map<std::string, Identity> expected;
    for (const auto& entry : fs::directory_iterator(kSysfsDevices)) {
        unsigned domain = 0, bus = 0, device = 0, function = 0;
        const std::string name = entry.path().filename().string();
        if (std::sscanf(name.c_str(), "%x:%x:%x.%x", &domain, &bus, &device, &function) == 4 &&
            domain == 0 && bus <= 4) {
            const auto& dir = entry.path();
            expected[name.substr(5)] = {hexFile(dir / "vendor"), hexFile(dir / "device"),
                                        hexFile(dir / "class"), hexFile(dir / "revision")};
        }
    }
    std::map<std::string, Identity> listed;
    for (DevicePos pos = GetFirstPCIDevicePos(); pos;) {
        PCIDeviceInfo r{};
        GetNextPCIDevice(&r, &pos);
        char address[16];
        std::snprintf(address, sizeof address, "%02x:%02x.%x", r.Bus, r.Device, r.Function);
        listed[address] = {r.VendorID, r.DeviceID,
                           unsigned{r.BaseClass} << 16 | unsigned{r.SubClass} << 8 | r.ProgIf,
                           r.Revision};
        // Every standard function has a key with its pci.ids name in the live registry.
        if (r.Layout == 0x00) {
            EXPECT_NE(common::fieldText(r.Description), kPciDescriptionFailure) << address;
        }
    }
    EXPECT_EQ(listed, expected);

    UninitializeSysInfoLib();
    hw::setDriver(nullptr);
    platform::setServices(nullptr);
}

}  // namespace
}  // namespace zelkora::devices
