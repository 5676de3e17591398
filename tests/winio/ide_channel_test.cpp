#include <gtest/gtest.h>

#include "platform/machine/machine_file.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::winio::sim {
namespace {

// Identify answers are covered through the library's enumeration; here the
// status of positions without a drive and the refusal of bad drive fields.
TEST(IdeChannel, EmptyPositionsAndMalformedDrives) {
    testing::SimulatedMachine machine(R"({"ide": {
      "primary": {"master": {"type": "ata", "busyReads": 1}}, "secondary": {"floating": true}}})");
    auto& board = machine.board();
    EXPECT_EQ(board.readPort(0x177, 1), 0xFFu) << "floating channel reads busy";
    board.writePort(0x1F6, 0xB0, 1);
    board.writePort(0x1F7, 0xEC, 1);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x00u) << "absent slave never raises DRDY";
    board.writePort(0x1F6, 0xA0, 1);
    board.writePort(0x1F7, 0xA1, 1);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x80u);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x51u) << "an ATA disk aborts A1h";

    using platform::machine::MachineError;
    for (const char* bad :
         {R"({"ide": {"primary": {"master": {"type": "scsi"}}}})",
          R"({"ide": {"primary": {"master": {"type": "ata", "firmware": "123456789"}}}})",
          R"({"ide": {"primary": {"master": {"type": "ata", "words": {"256": 1}}}}})",
          R"({"ide": {"tertiary": {}}})"}) {
        EXPECT_THROW(testing::SimulatedMachine{bad}, MachineError) << bad;
    }
}

}  // namespace
}  // namespace zelkora::winio::sim
