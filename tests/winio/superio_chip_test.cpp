#include <gtest/gtest.h>

#include "platform/machine/machine_file.h"
#include "tests/support/simulated_machine.h"
#include "winio/sim/superio_chip_model.h"

namespace zelkora::winio::sim {
namespace {

TEST(SuperIoChip, AnswersOnlyInConfigurationModeAndSelectsLogicalDevices) {
    testing::SimulatedMachine machine(
        R"({"superio": {"method": "winbond", "port": "0x4E", "id": "0x52",
      "globals": {"0x26": "0x40"}, "logicalDevices": {"1": {"0x30": "0x01"}, "0x0B": {"0x60": "0x02"}}}})");
    auto& board = machine.board();
    board.writePort(0x4E, 0x20, 1);
    EXPECT_EQ(board.readPort(0x4F, 1), 0xFFu) << "outside configuration mode the chip floats";
    board.writePort(0x4E, 0x87, 1);
    board.writePort(0x4E, 0x55, 1);
    board.writePort(0x4E, 0x87, 1);
    board.writePort(0x4E, 0x20, 1);
    EXPECT_EQ(board.readPort(0x4F, 1), 0xFFu) << "an interrupted key does not enter";
    board.writePort(0x4E, 0x87, 1);
    board.writePort(0x4E, 0x87, 1);
    board.writePort(0x4E, 0x20, 1);
    EXPECT_EQ(board.readPort(0x4F, 1), 0x52u);
    board.writePort(0x4E, 0x26, 1);
    EXPECT_EQ(board.readPort(0x4F, 1), 0x40u);
    board.writePort(0x4E, 0x07, 1);
    board.writePort(0x4F, 0x0B, 1);
    board.writePort(0x4E, 0x60, 1);
    EXPECT_EQ(board.readPort(0x4F, 1), 0x02u);
    board.writePort(0x4E, 0x07, 1);
    board.writePort(0x4F, 0x05, 1);
    board.writePort(0x4E, 0x60, 1);
    EXPECT_EQ(board.readPort(0x4F, 1), 0xFFu) << "absent logical device";
    board.writePort(0x4E, 0xAA, 1);
    EXPECT_EQ(board.readPort(0x4F, 1), 0xFFu);
}

TEST(SuperIoChip, ViaBridgeAnswersOnlyWhileEnabledAndBadSectionsAreRefused) {
    testing::SimulatedMachine machine(R"({
      "pci": {"functions": [{"address": "00:07.0", "vendor": "0x1106", "device": "0x0686"}]},
      "superio": [{"method": "via", "registers": {"0xE0": "0x3C"}},
                  {"method": "smsc", "port": "0x2E", "id": "0x59"}]})");
    auto& board = machine.board();
    board.writePort(0x3F0, 0xE0, 1);
    EXPECT_EQ(board.readPort(0x3F1, 1), 0xFFu);
    board.writePort(0xCF8, 0x8000'3884, 4);
    board.writePort(0xCFD, 0x02, 1);
    board.writePort(0x3F0, 0xE0, 1);
    EXPECT_EQ(board.readPort(0x3F1, 1), 0x3Cu);
    board.writePort(0x3F0, 0xE5, 1);
    EXPECT_EQ(board.readPort(0x3F1, 1), 0xE5u) << "unimplemented registers echo the index";
    board.writePort(0x2E, 0x55, 1);
    board.writePort(0x2E, 0x20, 1);
    EXPECT_EQ(board.readPort(0x2F, 1), 0x59u) << "a second chip on the same board";

    using platform::machine::MachineError;
    EXPECT_THROW(testing::SimulatedMachine(R"({"superio": {"method": "nsc", "port": "0x2E"}})"),
                 MachineError);
    EXPECT_THROW(testing::SimulatedMachine(R"({"superio": {"method": "smsc"}})"), MachineError);
    EXPECT_THROW(testing::SimulatedMachine(
                     R"({"superio": {"method": "smsc", "port": "0x2E", "globals": {"x": 1}}})"),
                 MachineError);
}

}  // namespace
}  // namespace zelkora::winio::sim
