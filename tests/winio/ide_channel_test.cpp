#include <gtest/gtest.h>

#include "platform/machine/machine_file.h"
#include "tests/support/simulated_machine.h"
#include "winio/sim/ide_channel_model.h"

namespace zelkora::winio::sim {
namespace {

TEST(IdeChannel, DriveAnswersIdentifyAndAbsentPositionsBehaveAsOnRealChannels) {
    testing::SimulatedMachine machine(R"({"ide": {
      "primary": {"master": {"type": "ata", "model": "DISK", "serial": "S1", "sectors": 65538}},
      "secondary": {"floating": true}}})");
    auto& board = machine.board();
    EXPECT_EQ(board.readPort(0x177, 1), 0xFFu) << "floating channel reads busy";
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x50u) << "idle drive: DRDY and DSC";

    board.writePort(0x1F6, 0xB0, 1);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x00u) << "absent slave never raises DRDY";
    board.writePort(0x1F7, 0xEC, 1);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x00u);

    board.writePort(0x1F6, 0xA0, 1);
    board.writePort(0x1F7, 0xA1, 1);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x51u) << "ATA disk aborts identify packet";
    board.writePort(0x1F7, 0xEC, 1);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x58u);
    std::vector<uint16_t> words;
    for (int i = 0; i < 256; ++i)
        words.push_back(static_cast<uint16_t>(board.readPort(0x1F0, 2)));
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x50u) << "DRQ drops after 256 words";
    EXPECT_EQ(words[0], 0x0040);
    EXPECT_EQ(words[10], 0x5331) << "\"S1\", high byte first";
    EXPECT_EQ(words[11], 0x2020);
    EXPECT_EQ(words[27], 0x4449);
    EXPECT_EQ(words[60], 0x0002);
    EXPECT_EQ(words[61], 0x0001);
    auto* channel = board.find<IdeChannel>();
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->commands(0), (std::vector<uint8_t>{0xA1, 0xEC}));
}

TEST(IdeChannel, StatusDelaysAndMalformedDrivesAreReported) {
    testing::SimulatedMachine machine(R"({"ide": {"secondary": {"slave":
      {"type": "atapi", "busyReads": 1, "drdyDelay": 1, "words": {"0": "0x8580"}}}}})");
    auto& board = machine.board();
    board.writePort(0x176, 0xB0, 1);
    board.writePort(0x177, 0xA1, 1);
    EXPECT_EQ(board.readPort(0x177, 1), 0x80u);
    EXPECT_EQ(board.readPort(0x177, 1), 0x18u);
    EXPECT_EQ(board.readPort(0x177, 1), 0x58u);
    EXPECT_EQ(board.readPort(0x170, 2), 0x8580u);

    using platform::machine::MachineError;
    EXPECT_THROW(testing::SimulatedMachine(R"({"ide": {"primary": {"master": {"type": "scsi"}}}})"),
                 MachineError);
    EXPECT_THROW(
        testing::SimulatedMachine(
            R"({"ide": {"primary": {"master": {"type": "ata", "firmware": "123456789"}}}})"),
        MachineError);
    EXPECT_THROW(testing::SimulatedMachine(R"({"ide": {"tertiary": {}}})"), MachineError);
}

}  // namespace
}  // namespace zelkora::winio::sim
