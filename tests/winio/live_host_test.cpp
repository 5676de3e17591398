#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "winio/live/live_host.h"

namespace zelkora::winio::live {
namespace {

namespace fs = std::filesystem;

class LiveHostTest : public ::testing::Test {
  protected:
    void writeConfig(const std::string& function, const std::vector<uint8_t>& bytes) {
        scratch_.write("pci/" + function + "/config",
                       {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }

    zelkora::testing::ScratchDir scratch_{"zelkora-live-host"};
    const fs::path& root_ = scratch_.path();
    HostPaths paths_{root_ / "pci",
                     root_ / "dmi",
                     root_ / "id",
                     root_ / "cpuinfo",
                     {root_ / "ata", root_ / "nvme"}};
};

TEST_F(LiveHostTest, ServesConfigurationSpaceFromSysfsAndFloatsTheRest) {
    // As an unprivileged reader sees it: only the first 64 bytes.
    std::vector<uint8_t> config = {0x86, 0x80, 0xD3, 0x24};
    config.resize(64);
    writeConfig("0000:00:1f.3", config);
    LiveHost host(paths_);
    host.writePort(0xCF8, 0x8000'FB00, 4);  // 00:1f.3
    EXPECT_EQ(host.readPort(0xCFC, 4), 0x24D3'8086u);
    EXPECT_EQ(host.readPort(0xCFE, 1), 0xD3u);
    host.writePort(0xCF8, 0x8000'FB40, 4);
    EXPECT_EQ(host.readPort(0xCFC, 4), 0xFFFF'FFFFu) << "bytes past what the kernel serves";
    host.writePort(0xCF8, 0x8000'0000, 4);
    EXPECT_EQ(host.readPort(0xCFC, 4), 0xFFFF'FFFFu) << "an absent function";
    EXPECT_EQ(host.readPort(0x1F7, 1), 0xFFu) << "legacy ports float";
    EXPECT_EQ(host.readPort(0x2F, 1), 0xFFu);
    uint8_t byte = 0;
    EXPECT_FALSE(host.readPhysical(0xF0000, {&byte, 1})) << "no firmware table, no BIOS area";
}

TEST_F(LiveHostTest, ConfigurationWritesTheKernelRefusesAreReportedAsRefused) {
    writeConfig("0000:00:1f.3", std::vector<uint8_t>(256, 0));
    // A config file that takes no write, as sysfs answers a user who may not
    // write configuration space.
    fs::create_directories(root_ / "pci" / "0000:00:1f.5");
    fs::create_symlink("/dev/full", root_ / "pci" / "0000:00:1f.5" / "config");
    LiveHost host(paths_);
    EXPECT_TRUE(host.writePort(0xCF8, 0x8000'FB04, 4));
    EXPECT_TRUE(host.writePort(0xCFC, 0x0000'0107, 4));
    EXPECT_EQ(host.readPort(0xCFC, 4), 0x0000'0107u);
    // A byte through 0CFDh and a word through 0CFEh land on bytes 85h and 86h-87h of the
    // dword, as the VIA bridge's enable byte is written.
    EXPECT_TRUE(host.writePort(0xCF8, 0x8000'FB84, 4));
    EXPECT_TRUE(host.writePort(0xCFD, 0x03, 1));
    EXPECT_TRUE(host.writePort(0xCFE, 0xAABB, 2));
    const auto config = zelkora::testing::fileBytes(root_ / "pci/0000:00:1f.3/config");
    EXPECT_EQ(config.substr(0x83, 6), std::string("\0\0\x03\xBB\xAA\0", 6));
    EXPECT_TRUE(host.writePort(0xCF8, 0x8000'FD04, 4));  // 00:1f.5
    EXPECT_FALSE(host.writePort(0xCFC, 0x0000'0107, 4));
    EXPECT_FALSE(host.writePort(0x2E, 0x87, 1)) << "legacy ports without raw access";
    EXPECT_TRUE(host.writePort(0xCF8, 0x8000'0004, 4));
    EXPECT_TRUE(host.writePort(0xCFC, 1, 4)) << "an absent function drops the write";
}

TEST_F(LiveHostTest, PresentsAnSmbios3TableBehindAClassicEntryPoint) {
    // A minimal SMBIOS 3.0 entry point and a table of one type 0 structure and the end marker.
    const fs::path firmware = zelkora::testing::kTestData / "live-host-smbios3";
    const std::string table = zelkora::testing::fileBytes(firmware / "dmi/DMI");
    LiveHost host(
        {paths_.pciDevices, firmware / "dmi", firmware / "id", paths_.cpuinfo, paths_.drives});
    std::array<uint8_t, 0x1F> anchor{};
    ASSERT_TRUE(host.readPhysical(0xF0000, anchor));
    EXPECT_EQ(std::string(anchor.begin(), anchor.begin() + 4), "_SM_");
    uint8_t sum = 0;
    for (uint8_t byte : anchor)
        sum = static_cast<uint8_t>(sum + byte);
    EXPECT_EQ(sum, 0) << "the entry point's checksum holds";
    EXPECT_EQ(anchor[0x1C], 2) << "structure count";
    const uint32_t address =
        anchor[0x18] | anchor[0x19] << 8 | anchor[0x1A] << 16 | anchor[0x1B] << 24;
    std::vector<uint8_t> copy(table.size());
    ASSERT_TRUE(host.readPhysical(address, copy));
    EXPECT_EQ(std::string(copy.begin(), copy.end()), table);
    std::array<uint8_t, 80> text{};
    ASSERT_TRUE(host.readPhysical(0xFE0C1, text));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text.data())), "P5Q PRO R1.05 03/12/2009");
}

// Within a walk each function is read once and absent ones are never tried,
// yet no write and no change outside a walk is ever hidden by what was read.
TEST_F(LiveHostTest, AWalkReadsEachSpaceOnceWithoutHidingWritesOrChanges) {
    std::vector<uint8_t> config = {0x86, 0x80};
    config.resize(256);
    config[0x10] = 0x01;
    writeConfig("0000:00:1f.3", config);
    LiveHost host(paths_);
    auto dword = [&](uint32_t address) {
        host.writePort(0xCF8, address, 4);
        return host.readPort(0xCFC, 4);
    };

    host.beginConfigScan();
    EXPECT_EQ(dword(0x8000'FB10), 0x01u);
    config[0x10] = 0x02;  // the device changes it behind the walk's back
    writeConfig("0000:00:1f.3", config);
    EXPECT_EQ(dword(0x8000'FB10), 0x01u) << "one read per function and walk";
    host.writePort(0xCF8, 0x8000'FB10, 4);
    host.writePort(0xCFC, 0x0000'0003, 4);
    EXPECT_EQ(dword(0x8000'FB10), 0x03u) << "a write drops the walk's snapshot";
    // Added during the walk: the walk's list of functions does not have it.
    writeConfig("0000:00:02.0", {0xEC, 0x10, 0x39, 0x81});
    EXPECT_EQ(dword(0x8000'1000), 0xFFFF'FFFFu);
    host.endConfigScan();

    EXPECT_EQ(dword(0x8000'1000), 0x8139'10ECu) << "outside a walk every read reaches sysfs";
    config[0x10] = 0x04;
    writeConfig("0000:00:1f.3", config);
    EXPECT_EQ(dword(0x8000'FB10), 0x04u);

    // The next walk lists the bus as it is now.
    fs::remove_all(root_ / "pci" / "0000:00:1f.3");
    host.beginConfigScan();
    EXPECT_EQ(dword(0x8000'FB00), 0xFFFF'FFFFu) << "removed since the last walk";
    EXPECT_EQ(dword(0x8000'1000), 0x8139'10ECu);
    host.endConfigScan();
}

}  // namespace
}  // namespace zelkora::winio::live
