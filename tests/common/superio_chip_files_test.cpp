#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::common {
namespace {

using testing::fileBytes;

// Section name -> its keys as "Manufacture=...|Super-I/O Type=...|FDC=0|..." in
// file order, so one comparison covers every key.
using Chips = std::map<std::string, std::string>;

// The shipped chip files: the same data for the library and the dialog, one
// section per identifier, access methods the routines know, every one of the
// seven logical device numbers once per section (a missing one would read as
// device 0), and no 8-bit section that would hide the 16-bit sections of
// chips reading its value in register 20h.
TEST(SuperIoChipFiles, ShipCompleteSectionsForEveryChip) {
    const auto resources = testing::kSourceDir / "resources";
    const std::string text = fileBytes(resources / "SuperIOInfo.txt");
    EXPECT_EQ(text, fileBytes(resources / "SuperIOInfo.dat"));

    const std::regex line(
        R"(^(\[ID=([0-9A-F]{2}|[0-9A-F]{4})h\]|;.*|Manufacture=(WINBOND|SMSC|ITE|SIS)|)"
        R"(Super-I/O Type=.+|(FDC|UART A|UART B|CIR|Parallel Port|Midi Port|Game Port))"
        R"( Logical Device Number=(\d{1,2}|1\d\d|2[0-4]\d|25[0-5])|)$)");
    Chips chips;
    std::string section;
    std::istringstream lines(text);
    for (std::string entry; std::getline(lines, entry);) {
        std::smatch parts;
        EXPECT_TRUE(std::regex_match(entry, parts, line)) << entry;
        if (entry.starts_with("[")) {
            section = parts[2];
            EXPECT_TRUE(chips.emplace(section, "").second) << "twice: " << entry;
        } else if (!entry.empty() && !entry.starts_with(";")) {
            chips[section] +=
                (parts[4].matched ? parts[4].str() + "=" + parts[5].str() : entry) + "|";
        }
    }
    const std::regex complete(
        "Manufacture=\\w+\\|Super-I/O Type=[^|]+\\|FDC=\\d+\\|UART A=\\d+\\|UART B=\\d+\\|"
        "CIR=\\d+\\|Parallel Port=\\d+\\|Midi Port=\\d+\\|Game Port=\\d+\\|");
    for (const auto& [id, keys] : chips) {
        EXPECT_TRUE(std::regex_match(keys, complete)) << id << ": " << keys;
        EXPECT_FALSE(id.size() == 4 && chips.contains(id.substr(0, 2))) << id;
    }
    EXPECT_GE(chips.size(), 63u);
    EXPECT_TRUE(chips.contains("52")) << "the demo board's chip";

    // docs/superio-chips.md has a row per section with the same name, method
    // and numbers ("-" for 255) and the source they come from.
    const std::string docs = fileBytes(testing::kSourceDir / "docs" / "superio-chips.md");
    const std::regex row(R"(\| ([0-9A-F]{2,4})h \| ([^|]+) \| (\w+) \| (.*) \| ([^|]*\w[^|]*) \|)");
    Chips documented;
    for (std::sregex_iterator it(docs.begin(), docs.end(), row), end; it != end; ++it) {
        std::string numbers = std::regex_replace((*it)[4].str(), std::regex("-"), "255");
        std::istringstream cells(std::regex_replace(numbers, std::regex(R"( \| )"), " "));
        std::string keys = "Manufacture=" + (*it)[3].str() + "|Super-I/O Type=" + (*it)[2].str();
        for (const char* key :
             {"FDC", "UART A", "UART B", "CIR", "Parallel Port", "Midi Port", "Game Port"}) {
            std::string value;
            cells >> value;
            keys += std::string("|") + key + "=" + value;
        }
        documented[(*it)[1]] = keys + "|";
    }
    EXPECT_EQ(documented, chips);
}

}  // namespace
}  // namespace zelkora::common
