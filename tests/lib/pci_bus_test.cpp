#include "lib/devices/pci_bus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/fixed_text.h"
#include "lib/hw/driver.h"
#include "tests/support/simulated_machine.h"
#include "zelkora/sysinfo.h"

namespace zelkora::devices {
namespace {

using common::fieldText;

std::vector<PCIDeviceInfo> listPci() {
    std::vector<PCIDeviceInfo> records;
    for (DevicePos pos = GetFirstPCIDevicePos(); pos;) {
        PCIDeviceInfo record{};
        GetNextPCIDevice(&record, &pos);
        records.push_back(record);
    }
    return records;
}

std::string where(const PCIDeviceInfo& r) {
    char text[16];
    std::snprintf(text, sizeof text, "%02x:%02x.%x", r.Bus, r.Device, r.Function);
    return text;
}

std::vector<std::string> addresses(const std::vector<PCIDeviceInfo>& records) {
    std::vector<std::string> out;
    for (const auto& r : records)
        out.push_back(where(r));
    return out;
}

constexpr char kBus[] = R"({"pci": {"functions": [
    {"address": "04:1f.7", "vendor": "0x1000", "device": "0x0001", "class": "0x010000"},
    {"address": "00:00.0", "vendor": "0x8086", "device": "0x2570", "class": "0x060000", "revision": "0x02",
     "subsystem": "0x80F21043", "irq": "0x00"},
    {"address": "00:01.0", "vendor": "0x8086", "device": "0x2571", "class": "0x060400", "headerType": "0x01",
     "subsystem": "0x12345678", "irq": "0xFF"},
    {"address": "00:02.0", "vendor": "0x8086", "device": "0x24C2", "class": "0x0C0300", "headerType": "0x80",
     "subsystem": "0x80A61043", "irq": "0x0B"},
    {"address": "00:02.1", "vendor": "0x8086", "device": "0x24C4", "class": "0x0C0300"},
    {"address": "00:09.0", "allFunctions": true, "vendor": "0x10EC", "device": "0x8139", "class": "0x020000"},
    {"address": "00:0a.3", "vendor": "0x1106", "device": "0x3038", "class": "0x0C0300"},
    {"address": "01:00.0", "vendor": "0x10DE", "device": "0x0322", "class": "0x060400", "headerType": "0x81"},
    {"address": "02:03.0", "vendor": "0x104C", "device": "0xAC56", "class": "0x060700", "headerType": "0x02",
     "subsystem": "0xFFFFFFFF"},
    {"address": "05:00.0", "vendor": "0x8086", "device": "0x1234", "class": "0x020000"}
]}})";

TEST(PciBus, NothingBeforeTheLibraryIsOpen) {
    testing::SimulatedMachine machine(kBus);
    EXPECT_EQ(GetFirstPCIDevicePos(), nullptr);
    ASSERT_TRUE(machine.open());
    EXPECT_NE(GetFirstPCIDevicePos(), nullptr);
    UninitializeSysInfoLib();
    EXPECT_EQ(GetFirstPCIDevicePos(), nullptr);
}

TEST(PciBus, ScanOrderAndDuplicateRule) {
    testing::SimulatedMachine machine(kBus);
    ASSERT_TRUE(machine.open());
    const auto records = listPci();
    // 00:09 answers on all eight numbers with one space: listed once. 00:02
    // differs per function: both. 00:0a.3 is found without a function 0.
    // Bus 5 lies past the scan.
    const std::vector<std::string> expected = {"00:00.0", "00:01.0", "00:02.0",
                                               "00:02.1", "00:09.0", "00:0a.3",
                                               "01:00.0", "02:03.0", "04:1f.7"};
    EXPECT_EQ(addresses(records), expected);

    // A second scan gives the same content.
    const auto again = listPci();
    ASSERT_EQ(again.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(std::memcmp(&again[i], &records[i], sizeof(PCIDeviceInfo)), 0)
            << where(records[i]);
    }
}

TEST(PciBus, HeaderTypesLayoutsAndSummaryFields) {
    testing::SimulatedMachine machine(kBus);
    ASSERT_TRUE(machine.open());
    const auto records = listPci();
    ASSERT_EQ(records.size(), 9u);

    const auto& host = records[0];
    EXPECT_EQ(host.Layout, 0x00);
    EXPECT_EQ(host.VendorID, 0x8086);
    EXPECT_EQ(host.DeviceID, 0x2570);
    EXPECT_EQ(host.Subsystem, 0x80F21043u);
    EXPECT_EQ(host.BaseClass, 0x06);
    EXPECT_EQ(host.SubClass, 0x00);
    EXPECT_EQ(host.ProgIf, 0x00);
    EXPECT_EQ(host.Revision, 0x02);
    EXPECT_EQ(host.IRQ, 0x00);
    EXPECT_EQ(host.Config[0x2C], 0x43);
    EXPECT_EQ(host.Type0Registers[0].Width, 2);
    EXPECT_EQ(host.Type0Registers[24].Offset, 0x3C);
    EXPECT_EQ(host.Type0Registers[25].WriteMask, 0x00) << "interrupt pin is read-only";
    EXPECT_EQ(host.Type0Registers[28].Offset, 0x40);
    EXPECT_EQ(host.Type0Registers[75].Offset, 0xFC);
    EXPECT_EQ(host.Type0Registers[75].Width, 4);
    EXPECT_EQ(fieldText(host.ClassText), "Host/PCI bridge.");

    const auto& bridge = records[1];  // header type 01h
    EXPECT_EQ(bridge.Layout, 0xFF);
    EXPECT_EQ(bridge.Subsystem, 0u) << "bridges carry no subsystem";
    EXPECT_EQ(bridge.Config[0x2C], 0x78) << "the snapshot still holds the bytes";
    EXPECT_EQ(bridge.IRQ, 0xFF);
    EXPECT_EQ(bridge.Type1Registers[32].Offset, 0x3D);
    EXPECT_EQ(bridge.Type1Registers[32].WriteMask, 0xFF) << "interrupt pin is writable";
    EXPECT_EQ(bridge.Type1Registers[33].Width, 2);
    EXPECT_EQ(bridge.Type1Registers[81].Offset, 0xFC);

    EXPECT_EQ(records[2].Layout, 0x00) << "80h: standard header, multi-function";
    EXPECT_EQ(records[2].Subsystem, 0x80A61043u);
    EXPECT_EQ(records[2].IRQ, 0x0B);
    EXPECT_EQ(records[6].Layout, 0xFF) << "81h";
    EXPECT_EQ(records[7].Layout, 0xFF) << "02h";
    EXPECT_EQ(records[7].Subsystem, 0u);
    EXPECT_EQ(fieldText(records[7].ClassText), "PCI/CardBus bridge.");
}

TEST(PciBus, PortTrafficIsAddressThenDataForEveryDword) {
    testing::SimulatedMachine machine(R"({"pci": {"functions": [
        {"address": "03:04.2", "vendor": "0x8086", "device": "0x1229", "class": "0x020000"}]}})");
    ASSERT_TRUE(machine.open());
    machine.board().recorder().start();
    ASSERT_NE(GetFirstPCIDevicePos(), nullptr);
    const auto& trace = machine.board().recorder().accesses();

    // 1280 presence probes, plus 64 snapshot dwords and the header type again
    // for the one present function.
    ASSERT_EQ(trace.size(), 2u * (1280 + 65));
    std::vector<uint32_t> addresses;
    for (size_t i = 0; i < trace.size(); i += 2) {
        ASSERT_EQ(trace[i].port, 0xCF8);
        ASSERT_EQ(trace[i].size, 4);
        ASSERT_EQ(trace[i].direction, winio::sim::PortAccess::Direction::Write);
        ASSERT_EQ(trace[i + 1].port, 0xCFC);
        ASSERT_EQ(trace[i + 1].size, 4);
        ASSERT_EQ(trace[i + 1].direction, winio::sim::PortAccess::Direction::Read);
        addresses.push_back(trace[i].value);
    }
    EXPECT_EQ(addresses.front(), 0x8000'0000u);
    EXPECT_EQ(addresses.back(), 0x8004'FF00u);
    const uint32_t present = 0x8003'2200;
    size_t at = 0;
    while (addresses[at] != present)
        ++at;
    EXPECT_EQ(addresses[at + 1], present) << "snapshot begins at dword 0";
    EXPECT_EQ(addresses[at + 64], present + 0xFC);
    EXPECT_EQ(addresses[at + 65], present + 0x0C) << "header type read again";
    EXPECT_EQ(addresses[at + 66], present + 0x100) << "then the next function";
}

TEST(PciBus, HostileSpacesStillGiveTerminatedRecords) {
    // All FFh after the vendor word: header type FFh, class FF/FF/FF. Header
    // type 7Fh. A space of zeros apart from the vendor.
    std::string allOnes(512 - 4, 'F');
    const std::string board = R"({"pci": {"functions": [
        {"address": "00:03.0", "config": "3412)" +
                              allOnes + R"("},
        {"address": "00:04.0", "vendor": "0x5678", "headerType": "0x7F", "class": "0x0B0000"},
        {"address": "00:05.0", "vendor": "0x0000", "class": "0x000100"}]}})";
    testing::SimulatedMachine machine(board);
    ASSERT_TRUE(machine.open());
    const auto records = listPci();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].VendorID, 0x1234);
    EXPECT_EQ(records[0].DeviceID, 0xFFFF);
    EXPECT_EQ(records[0].Layout, 0xFF);
    EXPECT_EQ(records[0].IRQ, 0xFF);
    EXPECT_EQ(fieldText(records[0].ClassText), "Device does not fit any of the defined class code");
    EXPECT_EQ(records[1].Layout, 0xFF);
    EXPECT_EQ(fieldText(records[1].ClassText), "Processors.");
    EXPECT_EQ(fieldText(records[2].ClassText), "Device built before class codes defined.");
    for (const auto& r : records) {
        EXPECT_EQ(r.ClassText[sizeof r.ClassText - 1], '\0');
        EXPECT_EQ(r.Description[sizeof r.Description - 1], '\0');
        EXPECT_EQ(fieldText(r.Description), kPciDescriptionFailure) << "empty registry";
    }
}

// Records the look-ups the scan asks for and answers from a table.
class ScriptedDescriptions : public PciDescriptionSource {
  public:
    struct Call {
        uint16_t device;
        uint32_t subsystem;
    };
    bool describe(uint16_t, uint16_t deviceId, uint32_t subsystem, uint8_t,
                  char (&text)[50]) override {
        calls.push_back({deviceId, subsystem});
        std::memset(text, 0, sizeof text);
        if (deviceId == 0x0001 && subsystem != 0) return false;
        if (deviceId == 0x0002) return false;
        common::copyText(text, subsystem ? "by subsystem" : "by subsystem 0");
        return true;
    }
    std::vector<Call> calls;
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
    ASSERT_EQ(descriptions.calls.size(), 5u);
    EXPECT_EQ(descriptions.calls[1].subsystem, 0u);
    EXPECT_EQ(descriptions.calls[3].subsystem, 0u);
    EXPECT_EQ(descriptions.calls[4].subsystem, 0x55556666u);
}

}  // namespace
}  // namespace zelkora::devices
