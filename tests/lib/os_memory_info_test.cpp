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

TEST(OSVersionInfo, TableRules) {
    auto xp = osOn(
        R"({"platformId": 2, "major": 5, "minor": 1, "build": 70000, "servicePack": "Service Pack 2"})");
    EXPECT_STREQ(xp.OSNameString, "Microsoft Windows XP");
    EXPECT_EQ(xp.MajorVersion, 5u);
    EXPECT_EQ(xp.MinorVersion, 1u);
    EXPECT_EQ(xp.BuildNumber, 70000u) << "the NT family keeps the whole build number";
    EXPECT_STREQ(xp.OtherInfo, "Service Pack 2");

    auto se = osOn(R"({"platformId": 1, "major": 4, "minor": 10, "build": "0x040A08AE"})");
    EXPECT_STREQ(se.OSNameString, "Microsoft Windows 98 second");
    EXPECT_EQ(se.BuildNumber, 0x08AEu) << "other platforms keep the low 16 bits";
    EXPECT_STREQ(se.OtherInfo, "");

    EXPECT_STREQ(osOn(R"({"platformId": 1, "major": 4, "minor": 90})").OSNameString,
                 "Microsoft Windows Me");

    auto unknown = osOn(R"({"platformId": 2, "major": 5, "minor": 2, "build": 3790})");
    EXPECT_STREQ(unknown.OSNameString, "Unkown OS");
    EXPECT_EQ(unknown.MajorVersion, 0u);
    EXPECT_EQ(unknown.MinorVersion, 2u);
    EXPECT_EQ(unknown.BuildNumber, 3790u);
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
