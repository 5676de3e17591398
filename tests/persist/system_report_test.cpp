// The system report: its exact bytes for the demo board, an update of an
// existing file, the source of the drive sections, and numbers in "%d" and
// "%g".
#include "app/persist/system_report.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/fixed_text.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/device_lists.h"
#include "tests/support/fake_root.h"

namespace zelkora::persist {
namespace {

namespace fs = std::filesystem;
using testing::fileBytes;

std::string report(std::span<const IDEDeviceInfo> ideRecords = {}) {
    const fs::path path = testing::scratchPath("report") += ".ini";
    fs::remove(path);
    EXPECT_TRUE(writeSystemReport(path.string(), ideRecords));
    std::string bytes = fileBytes(path);
    fs::remove(path);
    return bytes;
}

// The demo board's report. Four descriptions end in a blank, as the
// library's 50-character field cuts them.
const std::string kDemoReport = fileBytes(testing::kTestData / "demo-report.ini");

std::string section(std::string_view report, std::string_view name) {
    std::string header = "[";
    header.append(name).append("]\n");
    const std::size_t start = report.find(header);
    return std::string(report.substr(start, report.find("\n\n", start) + 2 - start));
}

TEST(SystemReport, DemoBoardNewFileAndOverAnExistingFile) {
    testing::SimulatedMachine machine(testing::demoMachine());
    ASSERT_TRUE(machine.open());
    EXPECT_EQ(report(), kDemoReport);

    // Keys already in the file keep their place and get new values; what
    // the report does not write stays; new keys follow their section.
    const fs::path path = testing::scratchPath("old-report") += ".ini";
    testing::writeBytes(path,
                        "; kept\n[Foreign]\nKeep=1\n\n[processor information]\n"
                        "CPUVendorID=Old\nOwnKey=stays\n");
    ASSERT_TRUE(writeSystemReport(path.string(), {}));
    EXPECT_EQ(fileBytes(path), fileBytes(testing::kTestData / "demo-report-updated.ini"));
    fs::remove(path);

    EXPECT_FALSE(writeSystemReport("/nonexistent-zelkora-folder/report.ini", {}));
}

TEST(SystemReport, DrivesFromThePageListOrTheWalk) {
    testing::SimulatedMachine machine(testing::demoMachine());
    ASSERT_TRUE(machine.open());
    // The page's list is written as the library's records hold it, empty
    // positions too (55AAh for both capabilities); a position outside 1, 2,
    // 4, 8 keeps the section of the record before it.
    std::vector<IDEDeviceInfo> page = testing::ideRecords();
    ASSERT_EQ(page.size(), 4u);
    page[3].Position = 3;
    const std::string written = report(page);
    const std::string empty =
        "FirmwareRev=\nModelNumber=\nSerialNumber=\nDeviceType=0\nGenCfgInfo=0\n"
        "MajorVersion=0\nPIOCapability=21930\nDMACapability=21930\nTotalSectors=0\n\n";
    EXPECT_EQ(section(written, "Primary Slaver"), "[Primary Slaver]\n" + empty);
    EXPECT_EQ(section(written, "Secondary Master"), "[Secondary Master]\n" + empty);
    EXPECT_EQ(written.find("[Secondary Slaver]"), std::string::npos);
    EXPECT_EQ(section(written, "Primary Master"), section(kDemoReport, "Primary Master"));
}

TEST(SystemReport, SignedDecimalsAndRatios) {
    for (const auto& [clock, ratio] : {std::pair{"FC 08", "11.5"}, std::pair{"60 09", "12"}}) {
        const std::string speed = clock;  // a lambda may not capture a structured binding
        testing::SimulatedMachine machine(testing::demoMachine([&](nlohmann::json& board) {
            board["system"]["memory"]["totalPhysical"] = 0xC0000000u;
            board["system"]["memory"]["totalPageFile"] = 0xFFFFFFFFu;
            for (auto& structure : board["smbios"]["structures"]) {
                if (structure["type"] != 4) continue;
                std::string formatted = structure["formatted"];
                // External clock 200 MHz, current speed 2300 or 2400 MHz.
                formatted.replace(formatted.find("85 00 B8 0B 60 09"), 17,
                                  std::string("C8 00 B8 0B ") + speed);
                structure["formatted"] = formatted;
            }
        }));
        ASSERT_TRUE(machine.open());
        const std::string written = report();
        EXPECT_NE(written.find(std::string("\nCPURatio=") + ratio + "\n"), std::string::npos)
            << written;
        EXPECT_NE(written.find("\nCPUFeature=-1075053569\n"), std::string::npos);
        EXPECT_NE(written.find("\nTotalPhysicalMem=-1073741824\n"), std::string::npos);
        EXPECT_NE(written.find("\nTotalPageFiles=-1\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace zelkora::persist
