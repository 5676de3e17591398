#include "lib/devices/pci_bus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/fixed_text.h"
#include "lib/hw/driver.h"
#include "tests/support/device_lists.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::devices {
namespace {

using common::fieldText;

const auto listPci = testing::pciRecords;
const auto where = testing::pciAddress;

constexpr char kBus[] = R"({"pci": {"functions": [
  {"address": "04:1f.7", "vendor": "0x1000", "class": "0x010000"},
  {"address": "00:00.0", "vendor": "0x8086", "device": "0x2570", "class": "0x060000",
   "revision": "0x02", "subsystem": "0x80F21043", "irq": "0x00"},
  {"address": "00:01.0", "vendor": "0x8086", "headerType": "0x01", "subsystem": "0x12345678", "irq": "0xFF"},
  {"address": "00:02.0", "vendor": "0x8086", "device": "0x24C2", "headerType": "0x80", "subsystem": "0x80A61043"},
  {"address": "00:02.1", "vendor": "0x8086", "device": "0x24C4"},
  {"address": "00:09.0", "allFunctions": true, "vendor": "0x10EC", "device": "0x8139"},
  {"address": "00:0a.3", "vendor": "0x1106", "device": "0x3038"},
  {"address": "01:00.0", "vendor": "0x10DE", "headerType": "0x81"},
  {"address": "02:03.0", "vendor": "0x104C", "class": "0x060700", "headerType": "0x02", "subsystem": "0xFFFFFFFF"},
  {"address": "05:00.0", "vendor": "0x8086", "device": "0x1234"}
]}})";

// The summary fields themselves are the demo report's byte-exact test.
TEST(PciBus, ScanOrderDuplicatesHeaderTypesAndLayouts) {
    testing::SimulatedMachine machine(kBus);
    ASSERT_TRUE(machine.open());
    const auto records = listPci();
    // 00:09 answers on all eight numbers with one space: listed once. 00:02
    // differs per function: both, although 00:02.0 sets the multi-function
    // bit and 00:0a has no function 0. No bridge names bus 5: the bridges'
    // bus numbers are 0.
    // Per record: address, layout (header types 80h standard; 01h, 81h, 02h other),
    // subsystem (none for bridges) and IRQ.
    std::vector<std::string> lines;
    for (const auto& r : records) {
        char text[48];
        std::snprintf(text, sizeof text, "%s %02X %08X %02X", where(r).c_str(), r.Layout,
                      r.Subsystem, r.IRQ);
        lines.push_back(text);
    }
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "00:00.0 00 80F21043 00", "00:01.0 FF 00000000 FF", "00:02.0 00 80A61043 00",
                  "00:02.1 00 00000000 00", "00:09.0 00 00000000 00", "00:0a.3 00 00000000 00",
                  "01:00.0 FF 00000000 00", "02:03.0 FF 00000000 00", "04:1f.7 00 00000000 00"}));
    ASSERT_EQ(records.size(), 9u);
    const auto& host = records[0];
    EXPECT_EQ(host.Type0Registers[25].Offset, 0x3D);
    EXPECT_EQ(host.Type0Registers[25].WriteMask, 0x00) << "interrupt pin read-only";
    EXPECT_EQ(host.Type0Registers[75].Offset, 0xFC);
    const auto& bridge = records[1];  // 01h
    EXPECT_EQ(bridge.Config[0x2C], 0x78) << "the snapshot keeps the bytes";
    EXPECT_EQ(bridge.Type1Registers[32].Offset, 0x3D);
    EXPECT_EQ(bridge.Type1Registers[32].WriteMask, 0xFF) << "interrupt pin writable";
    EXPECT_EQ(bridge.Type1Registers[81].Offset, 0xFC);

    const auto again = listPci();
    ASSERT_EQ(again.size(), records.size());
    EXPECT_EQ(std::memcmp(again.data(), records.data(), records.size() * sizeof records[0]), 0);
    UninitializeSysInfoLib();
    EXPECT_EQ(GetFirstPCIDevicePos(), nullptr);
}

TEST(PciBus, PortTrafficIsAddressThenDataForEveryDword) {
    testing::SimulatedMachine machine(R"({"pci": {"functions": [
        {"address": "03:04.2", "vendor": "0x8086", "device": "0x1229"}]}})");
    ASSERT_TRUE(machine.open());
    machine.board().recorder().start();
    ASSERT_NE(GetFirstPCIDevicePos(), nullptr);
    const auto& trace = machine.board().recorder().accesses();
    // 1280 presence probes; 64 snapshot dwords and the header type again for
    // the one present function.
    ASSERT_EQ(trace.size(), 2u * (1280 + 65));
    std::vector<uint32_t> addresses;
    for (size_t i = 0; i < trace.size(); i += 2) {
        ASSERT_EQ(trace[i], winio::sim::portWrite(0xCF8, trace[i].value, 4));
        ASSERT_EQ(trace[i + 1], winio::sim::portRead(0xCFC, trace[i + 1].value, 4));
        addresses.push_back(trace[i].value);
    }
    EXPECT_EQ(addresses.front(), 0x8000'0000u);
    EXPECT_EQ(addresses.back(), 0x8004'FF00u);
    const size_t at = (0x8003'2200u - 0x8000'0000u) / 0x100;  // 03:04.2
    EXPECT_EQ(addresses[at], 0x8003'2200u);
    EXPECT_EQ(addresses[at + 1], 0x8003'2200u) << "snapshot from dword 0";
    EXPECT_EQ(addresses[at + 64], 0x8003'22FCu);
    EXPECT_EQ(addresses[at + 65], 0x8003'220Cu) << "header type read again";
    EXPECT_EQ(addresses[at + 66], 0x8003'2300u);
}

// tests/data/bridged-board.json describes the board.
TEST(PciBus, WalksEveryBusThatABridgeNames) {
    auto machine = testing::SimulatedMachine::fromFile(testing::kTestData / "bridged-board.json");
    ASSERT_TRUE(machine->open());
    machine->board().recorder().start();
    const auto records = listPci();
    std::vector<std::string> listed;
    for (const auto& r : records)
        listed.push_back(where(r));
    EXPECT_EQ(listed,
              (std::vector<std::string>{"00:00.0", "00:03.0", "00:1c.0", "00:1d.0", "00:1e.0",
                                        "04:00.0", "06:00.0", "06:00.1", "07:00.0", "08:02.0",
                                        "09:00.0", "0a:02.0", "0b:00.0", "ff:1f.7"}));

    // Every function of a walked bus is probed, the buses in ascending order.
    const auto& trace = machine->board().recorder().accesses();
    std::vector<unsigned> buses;
    for (size_t i = 0; i < trace.size(); i += 2) {
        const unsigned bus = (trace[i].value >> 16) & 0xFF;
        if (buses.empty() || buses.back() != bus) buses.push_back(bus);
    }
    EXPECT_EQ(buses, (std::vector<unsigned>{0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 254, 255}));
    EXPECT_EQ(trace.size(), 2u * (buses.size() * 256 + records.size() * 65));
}

TEST(PciBus, HostileSpacesStillGiveTerminatedRecords) {
    // All FFh after the vendor word (header type FFh, class FF/FF/FF), header
    // type 7Fh, and a vendor of 0000h.
    testing::SimulatedMachine machine(R"({"pci": {"functions": [
        {"address": "00:03.0", "config": "3412)" +
                                      std::string(508, 'F') + R"("},
        {"address": "00:04.0", "vendor": "0x5678", "headerType": "0x7F", "class": "0x0B0000"},
        {"address": "00:05.0", "vendor": "0x0000", "class": "0x000100"}]}})");
    ASSERT_TRUE(machine.open());
    const auto records = listPci();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].VendorID, 0x1234);
    EXPECT_EQ(records[0].Layout, 0xFF);
    EXPECT_EQ(fieldText(records[0].ClassText), "Device does not fit any of the defined class code");
    EXPECT_EQ(records[1].Layout, 0xFF);
    EXPECT_EQ(fieldText(records[1].ClassText), "Processors.");
    for (const auto& r : records) {
        EXPECT_EQ(r.ClassText[49], '\0');
        EXPECT_EQ(fieldText(r.Description), kPciDescriptionFailure) << "empty registry";
    }
}

// Answers device 1 only with subsystem 0, device 3 at once, device 2 never.
class ScriptedDescriptions : public PciDescriptionSource {
  public:
    bool describe(uint16_t, uint16_t device, uint32_t subsystem, uint8_t,
                  char (&text)[50]) override {
        subsystems.push_back(subsystem);
        std::memset(text, 0, sizeof text);
        if (device == 2 || (device == 1 && subsystem != 0)) return false;
        common::copyText(text, subsystem ? "by subsystem" : "by subsystem 0");
        return true;
    }
    std::vector<uint32_t> subsystems;
};

TEST(PciBus, DescriptionRetriesWithSubsystemZeroThenFails) {
    testing::SimulatedMachine machine(R"({"pci": {"functions": [
        {"address": "00:01.0", "vendor": "0x1000", "device": "0x0001", "subsystem": "0x11112222"},
        {"address": "00:02.0", "vendor": "0x1000", "device": "0x0002", "subsystem": "0x33334444"},
        {"address": "00:03.0", "vendor": "0x1000", "device": "0x0003", "subsystem": "0x55556666"}]}})");
    ASSERT_TRUE(machine.open());
    ScriptedDescriptions descriptions;
    const auto records = scanPciBus(hw::driverPorts(), descriptions);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(fieldText(records[0].Description), "by subsystem 0");
    EXPECT_EQ(records[0].Subsystem, 0x11112222u) << "the retry works on a copy";
    EXPECT_EQ(fieldText(records[1].Description), kPciDescriptionFailure);
    EXPECT_EQ(fieldText(records[2].Description), "by subsystem");
    EXPECT_EQ(descriptions.subsystems,
              (std::vector<uint32_t>{0x11112222, 0, 0x33334444, 0, 0x55556666}));
}

}  // namespace
}  // namespace zelkora::devices
