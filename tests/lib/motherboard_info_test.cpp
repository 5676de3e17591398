#include <gtest/gtest.h>

#include <string>

#include "hardware/pc_addresses.h"
#include "lib/probes/bios_identification.h"
#include "tests/support/device_lists.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

using testing::boardLine;
using testing::SimulatedMachine;

// Model, revision and date split from an identification text.
std::string split(std::string_view text) {
    const auto parts = probes::splitBiosIdentification(
        std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    return parts.model + "|" + parts.revision + "|" + parts.date;
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
    // The BIOS revision is cut to 9 characters.
    EXPECT_EQ(boardLine(info),
              "MB 9000 Pro|R1.02|Jan.05.2003|Phoenix Technologies, LTD|6.00 PG R|256");
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
    EXPECT_EQ(split("no revision pattern here at all"), "Unknown|Unknown|Unknown");
    // 80 bytes without a NUL whose last space has its "." just past the end.
    const std::string full = std::string(77, 'A') + " R1";
    ASSERT_EQ(full.size(), hardware::kBiosIdentificationLength);
    EXPECT_EQ(split(full), "Unknown|Unknown|Unknown");
    EXPECT_EQ(split("P4 Board R2.01"), "P4 Board|R2.01|Unknown");
    EXPECT_EQ(split(std::string_view(" R1.05 Jan\0.05.2003", 19)), "Unknown|R1.05|Jan")
        << "the text ends at its NUL";

    // Tokens longer than their fields are cut when stored.
    SimulatedMachine machine(
        boardWithBios("A board model name longer than twenty R1.0234567890 Jan.05.2003", "07"));
    ASSERT_TRUE(machine.open());
    MotherBoardInfo info{};
    ASSERT_EQ(GetMotherBoardInfo(&info), 1);
    EXPECT_EQ(boardLine(info),
              "A board model name |R1.023456|Jan.05.2003|Phoenix Technologies, LTD|6.00 PG R|512");
}

}  // namespace
}  // namespace zelkora
