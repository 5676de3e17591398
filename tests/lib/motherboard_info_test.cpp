#include <gtest/gtest.h>

#include <string>

#include "lib/probes/bios_identification.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

using testing::SimulatedMachine;

probes::BiosIdentification split(std::string_view text) {
    return probes::splitBiosIdentification(
        std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::string boardWithBios(const std::string& identification, const std::string& romSize) {
    return R"({"bios": {"identification": ")" + identification + R"("},
      "smbios": {"structures": [{"type": 1, "strings": ["Mirel"]},
        {"type": 0, "formatted": "01 02 00 E0 03 )" +
           romSize +
           R"(", "strings": ["Phoenix Technologies, LTD", "6.00 PG Release", "01/05/2003"]}]}})";
}

TEST(MotherBoardInfo, IdentificationTextAndBiosStructure) {
    SimulatedMachine machine(boardWithBios("MB 9000 Pro R1.02 Jan.05.2003 extra", "03"));
    ASSERT_TRUE(machine.open());
    MotherBoardInfo info{};
    ASSERT_EQ(GetMotherBoardInfo(&info), 1);
    EXPECT_STREQ(info.Manufacture, "Mirel Inc.");
    EXPECT_STREQ(info.ModelName, "MB 9000 Pro");
    EXPECT_STREQ(info.RevisionVer, "R1.02");
    EXPECT_STREQ(info.ReleaseDate, "Jan.05.2003");
    EXPECT_STREQ(info.BIOSVendor, "Phoenix Technologies, LTD");
    EXPECT_STREQ(info.BIOSRevision, "6.00 PG R");  // cut to 9 characters
    EXPECT_EQ(info.BIOSRomSize, 256);
    EXPECT_STREQ(info.ChipsetDriverProvider, "Unknown") << "no host bridge";

    SimulatedMachine larger(boardWithBios("MB 9000 Pro R1.02 Jan.05.2003", "07"));
    ASSERT_TRUE(larger.open());
    ASSERT_EQ(GetMotherBoardInfo(&info), 1);
    EXPECT_EQ(info.BIOSRomSize, 512);

    // The texts are the strings that bytes 04h and 05h name, in whatever order
    // the firmware numbers them; number 0 names none.
    SimulatedMachine reordered(R"({"smbios": {"structures": [{"type": 0,
        "formatted": "03 00 00 E0 01 07", "strings": ["SABR1.86J.0012", "03/05/200", "Intel Corp."]}]}})");
    ASSERT_TRUE(reordered.open());
    ASSERT_EQ(GetMotherBoardInfo(&info), 1);
    EXPECT_STREQ(info.BIOSVendor, "Intel Corp.");
    EXPECT_STREQ(info.BIOSRevision, "Unknown");
}

TEST(MotherBoardInfo, IdentificationSplitStaysInsideTheText) {
    auto parts = split("no revision pattern here at all");
    EXPECT_EQ(parts.model, "Unknown");
    EXPECT_EQ(parts.revision, "Unknown");
    EXPECT_EQ(parts.date, "Unknown");

    // 80 bytes without a NUL whose last space has its "." just past the end.
    std::string full(77, 'A');
    full += " R1";
    ASSERT_EQ(full.size(), probes::kBiosIdentificationLength);
    EXPECT_EQ(split(full).model, "Unknown");

    parts = split("P4 Board R2.01");
    EXPECT_EQ(parts.model, "P4 Board");
    EXPECT_EQ(parts.revision, "R2.01");
    EXPECT_EQ(parts.date, "Unknown");

    parts = split(std::string_view(" R1.05 Jan\0.05.2003", 19));
    EXPECT_EQ(parts.model, "Unknown");
    EXPECT_EQ(parts.revision, "R1.05");
    EXPECT_EQ(parts.date, "Jan") << "the text ends at its NUL";

    // Tokens longer than their fields are cut when stored.
    SimulatedMachine machine(
        boardWithBios("A board model name longer than twenty R1.0234567890 Jan.05.2003", "07"));
    ASSERT_TRUE(machine.open());
    MotherBoardInfo info{};
    ASSERT_EQ(GetMotherBoardInfo(&info), 1);
    EXPECT_STREQ(info.ModelName, "A board model name ");
    EXPECT_STREQ(info.RevisionVer, "R1.023456");
    EXPECT_STREQ(info.ReleaseDate, "Jan.05.2003");
}

}  // namespace
}  // namespace zelkora
