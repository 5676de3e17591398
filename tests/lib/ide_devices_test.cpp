#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/devices/ide_devices.h"
#include "lib/devices/identify_text.h"
#include "lib/hw/driver.h"
#include "tests/support/device_lists.h"
#include "tests/support/simulated_machine.h"
#include "winio/sim/ide_channel_model.h"
#include "zelkora/sysinfo.h"

namespace zelkora::devices {
namespace {

using winio::sim::PortAccess;
using winio::sim::portRead;
using winio::sim::portWrite;

const auto walk = testing::ideRecords;

std::vector<PortAccess> onPorts(const std::vector<PortAccess>& trace, uint16_t from, uint16_t to) {
    std::vector<PortAccess> kept;
    std::copy_if(trace.begin(), trace.end(), std::back_inserter(kept),
                 [&](const PortAccess& a) { return a.port >= from && a.port <= to; });
    return kept;
}

// An empty position: no type, no texts, 55AAh for both capabilities.
constexpr char kEmpty[] = "00 |||0 0000 0000 55AA 55AA";

TEST(IdeDevices, NothingAttachedGivesFourEmptyRecordsAfterFullBusyWaits) {
    testing::SimulatedMachine machine("{}");
    ASSERT_TRUE(machine.open());
    machine.board().recorder().start();
    const auto records = walk();
    ASSERT_EQ(records.size(), 4u);
    const uint8_t positions[] = {1, 2, 4, 8};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(records[i].Position, positions[i]);
        EXPECT_EQ(testing::driveLine(records[i]), kEmpty);
    }
    // Busy forever: each of the two commands per position gives up after
    // exactly 249999 status reads and never gets as far as the drive select.
    const auto& trace = machine.board().recorder().accesses();
    EXPECT_EQ(trace.size(), 8u * 249999u);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), portRead(0x1F7, 0xFF)), 4 * 249999);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), portRead(0x177, 0xFF)), 4 * 249999);
}

constexpr char kDrives[] = R"({"ide": {
  "primary": {"master": {"type": "ata", "model": "ST380011A", "serial": "            3JV4ZQ1X",
    "firmware": "3.06", "sectors": 156301488,
    "words": {"53": "0x0006", "64": "0x0003", "80": "0x007E", "88": "0x203F"}}},
  "secondary": {"master": {"type": "atapi", "model": "", "serial": "ABCDEFGHIJ0123456789",
    "firmware": "1.0", "sectors": 1234,
    "words": {"53": "0x0000", "64": "0x0003", "80": "0x001E", "88": "0x0407"}}}}})";

TEST(IdeDevices, AtaAndAtapiDrivesAreDecoded) {
    testing::SimulatedMachine machine(kDrives);
    ASSERT_TRUE(machine.open());
    machine.board().recorder().start();
    // The disk's model loses its 31 trailing blanks, its serial keeps its leading ones; the
    // slave beside it is absent. The CD drive reports no sectors, and word 53 bits 1 and 2
    // clear give no capabilities; 40 blanks leave the first one.
    EXPECT_EQ(testing::driveLines(),
              (std::vector<std::string>{
                  "AA ST380011A|            3JV4ZQ1X|3.06|156301488 0040 007E 0003 203F", kEmpty,
                  "55  |ABCDEFGHIJ0123456789|1.0|0 85C0 001E 55AA 55AA", kEmpty}));

    // The disk rejected A1h and answered ECh; the CD drive never saw ECh.
    auto* primary = machine.board().find<winio::sim::IdeChannel>();
    ASSERT_NE(primary, nullptr);
    EXPECT_EQ(primary->commands(0), (std::vector<uint8_t>{0xA1, 0xEC}));
    EXPECT_EQ(primary->commands(1), std::vector<uint8_t>{}) << "absent slave";

    // The CD drive's probe, port by port: busy wait, drain, select,
    // command, busy wait, three checks, 256 data words.
    const auto secondary = onPorts(machine.board().recorder().accesses(), 0x170, 0x177);
    std::vector<PortAccess> expected = {
        portRead(0x177, 0x50),  portRead(0x177, 0x50), portWrite(0x176, 0xA0),
        portWrite(0x177, 0xA1), portRead(0x177, 0x58), portRead(0x177, 0x58),
        portRead(0x177, 0x58),  portRead(0x177, 0x58), portRead(0x170, 0x85C0, 2)};
    ASSERT_GT(secondary.size(), expected.size() + 255);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), secondary.begin()));
    EXPECT_EQ(secondary[expected.size() + 254], portRead(0x170, 0, 2)) << "word 255, the last";
    // The slave's probe starts while the master is still selected.
    EXPECT_EQ(secondary[expected.size() + 255], portRead(0x177, 0x50));
    EXPECT_EQ(secondary[expected.size() + 257], portWrite(0x176, 0xB0));
}

// IdentifyDrive alone on the primary master, with the drive's status timing.
bool identifyWith(std::string_view driveJson, uint8_t command, IDEDeviceInfo& record) {
    testing::SimulatedMachine machine(R"({"ide": {"primary": {"master": )" +
                                      std::string(driveJson) + "}}}");
    if (!machine.open()) return false;
    record = IDEDeviceInfo{};
    record.Position = 1;
    return IdentifyDrive(hw::driverPorts(), record, command);
}

TEST(IdeDevices, StatusChecksGiveOneSecondChanceAndBusyWaitsStopAt249999Reads) {
    IDEDeviceInfo record{};
    EXPECT_TRUE(identifyWith(R"({"type": "ata", "drdyDelay": 2})", 0xEC, record))
        << "DRDY only on the check's second read";
    EXPECT_EQ(record.DeviceType, 0xAA);
    EXPECT_FALSE(identifyWith(R"({"type": "ata", "drdyDelay": 3})", 0xEC, record));
    EXPECT_EQ(record.DeviceType, 0);
    EXPECT_TRUE(identifyWith(R"({"type": "ata", "busyReads": 249998})", 0xEC, record));
    EXPECT_FALSE(identifyWith(R"({"type": "ata", "busyReads": 249999})", 0xEC, record));
    EXPECT_FALSE(identifyWith(R"({"type": "atapi"})", 0xEC, record)) << "aborted with ERR";
    record.Position = 3;
    EXPECT_FALSE(IdentifyDrive(hw::driverPorts(), record, 0xEC)) << "not a position";
}

TEST(IdentifyText, AnyContentGivesATerminatedText) {
    std::array<uint16_t, 256> words{};
    char serial[21];
    char firmware[9];
    words.fill(0xFFFF);
    ExtractIdentifyText(words, 10, 19, serial);
    EXPECT_EQ(std::string(serial), std::string(20, '\xFF'));
    words.fill(0x2020);
    ExtractIdentifyText(words, 23, 26, firmware);
    EXPECT_STREQ(firmware, " ");
    words.fill(0x4142);  // no NUL anywhere
    ExtractIdentifyText(words, 23, 26, firmware);
    EXPECT_STREQ(firmware, "ABABABAB");
    words[23] = 0x2020;
    words[24] = 0x2031;
    words[25] = 0x2020;
    words[26] = 0x2020;
    ExtractIdentifyText(words, 23, 26, firmware);
    EXPECT_STREQ(firmware, "   1");
    // A range wider than the field is cut to it.
    ExtractIdentifyText(words, 0, 255, firmware);
    EXPECT_EQ(std::string(firmware).size(), 8u);
}

}  // namespace
}  // namespace zelkora::devices
