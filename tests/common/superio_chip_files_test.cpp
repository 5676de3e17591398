#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::common {
namespace {

using testing::fileBytes;

// The shipped chip files: the same data for the library and the dialog, one
// section per identifier, access methods the routines know, every one of the
// seven logical device numbers once per section (a missing one would read as
// device 0), and no 8-bit section that would hide every ITE chip.
TEST(SuperIoChipFiles, ShipCompleteSectionsForEveryChip) {
    const auto resources = testing::kSourceDir / "resources";
    const std::string text = fileBytes(resources / "SuperIOInfo.txt");
    EXPECT_EQ(text, fileBytes(resources / "SuperIOInfo.dat"));

    const std::regex line(
        R"(^(\[ID=([0-9A-F]{2}|[0-9A-F]{4})h\]|;.*|Manufacture=(WINBOND|SMSC|ITE|SIS)|)"
        R"(Super-I/O Type=.+|(FDC|UART A|UART B|CIR|Parallel Port|Midi Port|Game Port))"
        R"( Logical Device Number=(\d{1,2}|1\d\d|2[0-4]\d|25[0-5])|)$)");
    std::set<std::string> sections;
    std::map<std::string, std::set<std::string>> numbers;
    std::string section;
    std::istringstream lines(text);
    for (std::string entry; std::getline(lines, entry);) {
        std::smatch parts;
        EXPECT_TRUE(std::regex_match(entry, parts, line)) << entry;
        if (entry.starts_with("[")) {
            section = entry;
            EXPECT_TRUE(sections.insert(entry).second) << "twice: " << entry;
            numbers[section];
        } else if (parts[4].matched) {
            EXPECT_TRUE(numbers[section].insert(parts[4]).second) << section << " " << entry;
        }
    }
    for (const auto& [name, keys] : numbers) {
        EXPECT_EQ(keys.size(), 7u) << name << " lacks logical device numbers";
    }
    EXPECT_GE(sections.size(), 45u);
    EXPECT_FALSE(sections.contains("[ID=87h]"));
    EXPECT_TRUE(sections.contains("[ID=52h]")) << "the demo board's chip";
}

}  // namespace
}  // namespace zelkora::common
