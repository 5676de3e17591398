#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "lib/probes/smbios_reader.h"
#include "tests/support/device_lists.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora::probes {
namespace {

using namespace std::string_literals;

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

    const auto found = reader.findStructure(4);
    ASSERT_TRUE(found);
    EXPECT_EQ(smbiosString(*found, 1), "Socket 478");
    EXPECT_EQ(smbiosString(*found, 2), "");
    EXPECT_FALSE(reader.findStructure(17));
}

TEST(SmbiosReader, RefusesStructuresThatDoNotFitOrDoNotEnd) {
    // Each table holds one bad structure after a good one; the walk ends with 81h.
    const char* bad[] = {
        R"({"raw": "07 02 01 00 00 00"})",  // length byte below 4
        R"({"raw": "07 08 01 00 00 00 00 00 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52"})",  // string set never ends
        R"({"type": 7, "strings": ["a string longer than the caller's buffer"]})",
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

TEST(SmbiosReader, TypeSearchGoesPastAStructureWithHandleZero) {
    // The second structure's handle is 0: handed back as the walk handle it
    // would restart the walk at the first structure.
    SimulatedMachine machine(R"({"smbios": {"structures": [
        {"type": 1, "handle": "0x0010"}, {"type": 2, "handle": "0x0000"}, {"type": 3, "handle": "0x0020"}]}})");
    ASSERT_TRUE(machine.open());
    SmbiosReader reader;
    ASSERT_EQ(reader.Open(), kSmbiosOk);
    EXPECT_TRUE(reader.findStructure(3));
    EXPECT_TRUE(reader.findStructure(2));
    EXPECT_FALSE(reader.findStructure(4));
}

// VMware's firmware: its entry point declares 115 bytes, its system structure
// (type 1) is 125 bytes long, and the processor structure follows it.
const std::string kVmwareTable =
    "\x00\x12\x00\x00\x01\x02\xA0\xE9\x03\x0F"s + std::string(8, '\0') +
    "Phoenix Technologies LTD\0"
    "6.00\0"
    "11/12/2020\0\0"s +
    "\x01\x1B\x01\x00\x01\x02\x03\x04"s + std::string(19, '\0') +
    "VMware, Inc.\0VMware Virtual Platform\0None\0"
    "VMware-56 4d 1a 2b 3c 4d 5e 6f-70 81 92 a3 b4 c5 d6 e7\0\0"s +
    "\x04\x23\x04\x00\x01\x03\x00\x02"s + std::string(8, '\0') +
    "\x03\x00\x64\x00\xB8\x0B\xC4\x09"s + std::string(11, '\0') +
    "CPU #000\0GenuineIntel\0Intel(R) Xeon(R) CPU E5-2680\0\0"s + "\x7F\x04\x00\x7F\x00\x00"s +
    "\x04\x05\x05\x00\x00\x00\x00"s;  // past the end of the table

// The entry points (checksums are not examined): "_SM_" with 115 bytes, 116h
// table bytes at E0010h, 4 structures, revision 2.4; "_SM3_" 3.2 with 200h
// table bytes at the address it is given.
constexpr char kLegacy[] =
    "5F 53 4D 5F 00 1F 02 04 73 00 00 00 00 00 00 00 5F 44 4D 49 5F 00 16 01 10 00 0E 00 04 00 24";
std::string smbios3(std::string_view address) {
    return "5F 53 4D 33 5F 00 18 03 02 00 01 00 00 02 00 00 " + std::string(address);
}

// Entry points at F0000h and F0040h, the table at E0010h.
std::string firmware(std::string_view first, std::string_view second) {
    std::string table;
    char pair[4];
    for (const char byte : kVmwareTable) {
        std::snprintf(pair, sizeof pair, "%02X ", static_cast<uint8_t>(byte));
        table += pair;
    }
    return R"({"bios": {"regions": [{"base": "0xF0000", "size": 64, "bytes": ")" +
           std::string(first) + R"("}, {"base": "0xF0040", "size": 65472, "bytes": ")" +
           std::string(second) + R"("}, {"base": "0xE0010", "bytes": ")" + table + R"("}]}})";
}

TEST(SmbiosReader, ReadsTablesAsFirmwareWritesThem) {
    const struct {
        std::string board;
        uint8_t open, revision;
    } cases[] = {
        {firmware("", kLegacy), kSmbiosOk, 0x24},
        {firmware("", smbios3("10 00 0E 00 00 00 00 00")), kSmbiosOk, 0x32},
        {firmware(smbios3("00 08 0E 00 00 00 00 00"), kLegacy), kSmbiosOk, 0x24},  // no table
        {firmware(smbios3("10 00 0E 00 01 00 00 00"), ""), kSmbiosReadFailed, 0},  // above 4 GiB
    };
    for (const auto& c : cases) {
        SimulatedMachine machine(c.board);
        ASSERT_TRUE(machine.open());
        SmbiosReader reader;
        ASSERT_EQ(reader.Open(), c.open) << c.board;
        ProcessorInfo cpu{};
        MotherBoardInfo board{};
        ASSERT_EQ(GetProcessorInfo(&cpu), 1);
        ASSERT_EQ(GetMotherBoardInfo(&board), 1);
        const bool read = c.open == kSmbiosOk;
        EXPECT_EQ(testing::cpuLine(cpu), read ? "Intel(R) Xeon(R) CPU E5-|2500|100|25.0|CPU #000"
                                              : "Unknown|0|0|0.0|Unknown");
        EXPECT_STREQ(board.BIOSVendor, read ? "Phoenix Technologies LTD" : "Unknown");
        if (c.open != kSmbiosOk) continue;
        // Four structures, counted through type 127 where SMBIOS 3 gives no count.
        EXPECT_EQ(
            std::tuple(reader.bcdRevision(), reader.structureCount(), reader.maxStructureSize()),
            std::tuple(c.revision, 4, 125));
    }
}

}  // namespace
}  // namespace zelkora::probes
