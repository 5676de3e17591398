// The scan against this machine's own bus, served from sysfs. Only sysfs
// files are read; no real port is touched.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "common/fixed_text.h"
#include "lib/devices/pci_bus.h"
#include "lib/hw/driver.h"
#include "platform/live/live_services.h"
#include "platform/services.h"
#include "winio/core/driver_core.h"
#include "winio/live/live_host.h"
#include "zelkora/sysinfo.h"

namespace zelkora::devices {
namespace {

namespace fs = std::filesystem;
const fs::path kSysfsDevices = "/sys/bus/pci/devices";

// The library's driver over the live host backend, without raw port access.
class LiveHostDriver : public hw::Driver {
  public:
    LiveHostDriver() : core_(std::make_shared<winio::live::LiveHost>()) {}
    bool initializeWinIo() override { return core_.initialize(); }
    int32_t shutdownWinIo() override { return core_.shutdown(); }
    bool getPortVal(uint16_t port, uint32_t* value, uint8_t size) override {
        return core_.getPortVal(port, value, size);
    }
    bool setPortVal(uint16_t port, uint32_t value, uint8_t size) override {
        return core_.setPortVal(port, value, size);
    }
    bool getPhysByte(uint32_t address, uint8_t* value) override {
        return core_.getPhysByte(address, value);
    }
    bool getPhysWord(uint32_t address, uint16_t* value) override {
        return core_.getPhysWord(address, value);
    }
    bool getPhysLong(uint32_t address, uint32_t* value) override {
        return core_.getPhysLong(address, value);
    }
    bool getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) override {
        return core_.getPhysBlock(address, buffer, length);
    }

  private:
    winio::DriverCore core_;
};

unsigned hexFile(const fs::path& path) {
    std::ifstream in(path);
    std::string text;
    in >> text;
    return static_cast<unsigned>(std::stoul(text, nullptr, 16));
}

struct Identity {
    unsigned vendor, device, classCode, revision;
    friend bool operator==(const Identity&, const Identity&) = default;
};

class PciLiveHost : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kSysfsDevices)) GTEST_SKIP() << "no /sys/bus/pci on this machine";
        UninitializeSysInfoLib();
        hw::setDriver(std::make_unique<LiveHostDriver>());
        platform::setServices(platform::makeLiveServices());
        ASSERT_EQ(InitializeSysInfoLib(), 1);
    }
    void TearDown() override {
        UninitializeSysInfoLib();
        hw::setDriver(nullptr);
        platform::setServices(nullptr);
    }
};

TEST_F(PciLiveHost, ListingAgreesWithSysfsOnBusesZeroToFour) {
    std::map<std::string, Identity> expected;
    for (const auto& entry : fs::directory_iterator(kSysfsDevices)) {
        unsigned domain = 0, bus = 0, device = 0, function = 0;
        const std::string name = entry.path().filename().string();
        if (std::sscanf(name.c_str(), "%x:%x:%x.%x", &domain, &bus, &device, &function) != 4 ||
            domain != 0 || bus > 4) {
            continue;
        }
        const unsigned classCode = hexFile(entry.path() / "class");
        expected[name.substr(5)] = {hexFile(entry.path() / "vendor"),
                                    hexFile(entry.path() / "device"), classCode,
                                    hexFile(entry.path() / "revision")};
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
        EXPECT_EQ(r.Description[sizeof r.Description - 1], '\0');
        EXPECT_EQ(r.ClassText[sizeof r.ClassText - 1], '\0');
        if (r.Layout == 0x00) {
            // Every standard function has its key in the live registry.
            EXPECT_NE(common::fieldText(r.Description), kPciDescriptionFailure) << address;
        }
    }
    EXPECT_EQ(listed, expected);
}

}  // namespace
}  // namespace zelkora::devices
