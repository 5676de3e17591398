#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

OSVersionInfo osOn(const std::string& version, int32_t expectedResult = 1) {
    testing::SimulatedMachine machine(R"({"system": {"version": )" + version + "}}");
    OSVersionInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(GetOSVersionInfo(&info), expectedResult);
    return info;
}

// Name, major.minor.build and other information.
std::string line(const OSVersionInfo& info) {
    return std::string(info.OSNameString) + "|" + std::to_string(info.MajorVersion) + "." +
           std::to_string(info.MinorVersion) + "." + std::to_string(info.BuildNumber) + "|" +
           info.OtherInfo;
}

TEST(OSVersionInfo, TableRules) {
    // The NT family keeps the whole build number, other platforms the low 16 bits (8AEh).
    EXPECT_EQ(line(osOn(R"({"platformId": 2, "major": 5, "minor": 1, "build": 70000,
                            "servicePack": "Service Pack 2"})")),
              "Microsoft Windows XP|5.1.70000|Service Pack 2");
    EXPECT_EQ(line(osOn(R"({"platformId": 1, "major": 4, "minor": 10, "build": "0x040A08AE"})")),
              "Microsoft Windows 98 second|4.10.2222|");

    EXPECT_STREQ(osOn(R"({"platformId": 1, "major": 4, "minor": 90})").OSNameString,
                 "Microsoft Windows Me");

    EXPECT_EQ(line(osOn(R"({"platformId": 2, "major": 5, "minor": 2, "build": 3790})")),
              "Unkown OS|0.2.3790|");
}

TEST(OSVersionInfo, FailedQueryGivesAZeroRecord) {
    auto info = osOn(R"({"queryFails": true})", 0);
    const OSVersionInfo zero{};
    EXPECT_EQ(std::memcmp(&info, &zero, sizeof info), 0);
}

TEST(OSVersionInfo, LongServicePackTextIsCutAndTerminated) {
    auto info = osOn(R"({"platformId": 2, "major": 5, "minor": 1, "servicePack": ")" +
                     std::string(100, 'x') + R"("})");
    EXPECT_EQ(std::strlen(info.OtherInfo), 63u);
}

}  // namespace
}  // namespace zelkora
