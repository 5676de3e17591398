#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lib/probes/chipset_driver.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora::probes {
namespace {

namespace fs = std::filesystem;
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

// A machine of the test's own: a registry file, a Windows directory with an
// INF file, and the system version given.
class ChipsetDriver : public ::testing::Test {
  protected:
    void SetUp() override {
        // Longer than the 50 characters the old Windows directory buffer held.
        scratch_.folder("a windows directory with a rather long name/inf");
        std::ofstream(directory_ / "registry.reg") << R"(REGEDIT4

[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_2570&SUBSYS_80F21043&REV_02\3&61aaa01&0&00]
"Driver"="{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0000"

[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_2578&SUBSYS_80F21043&REV_02\3&61aaa01&0&00]
"Driver"="{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0001"

[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_2579&SUBSYS_80F21043&REV_02\3&61aaa01&0&00]
"Driver"="{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0002"

[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Enum\PCI\VEN_8086&DEV_257A&SUBSYS_80F21043&REV_02\3&000000&0&00]
"Driver"="SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0002"

[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Control\Class\{4D36E97D-E325-11CE-BFC1-08002BE10318}\0002]
"ProviderName"="Linux agpgart-intel"
"DriverVersion"="6.1.0-18-amd64"

[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Control\Class\{4D36E97D-E325-11CE-BFC1-08002BE10318}\0000]
"ProviderName"="Intel"
"InfPath"="oem7.inf"

[HKEY_LOCAL_MACHINE\SYSTEM\ControlSet001\Control\Class\{4D36E97D-E325-11CE-BFC1-08002BE10318}\0001]
"InfPath"="oem8.inf"

[HKEY_LOCAL_MACHINE\Enum\PCI\VEN_8086&DEV_2570&SUBSYS_80F21043&REV_02\BUS_00&DEV_00&FUNC_00]
"Driver"="SYSTEM\\0000"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\SYSTEM\0000]
"ProviderName"="Intel 9x"
"InfPath"="oem7.inf"
)";
        // Saved as UTF-16LE with a byte-order mark, as driver INF files often are.
        std::string utf16 = "\xFF\xFE";
        for (char c :
             std::string("[Version]\r\nSignature=$CHICAGO$\r\nDriverVer=07/15/2003,5.1.1002\r\n"))
            utf16 += {c, '\0'};
        writeInf("oem7.inf", utf16);
        writeInf("oem8.inf", "[Version]\nDriverVer=5.1.1002\n");
    }
    void writeInf(const std::string& name, const std::string& text) {
        scratch_.write("a windows directory with a rather long name/inf/" + name, text);
    }
    std::unique_ptr<SimulatedMachine> machine(const std::string& version) {
        auto result = std::make_unique<SimulatedMachine>(
            R"({"registry": ["registry.reg"], "system": {"version": )" + version +
                R"(, "windowsDirectory": "a windows directory with a rather long name"}})",
            directory_);
        EXPECT_TRUE(result->open());
        return result;
    }

    testing::ScratchDir scratch_{"zelkora-chipset"};
    const fs::path& directory_ = scratch_.path();
};

TEST_F(ChipsetDriver, ProviderAndDriverVerFromTheInf) {
    auto xp = machine(R"({"platformId": 2, "major": 5, "minor": 1, "build": 2600})");
    EXPECT_EQ(texts(), "Intel|5.1.1002|07/15/2003");
    // No ProviderName, and a DriverVer without a comma.
    EXPECT_EQ(texts(0x2578), "Unknown|Unknown|Unknown");
    // A class key without an information file: its DriverVersion counts on the live host only.
    EXPECT_EQ(texts(0x2579), "Linux agpgart-intel|Unknown|Unknown");
    EXPECT_EQ(texts(0x1234), "Unknown|Unknown|Unknown") << "no device key";
}

TEST_F(ChipsetDriver, RootsFollowThePlatform) {
    auto me = machine(R"({"platformId": 1, "major": 4, "minor": 90, "build": 3000})");
    EXPECT_EQ(texts(), "Intel 9x|5.1.1002|07/15/2003");
}

TEST_F(ChipsetDriver, TheLiveHostSearchesTheWholeMachineKeyAndNamesKernelDriverVersions) {
    // The live host's platform: empty roots, "Driver" naming the class key's
    // whole path, and a version without an information file.
    auto linux = machine(R"({"platformId": 76, "major": 6, "minor": 1, "build": 0})");
    EXPECT_EQ(texts(0x257A), "Linux agpgart-intel|6.1.0-18-amd64|Unknown");

    linux.reset();
    auto windows10 = machine(R"({"platformId": 2, "major": 10, "minor": 0, "build": 19045})");
    EXPECT_EQ(readChipsetDriver(hostBridge(0x257A)).version, "Unknown");
}

TEST(ChipsetDriverDemo, DemoBoardAndWindowsNt4) {
    {
        auto demo = SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        ASSERT_TRUE(demo->open());
        EXPECT_EQ(boardTexts(), "Intel|5.1.1002|07/15/2003");
    }
    // The demo's host bridge, registry and INF; only the system is NT 4.0: the texts stay
    // unknown and the call still succeeds.
    SimulatedMachine nt4(R"({"system": {"version": {"platformId": 2, "major": 4, "minor": 0,
      "build": 1381}, "windowsDirectory": "demo/windows"}, "registry": ["demo/registry.reg"],
      "pci": {"functions": [{"address": "00:00.0", "vendor": "0x8086", "device": "0x2570", "class": "0x060000",
                             "revision": "0x02", "subsystem": "0x80F21043"}]}})");
    ASSERT_TRUE(nt4.open());
    EXPECT_EQ(boardTexts(), "Unknown|Unknown|Unknown");
}

}  // namespace
}  // namespace zelkora::probes
