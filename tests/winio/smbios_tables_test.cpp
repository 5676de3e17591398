#include <gtest/gtest.h>

#include "lib/probes/smbios_reader.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "winio/sim/smbios_image.h"

namespace zelkora::winio::sim {
namespace {

std::vector<uint8_t> bytesAt(SimulatedBoard& board, uint32_t address, size_t length) {
    std::vector<uint8_t> bytes(length);
    EXPECT_TRUE(board.readPhysical(address, bytes)) << std::hex << address;
    return bytes;
}

using testing::machineError;

TEST(SmbiosTables, BuildsTheEntryPointAndTheTable) {
    testing::SimulatedMachine machine(
        R"({"smbios": {"entryPoint": "0xF0010", "tableAddress": "0xF1000", "version": "2.4",
      "structures": [{"type": 0, "handle": "0x0000", "formatted": "01 02", "strings": ["Vendor", "1.0"]},
                     {"type": 127, "handle": "0x007F"}]}})");
    auto& board = machine.board();
    // Version 2.4, largest structure 6 + 11 + 1 bytes, table of 18 + 6 bytes at F1000h, two
    // structures; the checksums 6Bh and 0Bh make their parts sum to 0.
    EXPECT_EQ(bytesAt(board, 0xF0010, kSmbiosEntryPointLength),
              (std::vector<uint8_t>{'_',  'S', 'M', '_',  0x6B, 0x1F, 2,   4,   0x12, 0,   0,
                                    0,    0,   0,   0,    0,    '_',  'D', 'M', 'I',  '_', 0x0B,
                                    0x18, 0,   0,   0x10, 0x0F, 0,    2,   0,   0x24}));
    const std::vector<uint8_t> table = {0, 6,   0,   0,   1, 2, 'V', 'e', 'n', 'd', 'o', 'r',
                                        0, '1', '.', '0', 0, 0, 127, 4,   127, 0,   0,   0};
    EXPECT_EQ(bytesAt(board, 0xF1000, table.size()), table);
}

TEST(SmbiosTables, PlacesTheTableAndAddsMemoryWhereNeeded) {
    // No "bios" section: the segment comes with the table; the table follows the entry point.
    testing::SimulatedMachine plain(R"({"smbios": {"structures": [{"type": 4}]}})");
    const auto entry = bytesAt(plain.board(), 0xF0000, kSmbiosEntryPointLength);
    EXPECT_EQ(entry[0x18] | entry[0x19] << 8 | entry[0x1A] << 16, 0xF0020);
    EXPECT_EQ(bytesAt(plain.board(), 0xF0020, 6), (std::vector<uint8_t>{4, 4, 0, 0, 0, 0}));

    testing::SimulatedMachine high(R"({"bios": {"identification": "MB R1.00 01/01/2003"},
      "smbios": {"tableAddress": "0x7FFF0000", "structures": [{"type": 4, "strings": ["S"]}]}})");
    EXPECT_EQ(bytesAt(high.board(), 0x7FFF0000, 7), (std::vector<uint8_t>{4, 4, 0, 0, 'S', 0, 0}));
    EXPECT_EQ(bytesAt(high.board(), 0xFE0C1, 2), (std::vector<uint8_t>{'M', 'B'}));

    // Right after this entry point a 204-byte table would cover the
    // identification text at FE0C1h: it goes above 1 MiB instead.
    testing::SimulatedMachine moved(R"({"bios": {"identification": "MB R1.00 01/01/2003"},
      "smbios": {"entryPoint": "0xFE000", "structures": [{"type": 4, "formatted": ")" +
                                    std::string(400, '7') + R"("}]}})");
    const auto movedEntry = bytesAt(moved.board(), 0xFE000, kSmbiosEntryPointLength);
    EXPECT_EQ(movedEntry[0x18] | movedEntry[0x19] << 8 | movedEntry[0x1A] << 16, 0x100000);
    EXPECT_EQ(bytesAt(moved.board(), 0xFE0C1, 3), (std::vector<uint8_t>{'M', 'B', ' '}));
    EXPECT_EQ(bytesAt(moved.board(), 0x100000, 2), (std::vector<uint8_t>{4, 204}));
}

// A dump file laid out as the dump tool writes it (entry point at 0, table at
// 20h), replayed and walked with the library's reader.
TEST(SmbiosDump, ReplaysAClassicDump) {
    const std::vector<uint8_t> table = {0,   5, 0, 0, 1, 'B', 'I', 'O', 'S', 0, 0,  // type 0
                                        4,   4, 1, 0, 0, 0,  // type 4, no strings
                                        127, 4, 2, 0, 0, 0};
    const testing::ScratchDir scratch("zelkora-dump");
    const auto writeDump = [&](std::vector<uint8_t> entry) {
        entry.resize(0x20, 0);
        entry.insert(entry.end(), table.begin(), table.end());
        scratch.write("table.bin", std::string(entry.begin(), entry.end()));
    };
    const auto entry =
        makeSmbiosEntryPoint({2, 3, 3, 11, static_cast<uint16_t>(table.size()), 0x20});
    writeDump({entry.begin(), entry.end()});
    testing::SimulatedMachine machine(R"({"smbios": {"dumpBin": "table.bin"}})", scratch.path());
    ASSERT_TRUE(machine.open());
    probes::SmbiosReader reader;
    ASSERT_EQ(reader.Open(), probes::kSmbiosOk);
    std::vector<uint8_t> buffer(size_t{reader.maxStructureSize()} + 1);
    std::vector<uint8_t> types;
    uint16_t handle = 0, length = 0;
    do {
        ASSERT_EQ(reader.ReadNext(handle, buffer, length), probes::kSmbiosOk);
        types.push_back(buffer[0]);
    } while (handle != probes::kSmbiosWalkEnd && types.size() < 10);
    EXPECT_EQ(types, (std::vector<uint8_t>{0, 4, 127}));

    writeDump({'J', 'U', 'N', 'K'});
    EXPECT_NE(
        machineError(R"({"smbios": {"dumpBin": "table.bin"}})", scratch.path()).find("entry point"),
        std::string::npos);
}

}  // namespace
}  // namespace zelkora::winio::sim
