#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/probes/processor_ratio.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

using testing::SimulatedMachine;

// A machine whose type 4 structure has the given clocks and strings.
std::string machineWithProcessor(uint16_t speed, uint16_t clock, const std::string& strings) {
    char formatted[128];
    std::snprintf(formatted, sizeof formatted,
                  "01 03 B2 02 29 0F 00 00 FF FB EB BF 03 8F %02X %02X B8 0B %02X %02X 41 0F",
                  clock & 0xFF, clock >> 8, speed & 0xFF, speed >> 8);
    return std::string(
               R"({"system": {"cpuid": {"vendor": "AuthenticAMD", "signature": "0x0681", "features": "0x0383FBFF"}},
      "smbios": {"structures": [{"type": 0, "strings": ["BIOS"]}, {"type": 4, "formatted": ")") +
           formatted + R"(", "strings": )" + strings + "}]}}";
}

TEST(ProcessorInfo, DemoBoardGivesIdentificationAndSmbiosFields) {
    auto machine = SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
    ASSERT_TRUE(machine->open());
    ProcessorInfo info{};
    ASSERT_EQ(GetProcessorInfo(&info), 1);
    EXPECT_EQ(info.CPUFamily, 0xF);
    EXPECT_EQ(info.CPUModel, 2);
    EXPECT_EQ(info.CPUStepping, 9);
    EXPECT_EQ(info.CPUFeature, 0xBFEBFBFFu);
    EXPECT_STREQ(info.CPUVendorID, "GenuineIntel");
    EXPECT_EQ(info.CPUSpeed, 2400);
    EXPECT_EQ(info.CPUExtendedClock, 133);
    EXPECT_FLOAT_EQ(info.CPURatio, 18.0f);
    EXPECT_STREQ(info.CPUSocketType, "Socket 478");
    EXPECT_STREQ(info.CPUVersionStr, "Intel(R) Pentium(R) 4 CP");  // cut to 24 characters
}

TEST(ProcessorInfo, RatioRoundsToHalves) {
    EXPECT_FLOAT_EQ(probes::processorRatio(2400, 133), 18.0f);
    EXPECT_FLOAT_EQ(probes::processorRatio(1466, 133), 11.0f);
    EXPECT_FLOAT_EQ(probes::processorRatio(1050, 100), 10.5f);
    EXPECT_FLOAT_EQ(probes::processorRatio(1130, 100), 11.5f);
    EXPECT_FLOAT_EQ(probes::processorRatio(1300, 100), 13.0f);
    EXPECT_FLOAT_EQ(probes::processorRatio(1125, 100), 11.0f);  // a quarter rounds down
    EXPECT_FLOAT_EQ(probes::processorRatio(1175, 100), 12.0f - 0.5f);
    EXPECT_FLOAT_EQ(probes::processorRatio(1830, 266), 7.0f);  // 6.88 is seven, not six and a half
    EXPECT_FLOAT_EQ(probes::processorRatio(2400, 0), 0.0f);
}

TEST(ProcessorInfo, ClocksAndTextsFromTheStructure) {
    SimulatedMachine machine(
        machineWithProcessor(1130, 100, R"j(["Socket A (462)", "AMD", "AMD Athlon(tm) XP"])j"));
    ASSERT_TRUE(machine.open());
    ProcessorInfo info{};
    ASSERT_EQ(GetProcessorInfo(&info), 1);
    EXPECT_EQ(info.CPUFamily, 6);
    EXPECT_EQ(info.CPUModel, 8);
    EXPECT_EQ(info.CPUStepping, 1);
    EXPECT_STREQ(info.CPUVendorID, "AuthenticAMD");
    EXPECT_EQ(info.CPUSpeed, 1130);
    EXPECT_FLOAT_EQ(info.CPURatio, 11.5f);
    EXPECT_STREQ(info.CPUSocketType, "Socket A (4");
    EXPECT_STREQ(info.CPUVersionStr, "AMD Athlon(tm) XP");

    SimulatedMachine noClock(machineWithProcessor(1300, 0, R"(["Slot 1"])"));
    ASSERT_TRUE(noClock.open());
    ASSERT_EQ(GetProcessorInfo(&info), 1);
    EXPECT_EQ(info.CPUSpeed, 1300);
    EXPECT_EQ(info.CPUExtendedClock, 0);
    EXPECT_FLOAT_EQ(info.CPURatio, 0.0f);
    EXPECT_STREQ(info.CPUSocketType, "Slot 1");
    EXPECT_STREQ(info.CPUVersionStr, "Unknown") << "the structure has no third string";
}

TEST(ProcessorInfo, WithoutSmbiosOnlyIdentificationIsFilled) {
    for (const char* board : {R"({"bios": {}})",  // a BIOS area without an entry point
                              R"({"smbios": {"structures": [{"type": 0}, {"type": 127}]}})"}) {
        SimulatedMachine machine(board);
        ASSERT_TRUE(machine.open());
        ProcessorInfo info;
        std::memset(&info, 0x5A, sizeof info);
        ASSERT_EQ(GetProcessorInfo(&info), 1);
        EXPECT_EQ(info.CPUFamily, 0xF);
        EXPECT_EQ(info.CPUModel, 2);
        EXPECT_EQ(info.CPUStepping, 9);
        EXPECT_EQ(info.CPUFeature, 0xBFEBFBFFu);
        EXPECT_STREQ(info.CPUVendorID, "GenuineIntel");
        EXPECT_EQ(info.CPUSpeed, 0);
        EXPECT_EQ(info.CPUExtendedClock, 0);
        EXPECT_FLOAT_EQ(info.CPURatio, 0.0f);
        EXPECT_STREQ(info.CPUSocketType, "Unknown");
        EXPECT_STREQ(info.CPUVersionStr, "Unknown");
    }
}

TEST(ProcessorInfo, ClosedAccessLeavesTheRecordAlone) {
    auto machine = SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
    ProcessorInfo info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(GetProcessorInfo(&info), 0);
    EXPECT_EQ(info.CPUFamily, 0x5A);
    EXPECT_EQ(info.CPUVendorID[0], 0x5A);
}

}  // namespace
}  // namespace zelkora
