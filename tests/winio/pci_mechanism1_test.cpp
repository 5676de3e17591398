#include <gtest/gtest.h>

#include "tests/support/simulated_machine.h"
#include "winio/sim/pci_mechanism1.h"

namespace zelkora::winio::sim {
namespace {

constexpr char kBoard[] = R"({
  "pci": {"functions": [
    {"address": "00:00.0", "vendor": "0x8086", "device": "0x2570", "class": "0x060000", "revision": "0x02"},
    {"address": "00:09.0", "allFunctions": true, "vendor": "0x10EC", "device": "0x8139"}
  ]}
})";

uint32_t readDword(SimulatedBoard& board, uint32_t address) {
    board.writePort(0xCF8, address, 4);
    return board.readPort(0xCFC, 4);
}

TEST(PciMechanism1, AnswersReadsAndWritesAndFloatsForAbsentFunctions) {
    testing::SimulatedMachine machine(kBoard);
    auto& board = machine.board();
    EXPECT_EQ(readDword(board, 0x8000'0000), 0x2570'8086u);
    EXPECT_EQ(readDword(board, 0x8000'0008), 0x0600'0002u);
    board.writePort(0xCF8, 0x8000'0008, 4);
    EXPECT_EQ(board.readPort(0xCFF, 1), 0x06u);
    EXPECT_EQ(board.readPort(0xCFD, 1), 0x00u);
    EXPECT_EQ(board.readPort(0xCFE, 2), 0x0600u);
    EXPECT_EQ(readDword(board, 0x8000'0800), 0xFFFF'FFFFu) << "device 1 is absent";
    EXPECT_EQ(readDword(board, 0x8001'0000), 0xFFFF'FFFFu) << "bus 1 is empty";
    EXPECT_EQ(readDword(board, 0x0000'0000), 0xFFFF'FFFFu) << "enable bit clear";
    // A single-function device answering on every function number.
    EXPECT_EQ(readDword(board, 0x8000'4F00), 0x8139'10ECu);

    // Writes land in the function and read back.
    board.writePort(0xCF8, 0x8000'0004, 4);
    board.writePort(0xCFC, 0x0000'0107, 4);
    board.writePort(0xCFE, 0xAB, 1);
    EXPECT_EQ(readDword(board, 0x8000'0004), 0x00AB'0107u);
    auto* pci = board.find<PciConfigMechanism1>();
    ASSERT_NE(pci, nullptr);
    EXPECT_EQ((*pci->space(0, 0, 0))[0x06], 0xAB);
    // Writing to an absent function changes nothing.
    board.writePort(0xCF8, 0x8000'0804, 4);
    board.writePort(0xCFC, 0x1234, 4);
    EXPECT_EQ(readDword(board, 0x8000'0804), 0xFFFF'FFFFu);
}

}  // namespace
}  // namespace zelkora::winio::sim
