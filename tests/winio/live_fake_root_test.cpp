// The library on a live host made of fake system roots: the drives, firmware
// and processor facts that every user may read, and nothing written anywhere.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "hardware/pc_addresses.h"
#include "lib/probes/bios_identification.h"
#include "tests/support/device_lists.h"
#include "tests/support/fake_root.h"
#include "tests/support/test_driver.h"
#include "winio/live/live_bios.h"
#include "winio/live/live_drives.h"
#include "winio/live/live_host.h"
#include "winio/sim/smbios_image.h"
#include "zelkora/sysinfo.h"

namespace zelkora::winio::live {
namespace {

namespace fs = std::filesystem;
using testing::boardLine;
using testing::cpuLine;
using testing::driveLines;
using testing::FakeRoot;
using testing::fileBytes;

// An SMBIOS 3.`minor` entry point.
std::string sm3Entry(uint8_t minor) {
    std::string entry(0x18, '\0');
    entry.replace(0, 5, "_SM3_");
    entry[6] = 0x18;
    entry[7] = 3;
    entry[8] = static_cast<char>(minor);
    return entry;
}

// The ata_device "id" attribute: eight words a line.
std::string kernelIdentifyText(const IdentifyWords& words) {
    std::string text;
    for (size_t i = 0; i < words.size(); ++i) {
        char word[8];
        std::snprintf(word, sizeof word, "%04x%c", words[i], (i + 1) % 8 ? ' ' : '\n');
        text += word;
    }
    return text;
}

class LiveFakeRoot : public ::testing::Test {
  protected:
    void TearDown() override { zelkora::testing::resetLibrary(); }
    static void openLibrary() { ASSERT_TRUE(zelkora::testing::openLiveLibrary()); }
    static MotherBoardInfo board() {
        MotherBoardInfo info{};
        EXPECT_EQ(GetMotherBoardInfo(&info), 1);
        return info;
    }
    static ProcessorInfo cpu() {
        ProcessorInfo info{};
        EXPECT_EQ(GetProcessorInfo(&info), 1);
        return info;
    }
    FakeRoot root_{"zelkora-live-root"};
};

// tests/data/roots/laptop: five libata devices (an SSD, an empty slot, a DVD
// writer, a disk, and one whose identify data is cut short), the DMI identity,
// /proc/cpuinfo, the host bridge, and another vendor's root port at 00:07.0.
TEST_F(LiveFakeRoot, LaptopWithoutTablesShowsItsDrivesBoardAndProcessorAndWritesNothing) {
    root_.copyFrom("laptop");
    const auto rootPort = root_.path() / "sys/bus/pci/devices/0000:00:07.0/config";
    const std::string rootPortBytes = fileBytes(rootPort);
    openLibrary();

    // dev2.0 before dev10.0: by number; the cut-short dev3.0 is left out.
    EXPECT_EQ(driveLines(),
              (std::vector<std::string>{
                  "AA Samsung SSD 870 EVO 1TB|SN-Sams|FW1|268435455 0040 0000 0003 407F",
                  "AA WDC WD10SPZX-22Z10T1|SN-WDC|FW1|123456789 0040 0000 0003 407F",
                  "55 HL-DT-ST DVDRAM GUD0N|SN-HL-D|FW1|0 85C0 0000 0003 407F",
                  "00 |||0 0000 0000 55AA 55AA"}));
    // "x.x" cannot stand as a revision; the BIOS version is cut to its field, not shifted
    // into another; the ROM size is not known.
    EXPECT_EQ(boardLine(board()), "Z390 AORUS PRO|--.--|03/14/2019|LENOVO|N2HET62W |0");
    // The rated clock of the model name.
    EXPECT_EQ(cpuLine(cpu()), "Intel(R) Core(TM) i7-970|3600|0|0.0|Unknown");
    EXPECT_EQ(GetFirstSuperIOPos(), nullptr) << "a floating bus has no chip";
    EXPECT_EQ(fileBytes(rootPort), rootPortBytes);
}

// A real VIA south bridge at 00:07.0, but no raw port access: its Super-I/O
// could not be read even if enabled, so its enable byte is never written and
// no made-up chip is listed. A FIFO among the sysfs files hangs nothing.
TEST_F(LiveFakeRoot, ViaBridgeWithoutRawPortsIsNeverWrittenAndFifosHangNothing) {
    root_.copyFrom("via-bridge");  // its byte 85h is 10h
    const std::string pci = "sys/bus/pci/devices/";
    const auto bridge = root_.path() / pci / "0000:00:07.0/config";
    const std::string via = fileBytes(bridge);
    root_.folder(pci + "0000:00:1f.0");
    ASSERT_EQ(::mkfifo((root_.path() / pci / "0000:00:1f.0/config").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((root_.path() / pci / "0000:00:1f.0/vendor").c_str(), 0600), 0);
    openLibrary();
    EXPECT_EQ(GetFirstSuperIOPos(), nullptr);
    EXPECT_EQ(testing::pciRecords().size(), 1u);
    EXPECT_EQ(fileBytes(bridge), via);
}

// tests/data/roots/nvme: a 4 TB disk as nvme0, and nvme2 and nvme10 without
// a namespace.
TEST_F(LiveFakeRoot, NvmeOnlyMachineShowsItsDiskInTheFirstPosition) {
    root_.copyFrom("nvme");
    openLibrary();

    // The size saturates as a large ATA disk reports it (words 60-61), and words 100-103 hold
    // all 48 bits; nvme2 before nvme10; no namespace, no size.
    const auto words = findLiveDrives().at(0).words;
    EXPECT_EQ(std::vector(words.begin() + 100, words.begin() + 104),
              (std::vector<uint16_t>{0xBEB0, 0xD1C0, 0x0001, 0x0000}));
    EXPECT_EQ(
        driveLines(),
        (std::vector<std::string>{
            "AA Samsung SSD 980 PRO 4TB|S5GXNF0R123456|5B2QGXA7|268435455 0040 0000 55AA 55AA",
            "AA Third disk| | |0 0040 0000 55AA 55AA", "AA Second disk| | |0 0040 0000 55AA 55AA",
            "00 |||0 0000 0000 55AA 55AA"}));
    // No DMI identity, no text; without a readable table only the processor identifies itself.
    EXPECT_EQ(boardLine(board()), "Unknown|Unknown|Unknown|Unknown|Unknown|0");
    const ProcessorInfo info = cpu();
    EXPECT_EQ(cpuLine(info), "Unknown|0|0|0.0|Unknown");
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_EQ(std::strlen(info.CPUVendorID), 12u) << "CPUID still answers";
#endif
}

// tests/data/roots/firmware: an SMBIOS 3.5 table of type 0 (ROM size byte 0Fh:
// 1 MiB), type 4 (3000 MHz on a 100 MHz clock) and the end marker, and the
// DMI identity.
TEST_F(LiveFakeRoot, FirmwareTableBehindEitherEntryPointGivesProcessorAndBiosFields) {
    root_.copyFrom("firmware");
    const std::string tables = "sys/firmware/dmi/tables/";
    openLibrary();
    EXPECT_EQ(cpuLine(cpu()), "Ryzen|3000|100|30.0|AM5");
    EXPECT_EQ(boardLine(board()), "PRIME B650M-A|R1.05|03/12/2023|Ven|1.2|1024");

    // An SMBIOS 2.x firmware keeping its table just below 4 GiB.
    const auto classic = sim::makeSmbiosEntryPoint(
        {2, 7, 3, 0x28, static_cast<uint16_t>(fileBytes(root_.path() / tables / "DMI").size()),
         0xFFFF'FFC0});
    root_.write(tables + "smbios_entry_point", std::string(classic.begin(), classic.end()));
    openLibrary();
    EXPECT_EQ(cpuLine(cpu()), "Ryzen|3000|100|30.0|AM5");
}

TEST_F(LiveFakeRoot, Smbios31RomSizeByteFFhUsesTheExtendedSize) {
    struct Case {
        uint8_t minor;
        uint16_t extended;
        uint16_t kilobytes;
    };
    for (const auto& [minor, extended, kilobytes] :
         {Case{3, 0x0020, 32768}, Case{2, 0x4040, 0xFFFF}, Case{0, 0x0020, 16384}}) {
        SCOPED_TRACE(minor);
        std::string table = {0, 0x1A, 0, 0, 1, 2, 0, '\xF0', 0, '\xFF'};
        table.resize(0x18, '\0');
        table += {static_cast<char>(extended), static_cast<char>(extended >> 8)};
        table += std::string(
            "AMI\0"
            "F12\0\0",
            9);
        table += std::string("\x7F\x04\x01\x00\x00\x00", 6);
        root_.write("sys/firmware/dmi/tables/smbios_entry_point", sm3Entry(minor));
        root_.write("sys/firmware/dmi/tables/DMI", table);
        openLibrary();
        EXPECT_EQ(boardLine(board()),
                  "Unknown|Unknown|Unknown|AMI|F12|" + std::to_string(kilobytes));
    }
}

TEST(LiveIdentification, SplitsBackIntoBoardRevisionAndDate) {
    const auto split = [](const std::string& text) {
        const auto parts = probes::splitBiosIdentification(
            {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
        return parts.model + "|" + parts.revision + "|" + parts.date;
    };
    // DMI identity, then what the library reads back as model|revision|date.
    const std::pair<DmiIdentity, std::string> cases[] = {
        {{"", "2.17.1246", "07/02/2021", "", "PRIME B650M-A WIFI II", "Rev 1.xx"},
         "PRIME B650M-A WIFI II|--.--|07/02/2021"},
        {{"", "F12", "11/05/2019", "", "Z390 AORUS PRO", "R1.05"},
         "Z390 AORUS PRO|R1.05|11/05/2019"},
        {{"", "N2HET62W (1.45 )", "03/14/2019", "", "20QD0007GE", "SDK0J40697 WIN"},
         "20QD0007GE|--.--|03/14/2019"},
        {{"", "", "01/01/2020", "", "Board 12.3 X", "V1.0"}, "Board_12.3 X|V1.0|01/01/2020"},
        {{"", "", "", "", "X570 GAMING", "1.0"}, "X570 GAMING|--.--|Unknown"},
        {{"", "", "01/01/2020", "", "", ""}, "Unknown|--.--|01/01/2020"},
        {{"", "", "Jan 1 2020", "", "B", "..1"}, "B|--.--|Unknown"},
    };
    for (const auto& [identity, expected] : cases) {
        const std::string text = buildIdentificationText(identity);
        ASSERT_LE(text.size(), hardware::kBiosIdentificationLength) << identity.boardName;
        EXPECT_EQ(split(text), expected);
    }
    // A board name too long for the 80 bytes is cut; the revision and date survive.
    const std::string text =
        buildIdentificationText({"", "", "12/31/2022", "", std::string(90, 'B'), "R2.00"});
    ASSERT_EQ(text.size(), hardware::kBiosIdentificationLength);
    EXPECT_TRUE(split(text).ends_with("|R2.00|12/31/2022")) << split(text);
    EXPECT_TRUE(buildIdentificationText({}).empty());
}

TEST(LiveParsers, IdentifyWordsAndCpuinfo) {
    IdentifyWords words{};
    words[0] = 0x0040;
    words[255] = 0xA5FF;
    EXPECT_EQ(parseIdentifyWords(kernelIdentifyText(words)), words);
    const std::string good = kernelIdentifyText(words);
    EXPECT_FALSE(parseIdentifyWords(good.substr(0, good.size() - 5))) << "255 words";
    EXPECT_FALSE(parseIdentifyWords(good + "0000\n")) << "257 words";
    EXPECT_FALSE(parseIdentifyWords("10040" + good.substr(4))) << "a five-digit word";
    EXPECT_FALSE(parseIdentifyWords("00g0" + good.substr(4)));
    EXPECT_FALSE(parseIdentifyWords(""));

    const auto rated =
        parseCpuinfo("vendor_id : AuthenticAMD\nmodel name : AMD Ryzen 7 @ 800MHz\n");
    ASSERT_TRUE(rated);
    EXPECT_EQ(rated->vendor, "AuthenticAMD");
    EXPECT_EQ(rated->mhz, 800);
    const auto listed =
        parseCpuinfo("model name\t: AMD Ryzen 7 7700X 8-Core Processor\ncpu MHz\t: 4499.6\n");
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->mhz, 4500);
    EXPECT_EQ(parseCpuinfo("cpu MHz : 1e9\n")->mhz, 0xFFFF);
    EXPECT_EQ(parseCpuinfo("cpu MHz : nan\n")->mhz, 0);
    EXPECT_FALSE(parseCpuinfo("processor : 0\nBogoMIPS : 48.00\n")) << "names no processor";
}

}  // namespace
}  // namespace zelkora::winio::live
