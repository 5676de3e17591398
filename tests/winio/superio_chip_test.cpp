#include <gtest/gtest.h>

#include "platform/machine/machine_file.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::winio::sim {
namespace {

// The vendors' sequences are covered by the shared access routines' tests;
// here the VIA bridge's enable bit, two chips on one board, and bad input.
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
    for (const char* bad :
         {R"({"superio": {"method": "nsc", "port": "0x2E"}})", R"({"superio": {"method": "smsc"}})",
          R"({"superio": {"method": "smsc", "port": "0x2E", "globals": {"x": 1}}})",
          R"({"superio": {"method": "smsc", "port": "0x2E", "logicalDevices": {"256": {}}}})"}) {
        EXPECT_THROW(testing::SimulatedMachine{bad}, MachineError) << bad;
    }
}

}  // namespace
}  // namespace zelkora::winio::sim
