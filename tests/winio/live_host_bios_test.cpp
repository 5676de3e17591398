// The library's processor and BIOS probes on a live host whose firmware
// files are fakes in a folder of the test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "lib/hw/driver.h"
#include "tests/support/backend_driver.h"
#include "winio/live/live_host.h"
#include "winio/sim/smbios_image.h"
#include "zelkora/sysinfo.h"

namespace zelkora::winio::live {
namespace {

namespace fs = std::filesystem;

// Type 0 (ROM size byte 0Fh: 1 MiB), type 4 (3000 MHz on a 100 MHz clock) and the end marker.
const std::vector<uint8_t> kTable = {
    // type 0
    0, 18, 0, 0, 1, 2, 0, 0xF0, 3, 15, 0, 0, 0, 0, 0, 0, 0, 0, 'V', 'e', 'n', 0, '1', '.', '2', 0,
    '0', '1', '/', '0', '1', '/', '2', '0', '2', '3', 0, 0,
    // type 4
    4, 26, 1, 0, 1, 3, 0x6B, 2, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 100, 0, 184, 11, 184, 11, 0x41, 1,
    'A', 'M', '5', 0, 'A', 'M', 'D', 0, 'R', 'y', 'z', 'e', 'n', 0, 0,
    // end of table
    127, 4, 2, 0, 0, 0};

class LiveHostBios : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("zelkora-live-bios-" + std::to_string(::getpid()) +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root_ / "dmi");
        fs::create_directories(root_ / "id");
        fs::create_directories(root_ / "pci");
        paths_ = {root_ / "pci",
                  root_ / "dmi",
                  root_ / "id",
                  root_ / "cpuinfo",
                  {root_ / "ata", root_ / "nvme"}};
        std::ofstream(root_ / "id" / "board_name") << "PRIME B650M-A\n";
        std::ofstream(root_ / "id" / "board_version") << "R1.05\n";
        std::ofstream(root_ / "id" / "bios_date") << "03/12/2023\n";
    }
    void TearDown() override {
        UninitializeSysInfoLib();
        hw::setDriver(nullptr);
        fs::remove_all(root_);
    }

    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(root_ / "dmi" / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    void openLibrary() {
        UninitializeSysInfoLib();
        hw::setDriver(zelkora::testing::makeBackendDriver(std::make_shared<LiveHost>(paths_)));
        ASSERT_EQ(InitializeSysInfoLib(), 1);
    }

    fs::path root_;
    HostPaths paths_;
};

TEST_F(LiveHostBios, ReadsAnSmbios3OnlyFirmwareTable) {
    std::vector<uint8_t> entry(0x18, 0);
    std::copy_n("_SM3_", 5, entry.begin());
    entry[6] = 0x18;
    entry[7] = 3;
    entry[8] = 5;
    writeFile("smbios_entry_point", entry);
    writeFile("DMI", kTable);
    openLibrary();

    ProcessorInfo cpu{};
    ASSERT_EQ(GetProcessorInfo(&cpu), 1);
    EXPECT_EQ(cpu.CPUSpeed, 3000);
    EXPECT_EQ(cpu.CPUExtendedClock, 100);
    EXPECT_FLOAT_EQ(cpu.CPURatio, 30.0f);
    EXPECT_STREQ(cpu.CPUSocketType, "AM5");
    EXPECT_STREQ(cpu.CPUVersionStr, "Ryzen");

    MotherBoardInfo board{};
    ASSERT_EQ(GetMotherBoardInfo(&board), 1);
    EXPECT_STREQ(board.BIOSVendor, "Ven");
    EXPECT_STREQ(board.BIOSRevision, "1.2");
    EXPECT_EQ(board.BIOSRomSize, 1024);
    EXPECT_STREQ(board.ModelName, "PRIME B650M-A");
    EXPECT_STREQ(board.RevisionVer, "R1.05");
    EXPECT_STREQ(board.ReleaseDate, "03/12/2023");
}

TEST_F(LiveHostBios, ReadsAClassicTableWhereverTheFirmwareKeepsIt) {
    // An SMBIOS 2.x firmware keeping its table just below 4 GiB.
    sim::SmbiosTableFacts facts;
    facts.major = 2;
    facts.minor = 7;
    facts.structureCount = 3;
    facts.maxStructureSize = 0x28;
    facts.tableLength = static_cast<uint16_t>(kTable.size());
    facts.tableAddress = 0xFFFF'FFC0;
    const auto entry = sim::makeSmbiosEntryPoint(facts);
    writeFile("smbios_entry_point", {entry.begin(), entry.end()});
    writeFile("DMI", kTable);
    openLibrary();

    ProcessorInfo cpu{};
    ASSERT_EQ(GetProcessorInfo(&cpu), 1);
    EXPECT_EQ(cpu.CPUSpeed, 3000);
    EXPECT_STREQ(cpu.CPUSocketType, "AM5");
}

TEST_F(LiveHostBios, WithoutAReadableTableOnlyTheProcessorIdentifies) {
    openLibrary();
    ProcessorInfo cpu{};
    ASSERT_EQ(GetProcessorInfo(&cpu), 1);
    EXPECT_EQ(cpu.CPUSpeed, 0);
    EXPECT_FLOAT_EQ(cpu.CPURatio, 0.0f);
    EXPECT_STREQ(cpu.CPUSocketType, "Unknown");
    EXPECT_STREQ(cpu.CPUVersionStr, "Unknown");
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_EQ(std::strlen(cpu.CPUVendorID), 12u) << "CPUID still answers";
#endif
    MotherBoardInfo board{};
    ASSERT_EQ(GetMotherBoardInfo(&board), 1);
    EXPECT_STREQ(board.BIOSVendor, "Unknown");
    EXPECT_EQ(board.BIOSRomSize, 0);
}

}  // namespace
}  // namespace zelkora::winio::live
