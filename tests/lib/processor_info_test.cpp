#include <gtest/gtest.h>

#include <cstring>

#include "lib/probes/processor_ratio.h"
#include "tests/support/device_lists.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

using testing::SimulatedMachine;

// The CPUID part of the record on a machine with the default processor (signature 0F29h).
void expectCpuidFields(const ProcessorInfo& info) {
    EXPECT_EQ(info.CPUFamily, 0xF);
    EXPECT_EQ(info.CPUModel, 2);
    EXPECT_EQ(info.CPUStepping, 9);
    EXPECT_EQ(info.CPUFeature, 0xBFEBFBFFu);
    EXPECT_STREQ(info.CPUVendorID, "GenuineIntel");
}

TEST(ProcessorInfo, SocketAndVersionAreTheStringsTheirBytesName) {
    // Byte 04h names a string past the last one, byte 10h string 4.
    SimulatedMachine machine(R"({"smbios": {"structures": [{"type": 4,
        "formatted": "05 03 B3 02 00 00 00 00 00 00 00 00 04",
        "strings": ["Socket 603", "Intel", "Pentium (R) II Xeon", "Pentium (R) III Xeon"]}]}})");
    ASSERT_TRUE(machine.open());
    ProcessorInfo info{};
    ASSERT_EQ(GetProcessorInfo(&info), 1);
    EXPECT_STREQ(info.CPUSocketType, "Unknown");
    EXPECT_STREQ(info.CPUVersionStr, "Pentium (R) III Xeon");
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

TEST(ProcessorInfo, WithoutSmbiosOnlyIdentificationIsFilled) {
    for (const char* board : {R"({"bios": {}})",  // a BIOS area without an entry point
                              R"({"smbios": {"structures": [{"type": 0}, {"type": 127}]}})"}) {
        SimulatedMachine machine(board);
        ASSERT_TRUE(machine.open());
        ProcessorInfo info;
        std::memset(&info, 0x5A, sizeof info);
        ASSERT_EQ(GetProcessorInfo(&info), 1);
        expectCpuidFields(info);
        EXPECT_EQ(testing::cpuLine(info), "Unknown|0|0|0.0|Unknown");
    }
}

}  // namespace
}  // namespace zelkora
