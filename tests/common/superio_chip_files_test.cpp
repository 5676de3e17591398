#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/simulated_machine.h"

namespace zelkora::common {
namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The shipped chip files: the same data for the library and the dialog, one
// section per identifier, access methods the routines know, numbers that fit
// a logical device, and no 8-bit section that would hide every ITE chip.
TEST(SuperIoChipFiles, ShipValidSectionsForEveryChip) {
    const auto resources = testing::kSourceDir / "resources";
    const std::string text = readAll(resources / "SuperIOInfo.txt");
    EXPECT_EQ(text, readAll(resources / "SuperIOInfo.dat"));

    const std::regex line(
        R"(^(\[ID=([0-9A-F]{2}|[0-9A-F]{4})h\]|;.*|Manufacture=(WINBOND|SMSC|ITE|SIS)|)"
        R"(Super-I/O Type=.+|(FDC|UART A|UART B|CIR|Parallel Port|Midi Port|Game Port))"
        R"( Logical Device Number=(\d{1,2}|1\d\d|2[0-4]\d|25[0-5])|)$)");
    std::set<std::string> sections;
    std::istringstream lines(text);
    for (std::string entry; std::getline(lines, entry);) {
        EXPECT_TRUE(std::regex_match(entry, line)) << entry;
        if (entry.starts_with("[")) {
            EXPECT_TRUE(sections.insert(entry).second) << "twice: " << entry;
        }
    }
    EXPECT_GE(sections.size(), 60u);
    EXPECT_FALSE(sections.contains("[ID=87h]"));
    EXPECT_TRUE(sections.contains("[ID=52h]")) << "the demo board's chip";
}

}  // namespace
}  // namespace zelkora::common
