// The scan against this machine's own bus, served from sysfs through the
// live host backend. Only sysfs files are read; no real port is touched.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "capture/machine_capture.h"
#include "common/fixed_text.h"
#include "lib/devices/pci_bus.h"
#include "lib/hw/driver.h"
#include "platform/live/live_services.h"
#include "platform/services.h"
#include "tests/support/device_lists.h"
#include "tests/support/fake_root.h"
#include "tests/support/test_driver.h"
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
    ASSERT_TRUE(testing::openLiveLibrary());

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
    for (const auto& r : testing::pciRecords()) {
        const std::string address = testing::pciAddress(r);
        listed[address] = {r.VendorID, r.DeviceID,
                           unsigned{r.BaseClass} << 16 | unsigned{r.SubClass} << 8 | r.ProgIf,
                           r.Revision};
        // Every standard function has a key with its pci.ids name in the live registry.
        if (r.Layout == 0x00) {
            EXPECT_NE(common::fieldText(r.Description), kPciDescriptionFailure) << address;
        }
    }
    EXPECT_EQ(listed, expected);

    testing::resetLibrary();
}

// Every walk sees the bus as it is now, and the registry follows it.
TEST(PciLiveHost, AWalkSeesFunctionsAddedAndRemovedSinceTheLastOne) {
    const testing::FakeRoot root("zelkora-hotplug-root");
    root.addPciFunction("00:00.0", testing::pciSpace(0x8086, 0x1237, 0x060000, 2, 0));
    root.addPciFunction("00:02.0", testing::pciSpace(0x10EC, 0x8139, 0x020000, 0x10, 0));
    root.write("usr/share/misc/pci.ids",
               "8086  Intel Corporation\n\t1237  440FX\n\t7000  PIIX3 ISA\n"
               "10ec  Realtek\n\t8139  RTL-8139\n");
    ASSERT_TRUE(testing::openLiveLibrary());
    auto walk = [] {
        std::map<std::string, std::string> listed;
        for (const auto& r : testing::pciRecords())
            listed[testing::pciAddress(r)] = common::fieldText(r.Description);
        return listed;
    };
    using Listing = std::map<std::string, std::string>;
    EXPECT_EQ(walk(), (Listing{{"00:00.0", "Intel 440FX"}, {"00:02.0", "Realtek RTL-8139"}}));

    root.removePciFunction("00:02.0");
    root.addPciFunction("00:07.0", testing::pciSpace(0x8086, 0x7000, 0x060100, 0, 0));
    EXPECT_EQ(walk(), (Listing{{"00:00.0", "Intel 440FX"}, {"00:07.0", "Intel PIIX3 ISA"}}));

    testing::resetLibrary();
}

// A function plugged in as a walk starts: the driver lists it, and the
// registry, refreshed after that listing, knows it too.
TEST(PciLiveHost, AFunctionPluggedInAsTheWalkStartsGetsItsDescription) {
    const testing::FakeRoot root("zelkora-hotplug-race");
    root.addPciFunction("00:00.0", testing::pciSpace(0x8086, 0x1237, 0x060000, 2, 0));
    root.write("usr/share/misc/pci.ids", "8086  Intel Corporation\n\t1237  440FX\n\t7000  PIIX3\n");
    class PluggingHost : public winio::live::LiveHost {
      public:
        explicit PluggingHost(const testing::FakeRoot& root) : root_(root) {}
        void beginConfigScan() override {
            if (++walks_ == 2)
                root_.addPciFunction("00:07.0", testing::pciSpace(0x8086, 0x7000, 0x060100, 0, 0));
            LiveHost::beginConfigScan();
        }

      private:
        const testing::FakeRoot& root_;
        int walks_ = 0;
    };
    UninitializeSysInfoLib();
    hw::setDriver(std::make_shared<testing::TestDriver>(std::make_shared<PluggingHost>(root)));
    platform::setServices(platform::makeLiveServices());
    ASSERT_EQ(InitializeSysInfoLib(), 1);
    EXPECT_EQ(testing::pciRecords().size(), 1u);
    const auto records = testing::pciRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(common::fieldText(records[1].Description), "Intel PIIX3");
    testing::resetLibrary();
}

// An SR-IOV server's thousands of functions under the usual limit of open
// files: every one is listed and captured, none silently dropped.
TEST(PciLiveHost, ThousandsOfFunctionsUnderALowLimitOfOpenFiles) {
    const testing::FakeRoot root("zelkora-many-functions");
    for (unsigned number = 0; number < 2048; ++number) {
        char config[64];
        std::snprintf(config, sizeof config, "sys/bus/pci/devices/0000:%02x:%02x.%x/config",
                      number >> 8, (number >> 3) & 0x1F, number & 7);
        // The config file alone: the walk needs no more.
        root.write(config, testing::pciSpace(0x8086, 0x10ED, 0x020000,
                                             static_cast<uint8_t>(number & 7), 0));
    }
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const bool opened = testing::openLiveLibrary();
    const std::size_t listed = opened ? testing::pciRecords().size() : 0;
    const testing::ScratchDir out("zelkora-many-capture");
    std::ostringstream errors;
    const int captured = capture::captureMachine(out.path() / "host.json", errors);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    testing::resetLibrary();

    EXPECT_EQ(listed, 5u * 32 * 8) << "every function on buses 0 to 4";
    ASSERT_EQ(captured, 0) << errors.str();
    const std::string json = testing::fileBytes(out.path() / "host.json");
    std::size_t functions = 0;
    for (auto at = json.find("\"address\""); at != std::string::npos;
         at = json.find("\"address\"", at + 1))
        ++functions;
    EXPECT_EQ(functions, 2048u);
}

}  // namespace
}  // namespace zelkora::devices
