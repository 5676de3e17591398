#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "lib/probes/smbios_reader.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::probes {
namespace {

using testing::SimulatedMachine;

// Types 0, 1 and 4 with handles 0000h, 0100h and 0400h. The type 1 structure's
// formatted area ends with a zero byte and it has no strings.
constexpr char kThreeStructures[] = R"({"smbios": {
  "entryPoint": "0xF0010", "tableAddress": "0xF1000",
  "structures": [
    {"type": 0, "handle": "0x0000", "formatted": "01 02 00 E0 03 07", "strings": ["Vendor", "1.0", "01/05/2003"]},
    {"type": 1, "handle": "0x0100", "formatted": "00 00 00 00"},
    {"type": 4, "handle": "0x0400", "formatted": "01", "strings": ["Socket 478"]}
  ]}})";

// `count` reads, each as "result:type/length>next handle".
std::string readNext(SmbiosReader& reader, uint16_t& handle, int count) {
    std::string steps;
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> buffer(size_t{reader.maxStructureSize()} + 1, 0xEE);
        uint16_t length = 0;
        const uint8_t result = reader.ReadNext(handle, buffer, length);
        char text[32];
        std::snprintf(text, sizeof text, "%s%02X:%u/%u>%04X", steps.empty() ? "" : " ", result,
                      buffer[0], length, handle);
        steps += text;
    }
    return steps;
}

TEST(SmbiosReader, FindsTheAnchorOnlyOnFourByteBoundaries) {
    SimulatedMachine aligned(kThreeStructures);
    ASSERT_TRUE(aligned.open());
    SmbiosReader reader;
    uint32_t address = 0;
    ASSERT_TRUE(reader.FindEntryPoint(address));
    EXPECT_EQ(address, 0xF0010u);
    ASSERT_EQ(reader.Open(), kSmbiosOk);
    EXPECT_EQ(std::tuple(reader.tableAddress(), reader.structureCount(), reader.bcdRevision()),
              std::tuple(0xF1000u, 3, 0x23));

    SimulatedMachine misaligned(
        R"({"bios": {"regions": [{"base": "0xF0000", "bytes": "00 00 5F 53 4D 5F", "size": 65536}]}})");
    ASSERT_TRUE(misaligned.open());
    SmbiosReader other;
    EXPECT_FALSE(other.FindEntryPoint(address));
    EXPECT_EQ(other.Open(), kSmbiosNoEntryPoint);

    SimulatedMachine noMemory(R"({})");
    ASSERT_TRUE(noMemory.open());
    SmbiosReader none;
    EXPECT_EQ(none.Open(), kSmbiosNoEntryPoint);
}

TEST(SmbiosReader, WalksWrapsAndRestarts) {
    SimulatedMachine machine(kThreeStructures);
    ASSERT_TRUE(machine.open());
    SmbiosReader reader;
    ASSERT_EQ(reader.Open(), kSmbiosOk);
    uint16_t handle = 0;

    // Type 0 is 10 + 7 + 4 + 11 + 1 bytes; type 1's formatted area ends in 00h, then the
    // empty string set. After the last the walk continues at the table start.
    EXPECT_EQ(readNext(reader, handle, 5),
              "00:0/33>0100 00:1/10>0400 00:4/17>FFFF 00:0/33>0100 00:1/10>0400");
    handle = 0;  // a fresh walk
    EXPECT_EQ(readNext(reader, handle, 1), "00:0/33>0100");

    const auto found = reader.FindStructure(4);
    ASSERT_TRUE(found);
    EXPECT_EQ(smbiosString(*found, 1), "Socket 478");
    EXPECT_EQ(smbiosString(*found, 2), "");
    EXPECT_FALSE(reader.FindStructure(17));
}

TEST(SmbiosReader, RefusesStructuresThatDoNotFitOrDoNotEnd) {
    // Each table holds one bad structure after a good one; the walk ends with 81h.
    const char* bad[] = {
        R"({"raw": "07 02 01 00 00 00"})",  // length byte below 4
        R"({"raw": "07 08 01 00 00 00 00 00 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52"})",  // string set never ends
        R"({"type": 7, "strings": ["a string longer than the declared maximum"]})",
    };
    for (const char* structure : bad) {
        SimulatedMachine machine(std::string(R"({"smbios": {"maxStructureSize": 24, "structures": [
            {"type": 0, "formatted": "00 00 00 00"}, )") +
                                 structure + "]}}");
        ASSERT_TRUE(machine.open());
        SmbiosReader reader;
        ASSERT_EQ(reader.Open(), kSmbiosOk);
        std::vector<uint8_t> buffer(64, 0xEE);
        uint16_t handle = 0, length = 0;
        ASSERT_EQ(reader.ReadNext(handle, std::span(buffer).first(25), length), kSmbiosOk)
            << structure;
        EXPECT_EQ(reader.ReadNext(handle, std::span(buffer).first(25), length), kSmbiosReadFailed)
            << structure;
        for (size_t i = 25; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], 0xEE) << structure;
    }
}

TEST(SmbiosReader, TakesAStructureOfExactlyTheDeclaredMaximumAndNoMore) {
    // 4 header bytes, an 18- then a 19-character string, two closing zeros:
    // 24 bytes, the declared maximum, then 25. The buffer is larger than both.
    SimulatedMachine machine(R"({"smbios": {"maxStructureSize": 24, "structures": [
        {"type": 7, "strings": ["ABCDEFGHIJKLMNOPQR"]}, {"type": 7, "strings": ["ABCDEFGHIJKLMNOPQRS"]}]}})");
    ASSERT_TRUE(machine.open());
    SmbiosReader reader;
    ASSERT_EQ(reader.Open(), kSmbiosOk);
    ASSERT_EQ(reader.maxStructureSize(), 24);
    std::vector<uint8_t> buffer(64, 0xEE);
    uint16_t handle = 0, length = 0;
    ASSERT_EQ(reader.ReadNext(handle, buffer, length), kSmbiosOk);
    EXPECT_EQ(length, 24);
    EXPECT_EQ(reader.ReadNext(handle, buffer, length), kSmbiosReadFailed);
}

TEST(SmbiosReader, TypeSearchGoesPastAStructureWithHandleZero) {
    // The second structure's handle is 0: handed back as the walk handle it
    // would restart the walk at the first structure.
    SimulatedMachine machine(R"({"smbios": {"structures": [
        {"type": 1, "handle": "0x0010"}, {"type": 2, "handle": "0x0000"}, {"type": 3, "handle": "0x0020"}]}})");
    ASSERT_TRUE(machine.open());
    SmbiosReader reader;
    ASSERT_EQ(reader.Open(), kSmbiosOk);
    EXPECT_TRUE(reader.FindStructure(3));
    EXPECT_TRUE(reader.FindStructure(2));
    EXPECT_FALSE(reader.FindStructure(4));
}

}  // namespace
}  // namespace zelkora::probes
