#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/superio_access.h"
#include "common/superio_dump.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/test_driver.h"
#include "winio/sim/pci_mechanism1.h"
#include "winio/sim/superio_chip_model.h"
#include "winio/sim/via_superio.h"

namespace zelkora::common {
namespace {

using winio::sim::PortAccess;
using winio::sim::portRead;
using winio::sim::portWrite;
using Trace = std::vector<PortAccess>;

std::string chipBoard(std::string_view method, std::string_view port) {
    return R"({"superio": {"method": ")" + std::string(method) + R"(", "port": ")" +
           std::string(port) +
           R"(", "id": "0x52", "revision": "0x17", "logicalDevices": {"2": {"0x60": "0x03", "0x61": "0xF8"}}}})";
}

TEST(SuperIoAccess, WritesFollowEachVendorsSequenceAndReachTheChip) {
    // Each vendor's keys to the index port, then its exit as (port offset, value) writes.
    struct Case {
        std::string_view manufacturer, method, port;
        std::vector<uint8_t> enter;
        std::vector<std::pair<uint16_t, uint8_t>> exit;
    };
    const Case cases[] = {{"WINBOND", "winbond", "0x2E", {0x87, 0x87}, {{0, 0xAA}}},
                          {"SMSC", "smsc", "0x2E", {0x55}, {{0, 0xAA}}},
                          {"ITE", "ite", "0x2E", {0x87, 0x01, 0x55, 0x55}, {{0, 0x02}, {1, 0x02}}},
                          {"SIS", "sis", "0x4E", {0x87, 0x01, 0x55, 0xAA}, {{0, 0x02}, {1, 0x02}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.manufacturer);
        testing::SimulatedMachine machine(chipBoard(c.method, c.port));
        common::PortIo& ports = machine.ports();
        const auto port = static_cast<uint16_t>(c.port == "0x2E" ? 0x2E : 0x4E);
        machine.board().recorder().start();
        WriteSuperIORegister(ports, c.manufacturer, port, 2, 0x60, 0x02);
        Trace expected;
        for (const uint8_t key : c.enter)
            expected.push_back(portWrite(port, key));
        expected.insert(expected.end(), {portWrite(port, 0x07), portWrite(port + 1, 0x02),
                                         portWrite(port, 0x60), portWrite(port + 1, 0x02)});
        for (const auto& [offset, value] : c.exit)
            expected.push_back(portWrite(port + offset, value));
        EXPECT_EQ(machine.board().recorder().accesses(), expected);
        auto* chip = machine.board().find<winio::sim::SuperIoChip>();
        EXPECT_EQ(chip->registerValue(2, 0x60), 0x02);
        EXPECT_FALSE(chip->inConfigurationMode()) << "the exit sequence was honoured";
        EXPECT_EQ(readSuperIoRegister(ports, superIoMethodFor(c.manufacturer), port, 2, 0x61),
                  0xF8);
    }
}

TEST(SuperIoAccess, ViaSequenceEnablesTheBridgeAndReadsEchoAsZero) {
    testing::SimulatedMachine machine(R"({
      "pci": {"functions": [{"address": "00:07.0", "vendor": "0x1106", "device": "0x0686", "bytes": {"0x85": "0x01"}}]},
      "superio": {"method": "via", "registers": {"0xE0": "0x3C", "0xE7": "0xFE"}}})");
    common::PortIo& ports = machine.ports();
    auto& recorder = machine.board().recorder();
    recorder.start();
    WriteSuperIORegister(ports, "VIA VT686", 0x3F0, 9, 0xE8, 0xBE);
    EXPECT_EQ(recorder.accesses(),
              (Trace{portWrite(0xCF8, 0x8000'3800, 4), portRead(0xCFC, 0x0686'1106, 4),
                     portWrite(0xCF8, 0x8000'3884, 4), portRead(0xCFD, 0x01),
                     portWrite(0xCF8, 0x8000'3884, 4), portWrite(0xCFD, 0x03),
                     portWrite(0x3F0, 0xE8), portWrite(0x3F1, 0xBE)}));
    std::array<uint8_t, 256> registers{};
    ReadLogicalDeviceRegisters(ports, "VIA VT686", 0x3F0, 0, registers);
    // E0h, E7h, E8h as set; 20h and 00h echo their index, which counts as 0.
    EXPECT_EQ((std::vector{registers[0xE0], registers[0xE7], registers[0xE8], registers[0x20],
                           registers[0x00]}),
              (std::vector<uint8_t>{0x3C, 0xFE, 0xBE, 0x00, 0x00}));
    EXPECT_EQ((*machine.board().find<winio::sim::PciConfigMechanism1>()->space(0, 7, 0))[0x85],
              0x03)
        << "the enable bit stays set";

    recorder.clear();
    registers.fill(0x77);
    ReadLogicalDeviceRegisters(ports, "Winbond", 0x2E, 0, registers);
    WriteSuperIORegister(ports, "", 0x2E, 0, 0x30, 1);
    EXPECT_TRUE(recorder.accesses().empty()) << "names are compared exactly";
    EXPECT_EQ(registers[0], 0x77);
}

TEST(SuperIoAccess, ProbeChipIdTriesSmscAndIteKeysOnlyOnTheLowPorts) {
    testing::SimulatedMachine machine(chipBoard("winbond", "0x2E"));
    common::PortIo& ports = machine.ports();
    auto& recorder = machine.board().recorder();
    recorder.start();
    EXPECT_EQ(ProbeChipID(ports, 0x2E, 0x20), 0x52);
    EXPECT_EQ(recorder.accesses(),
              (Trace{portWrite(0x2E, 0x55), portWrite(0x2E, 0x20), portRead(0x2F, 0xFF),
                     portWrite(0x2E, 0xAA), portWrite(0x2E, 0x87), portWrite(0x2E, 0x01),
                     portWrite(0x2E, 0x55), portWrite(0x2E, 0x55), portWrite(0x2E, 0x20),
                     portRead(0x2F, 0xFF), portWrite(0x2E, 0x02), portWrite(0x2F, 0x02),
                     portWrite(0x2E, 0x87), portWrite(0x2E, 0x87), portWrite(0x2E, 0x20),
                     portRead(0x2F, 0x52), portWrite(0x2E, 0xAA)}));
    EXPECT_EQ(ProbeChipID(ports, 0x370, 0x21), 0) << "nothing there: FFh reads as 0";
    EXPECT_EQ(probeChip(ports, 0x2E, 0x20).method, SuperIoMethod::Winbond);
    EXPECT_EQ(probeChip(ports, 0x370, 0x20).method, SuperIoMethod::None);

    testing::SimulatedMachine smsc(chipBoard("smsc", "0x4E"));
    common::PortIo& smscPorts = smsc.ports();
    EXPECT_EQ(ProbeChipID(smscPorts, 0x4E, 0x21), 0x17);
    testing::SimulatedMachine ite(
        R"({"superio": {"method": "ite", "port": "0x4E", "id": "0x8712", "revision": "0x08"}})");
    common::PortIo& itePorts = ite.ports();
    EXPECT_EQ(ProbeChipID(itePorts, 0x4E, 0x20), 0x87);
    EXPECT_EQ(ProbeChipID(itePorts, 0x4E, 0x21), 0x12);
    EXPECT_EQ(ProbeChipID(itePorts, 0x4E, 0x22), 0x08);
    EXPECT_EQ(probeChip(smscPorts, 0x4E, 0x20).method, SuperIoMethod::Smsc);
    EXPECT_EQ(probeChip(itePorts, 0x4E, 0x20).method, SuperIoMethod::Ite);
}

// One session: the key, then only index writes, the device select (07h) for
// 00h-0Fh and its old value back, never the exit key AAh as an index.
TEST(SuperIoDump, WritesOnlyTheDeviceSelectAndPutsItBack) {
    testing::SimulatedMachine machine(R"({"superio": {"method": "smsc", "port": "0x4E",
      "id": "0x52", "globals": {"0x07": "0x05"},
      "logicalDevices": {"2": {"0x60": "0x03", "0xAA": "0x11"}, "5": {}}}})");
    common::PortIo& ports = machine.ports();
    auto& recorder = machine.board().recorder();
    recorder.start();
    const SuperIoDump dump = readSuperIoDump(ports, SuperIoMethod::Smsc, 0x4E);
    ASSERT_EQ(dump.devices.size(), 2u);
    EXPECT_EQ(dump.devices[0].number, 2);
    EXPECT_EQ(dump.devices[0].registers[0x60 - 0x30], 0x03);
    EXPECT_EQ(dump.devices[0].registers[0xAA - 0x30], 0xFF) << "AAh is never asked";
    EXPECT_EQ(dump.devices[1].number, 5);
    EXPECT_EQ(dump.globals[0x20], 0x52);

    const Trace& trace = recorder.accesses();
    std::vector<uint32_t> selected;
    for (std::size_t i = 1; i < trace.size(); ++i) {
        if (trace[i].port != 0x4F || trace[i].direction != PortAccess::Direction::Write) continue;
        EXPECT_EQ(trace[i - 1], portWrite(0x4E, 0x07)) << i;
        selected.push_back(trace[i].value);
    }
    EXPECT_EQ(selected,
              (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 5}));
    EXPECT_EQ(trace.front(), portWrite(0x4E, 0x55));
    EXPECT_EQ(trace.back(), portWrite(0x4E, 0xAA));
    EXPECT_EQ(std::count(trace.begin(), trace.end(), portWrite(0x4E, 0xAA)), 1);
    EXPECT_FALSE(machine.board().find<winio::sim::SuperIoChip>()->inConfigurationMode());
}

}  // namespace
}  // namespace zelkora::common
