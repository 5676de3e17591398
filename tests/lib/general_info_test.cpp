#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/probes/language_table.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

std::string machineWith(const std::string& system) {
    return R"({"system": {)" + system + "}}";
}

GeneralInfo generalInfo() {
    GeneralInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(GetGeneralInfo(&info), 1);
    return info;
}

// Computer and user name.
std::string names(const GeneralInfo& info) {
    return std::string(info.ComputerName) + "|" + info.CurrentUser;
}

struct LanguageCase {
    const char* id;
    int code;
    const char* name;
};

TEST(GeneralInfo, LanguageIdentifiersGiveNamesAndCodes) {
    const LanguageCase cases[] = {
        {"0x0804", 1, "Simplified Chinese"},
        {"0x0404", 2, "Traditional Chinese"},
        {"0x0C04", 2, "Traditional Chinese"},
        {"0x1004", 0, "Chinese (Singapore)"},
        {"0x0409", 0, "English (United States)"},
        {"0x0420", 0, "Language Neutral"},  // not in the table
        {"0x1C0A", 0, "Unknown"},           // 28 characters do not fit
        {"0x040A", 0, "Unknown"},           // 26 characters do not fit
        {"0x0000", 0, "Language Neutral"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        testing::SimulatedMachine machine(
            machineWith(std::string(R"("language": ")") + c.id + "\""));
        uint8_t code = 0xEE;
        if (std::string(c.id) == "0x0000") {
            // The system reports no language: no code, and the name is unknown.
            EXPECT_EQ(GetLocalLanguageCode(&code), 0);
            EXPECT_EQ(code, 0xEE);
            EXPECT_STREQ(generalInfo().LocalLanguage, "Unknown");
            continue;
        }
        EXPECT_EQ(GetLocalLanguageCode(&code), 1);
        EXPECT_EQ(code, c.code);
        EXPECT_STREQ(generalInfo().LocalLanguage, c.name);
    }
    EXPECT_STREQ(probes::lookUpLanguage(0xFFFF).name, "Language Neutral")
        << "the closing row is never a result";
}

// The demo report holds the usual fields; here are the limits. The machines
// are never opened: these fields need no hardware access.
TEST(GeneralInfo, NamesFitTheirFieldsOrShowUnknown) {
    testing::SimulatedMachine fits(machineWith(
        R"("computerName": "BENCH-7", "userName": "abcdefghijklmnopqrstuvwx",
           "clock": "2026-12-31 23:59:59")"));
    auto info = generalInfo();
    // 24 characters fit; every field is cleared behind its text.
    EXPECT_EQ(names(info) + "|" + info.CurrentDateTime,
              "BENCH-7|abcdefghijklmnopqrstuvwx|2026/12/31 23:59:59");
    EXPECT_EQ(info.ComputerName[sizeof info.ComputerName - 1], 0);

    testing::SimulatedMachine tooLong(machineWith(
        R"("computerName": "a-very-long-host-name-here", "userName": "abcdefghijklmnopqrstuvwxy")"));
    EXPECT_EQ(names(generalInfo()), "Unknown|Unknown") << "25 characters leave no room for the NUL";

    testing::SimulatedMachine failing(
        machineWith(R"("computerNameFails": true, "userNameFails": true)"));
    EXPECT_EQ(names(generalInfo()), "Unknown|Unknown");
}

}  // namespace
}  // namespace zelkora
