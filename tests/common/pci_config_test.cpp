#include "common/pci_config.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/support/simulated_machine.h"
#include "tests/support/test_driver.h"
#include "winio/sim/pci_mechanism1.h"

namespace zelkora::common {
namespace {

using winio::sim::portRead;
using winio::sim::portWrite;

constexpr char kBoard[] = R"({"pci": {"functions": [
    {"address": "02:1f.5", "config": "8680 2524 0700 8002 01 00 03 06", "bytes": {"0x43": "0x9C", "0xFF": "0x5A"}},
    {"address": "00:00.0", "config": "8680 3012 0600 00F9", "bytes": {"0x1F": "0xF9"}, "readableBytes": 64},
    {"address": "00:01.0", "config": "8680 3112 0700 0000", "headerType": "0x01", "bytes": {"0x1F": "0xF9"}}
]}})";

TEST(PciConfig, AddressKeepsEachNumberInsideItsField) {
    EXPECT_EQ(pciConfigAddress(2, 0x1F, 5, 0x10), 0x8002'FD40u);
    EXPECT_EQ(pciConfigAddress(0, 0, 0, 63), 0x8000'00FCu);
    // A device number past 31 must not reach into the bus field.
    EXPECT_EQ(pciConfigAddress(0, 0x3F, 0x0F, 0xFF), pciConfigAddress(0, 0x1F, 7, 63));
}

TEST(PciConfig, ByteBlockReadsSixtyFourDwordsWithTheAddressBeforeEach) {
    testing::SimulatedMachine machine(kBoard);
    common::PortIo& ports = machine.ports();
    machine.board().recorder().start();
    std::array<uint8_t, 256> bytes{};
    ReadPCIConfigByteBlock(ports, 2, 0x1F, 5, bytes);

    const auto& trace = machine.board().recorder().accesses();
    ASSERT_EQ(trace.size(), 128u);
    for (unsigned n = 0; n < 64; ++n) {
        EXPECT_EQ(trace[2 * n], portWrite(0xCF8, 0x8002'FD00u + 4 * n, 4));
        EXPECT_EQ(trace[2 * n + 1].port, 0xCFC);
        EXPECT_EQ(trace[2 * n + 1].size, 4);
    }
    EXPECT_EQ((std::vector{bytes[0x00], bytes[0x03], bytes[0x0B], bytes[0x43], bytes[0xFF]}),
              (std::vector<uint8_t>{0x86, 0x24, 0x06, 0x9C, 0x5A}));
}

TEST(PciConfig, WriteByteRewritesTheWholeDwordWithTheOtherBytesAsRead) {
    testing::SimulatedMachine machine(kBoard);
    common::PortIo& ports = machine.ports();
    auto* space = machine.board().find<winio::sim::PciConfigMechanism1>()->space(2, 0x1F, 5);
    ASSERT_NE(space, nullptr);
    (*space)[0x40] = 0x11;
    (*space)[0x41] = 0x22;
    (*space)[0x42] = 0x33;

    machine.board().recorder().start();
    WritePCIConfigByte(ports, 2, 0x1F, 5, 0x42, 0xA7);
    const std::vector expected = {portWrite(0xCF8, 0x8002'FD40u, 4),
                                  portRead(0xCFC, 0x9C33'2211u, 4),
                                  portWrite(0xCFC, 0x9CA7'2211u, 4)};
    EXPECT_EQ(machine.board().recorder().accesses(), expected);

    // The top byte of the last dword.
    WritePCIConfigByte(ports, 2, 0x1F, 5, 0xFF, 0x01);
    EXPECT_EQ((*space)[0xFF], 0x01);
    EXPECT_EQ((*space)[0xFC], 0x00);
}

// Status F900h and a bridge's Secondary Status F900h hold error bits that a
// 1 clears: writing a neighbouring byte must not write them back as read.
TEST(PciConfig, WriteByteNeverClearsStatusErrorBitsOfAnotherRegister) {
    testing::SimulatedMachine machine(kBoard);
    common::PortIo& ports = machine.ports();
    auto& recorder = machine.board().recorder();
    recorder.start();
    WritePCIConfigByte(ports, 0, 0, 0, 0x06, 0x00);  // in Status: the user's own write
    EXPECT_EQ(recorder.accesses().back(), portWrite(0xCFC, 0xF900'0006u, 4));
    recorder.clear();
    WritePCIConfigByte(ports, 0, 0, 0, 0x04, 0x07);
    EXPECT_EQ(recorder.accesses(),
              (std::vector{portWrite(0xCF8, 0x8000'0004u, 4), portRead(0xCFC, 0xF900'0006u, 4),
                           portWrite(0xCFC, 0x0000'0007u, 4)}));

    // The bridge's header type is read only because the bits are set.
    recorder.clear();
    WritePCIConfigByte(ports, 0, 1, 0, 0x1C, 0xF0);
    EXPECT_EQ(recorder.accesses(),
              (std::vector{portWrite(0xCF8, 0x8000'081Cu, 4), portRead(0xCFC, 0xF900'0000u, 4),
                           portWrite(0xCF8, 0x8000'080Cu, 4), portRead(0xCFC, 0x0001'0000u, 4),
                           portWrite(0xCF8, 0x8000'081Cu, 4), portWrite(0xCFC, 0x0000'00F0u, 4)}));
    // A standard header's 1Ch is an address register: written back whole.
    WritePCIConfigByte(ports, 0, 0, 0, 0x1C, 0x01);
    EXPECT_EQ(recorder.accesses().back(), portWrite(0xCFC, 0xF900'0001u, 4));
}

TEST(PciConfig, ByteBlockSaysWhichBytesTheHostRefused) {
    testing::SimulatedMachine machine(kBoard);
    common::PortIo& ports = machine.ports();
    std::array<uint8_t, 256> bytes{};
    const UnreadDwords unread = ReadPCIConfigByteBlock(ports, 0, 0, 0, bytes);
    EXPECT_EQ(unreadBytesText(unread), "40h-FFh");
    EXPECT_EQ(unread.count(), 48u);
    EXPECT_EQ(bytes[0x3F], 0x00);
    EXPECT_EQ(bytes[0x40], 0xFF);
    EXPECT_TRUE(ReadPCIConfigByteBlock(ports, 2, 0x1F, 5, bytes).none());
    UnreadDwords holes;
    holes.set(4).set(16).set(17);
    EXPECT_EQ(unreadBytesText(holes), "10h-13h, 40h-47h");
}

TEST(PciConfig, ParseHexByte) {
    // Any character that is not a hex digit gives FFh, a trailing "h" too; "123" is kept to
    // eight bits.
    std::vector<int> parsed;
    for (const char* text : {"86", "fE", "8", "", "86h", "zz", "-", "8 ", "123"})
        parsed.push_back(ParseHexByte(text));
    EXPECT_EQ(parsed, (std::vector{0x86, 0xFE, 0x08, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x23}));
}

}  // namespace
}  // namespace zelkora::common
