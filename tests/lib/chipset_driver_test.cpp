#include <gtest/gtest.h>

#include "lib/probes/chipset_driver.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora::probes {
namespace {

using testing::SimulatedMachine;

PCIDeviceInfo hostBridge(uint16_t device = 0x2570) {
    PCIDeviceInfo bridge{};
    bridge.VendorID = 0x8086;
    bridge.DeviceID = device;
    bridge.Subsystem = 0x80F2'1043;
    bridge.Revision = 0x02;
    return bridge;
}

// Provider, version and date as the probe reads them for a host bridge.
std::string texts(uint16_t device = 0x2570) {
    const auto read = readChipsetDriver(hostBridge(device));
    return read.provider + "|" + read.version + "|" + read.date;
}

// The same three texts as the library's board record holds them.
std::string boardTexts() {
    MotherBoardInfo info{};
    EXPECT_EQ(GetMotherBoardInfo(&info), 1);
    return std::string(info.ChipsetDriverProvider) + "|" + info.ChipsetDriverVersion + "|" +
           info.ChipsetDriverDate;
}

// A machine of the test's own (tests/data/chipset): a registry file, and a
// Windows directory whose name is longer than the 50 characters the old
// buffer held, with one INF file in UTF-16LE, as driver INF files often are.
std::unique_ptr<SimulatedMachine> machine(const std::string& version) {
    auto result = std::make_unique<SimulatedMachine>(
        R"({"registry": ["registry.reg"], "system": {"version": )" + version +
            R"(, "windowsDirectory": "a windows directory with a rather long name"}})",
        testing::kTestData / "chipset");
    EXPECT_TRUE(result->open());
    return result;
}

TEST(ChipsetDriver, ProviderAndDriverVerFromTheInf) {
    auto xp = machine(R"({"platformId": 2, "major": 5, "minor": 1, "build": 2600})");
    EXPECT_EQ(texts(), "Intel|5.1.1002|07/15/2003");
    // No ProviderName, and a DriverVer without a comma.
    EXPECT_EQ(texts(0x2578), "Unknown|Unknown|Unknown");
    // A class key without an information file: its DriverVersion counts on the live host only.
    EXPECT_EQ(texts(0x2579), "Linux agpgart-intel|Unknown|Unknown");
    EXPECT_EQ(texts(0x1234), "Unknown|Unknown|Unknown") << "no device key";
}

TEST(ChipsetDriver, RootsFollowThePlatform) {
    auto me = machine(R"({"platformId": 1, "major": 4, "minor": 90, "build": 3000})");
    EXPECT_EQ(texts(), "Intel 9x|5.1.1002|07/15/2003");
}

TEST(ChipsetDriver, TheLiveHostSearchesTheWholeMachineKeyAndNamesKernelDriverVersions) {
    // The live host's platform: empty roots, "Driver" naming the class key's
    // whole path, and a version without an information file.
    auto linux = machine(R"({"platformId": 76, "major": 6, "minor": 1, "build": 0})");
    EXPECT_EQ(texts(0x257A), "Linux agpgart-intel|6.1.0-18-amd64|Unknown");

    linux.reset();
    auto windows10 = machine(R"({"platformId": 2, "major": 10, "minor": 0, "build": 19045})");
    EXPECT_EQ(readChipsetDriver(hostBridge(0x257A)).version, "Unknown");
}

// The demo board's texts are in its golden listing. Its host bridge, registry
// and INF, but on NT 4.0: the texts stay unknown and the call still succeeds.
TEST(ChipsetDriverDemo, DemoBoardOnWindowsNt4) {
    SimulatedMachine nt4(R"({"system": {"version": {"platformId": 2, "major": 4, "minor": 0,
      "build": 1381}, "windowsDirectory": "demo/windows"}, "registry": ["demo/registry.reg"],
      "pci": {"functions": [{"address": "00:00.0", "vendor": "0x8086", "device": "0x2570", "class": "0x060000",
                             "revision": "0x02", "subsystem": "0x80F21043"}]}})");
    ASSERT_TRUE(nt4.open());
    EXPECT_EQ(boardTexts(), "Unknown|Unknown|Unknown");
}

}  // namespace
}  // namespace zelkora::probes
