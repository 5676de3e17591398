#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "common/superio_access.h"
#include "lib/devices/ide_devices.h"
#include "lib/devices/superio_devices.h"
#include "lib/hw/driver.h"
#include "platform/live/live_services.h"
#include "platform/services.h"
#include "tests/support/device_lists.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/test_driver.h"
#include "winio/live/live_host.h"
#include "winio/sim/pci_mechanism1.h"
#include "zelkora/sysinfo.h"

namespace zelkora::devices {
namespace {

namespace fs = std::filesystem;
using winio::sim::PortAccess;
using winio::sim::portRead;
using winio::sim::portWrite;

const auto walk = testing::superIoRecords;

// Each record as "PnP-id instance/logical-device start-end description".
std::vector<std::string> lines(const std::vector<SuperIODeviceInfo>& records,
                               bool descriptions = true) {
    std::vector<std::string> out;
    for (const auto& r : records) {
        char text[160];
        std::snprintf(text, sizeof text, "%04X %u/%u %04X-%04X %s", r.PnPID, r.Instance,
                      r.LogicalDevice, r.IOStart, r.IOEnd, descriptions ? r.Description : "");
        out.push_back(text);
    }
    return out;
}
using Lines = std::vector<std::string>;

std::vector<SuperIODeviceInfo> enumerate(const fs::path& descriptionFile,
                                         std::string& manufacturer) {
    return enumerateSuperIoDevices(hw::driverPorts(), manufacturer, descriptionFile.string());
}

// The demo report shows the listed devices' names, identifiers and ranges;
// here is what it does not show.
TEST(SuperIo, DemoBoardListsItsLogicalDevicesWithRangesAndRegistryNames) {
    auto machine = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
    ASSERT_TRUE(machine->open());
    const auto records = walk();
    ASSERT_EQ(records.size(), 7u);
    for (const auto& record : records) {
        EXPECT_EQ(record.ConfigPort, 0x2E);
        EXPECT_STREQ(record.Manufacturer, "WINBOND");
        EXPECT_EQ(record.PnPID, record.PnPIDCopy);
    }
    EXPECT_EQ(records[0].Registers[0x74], 0x02);
    EXPECT_EQ(records[0].Registers[0x20], 0x52) << "global registers read through the device";
    // The floppy's name comes from the DeviceDesc retry; UART A and B keys are logical
    // devices 2 and 3. Infrared and the plain parallel port have no registry entry: both
    // get identifier 0, and only the first is listed. MIDI shares logical device 7 with
    // the game port: its base is 62h/63h.
    EXPECT_EQ(lines(records),
              (Lines{"0700 0/0 03F0-03F7 Standard floppy disk controller",
                     "0501 1/2 03F8-03FF Communications Port (COM1)",
                     "0501 2/3 02F8-02FF Communications Port (COM2)", "0000 0/6 0000-0007 ",
                     "0401 0/1 0378-037F ECP Printer Port (LPT1)",
                     "B006 0/7 0330-0331 MPU-401 Compatible MIDI Device",
                     "B02F 0/7 0201-0201 Standard Game Port"}));
    EXPECT_STREQ(records[3].DeviceClass, "Device does not fit any of the defined superio id");
}

TEST(SuperIo, ChipAnsweringAt3F0AndAt2EIsFoundThrough3F0ButConfiguredAt2E) {
    testing::SimulatedMachine machine(R"({"superio": [
      {"method": "winbond", "port": "0x3F0", "id": "0x52"},
      {"method": "winbond", "port": "0x2E", "id": "0x52", "logicalDevices": {"0": {"0x60": "0x03", "0x61": "0xF0"}}}]})");
    ASSERT_TRUE(machine.open());
    machine.board().recorder().start();
    std::string manufacturer;
    const auto records = enumerateSuperIoDevices(hw::driverPorts(), manufacturer);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].ConfigPort, 0x2E);
    EXPECT_EQ(records[0].IOStart, 0x3F0);
    const auto& trace = machine.board().recorder().accesses();
    ASSERT_GT(trace.size(), 11u);
    const std::vector<PortAccess> detection = {portWrite(0x3F0, 0x87), portWrite(0x3F0, 0x87),
                                               portWrite(0x3F0, 0x20), portRead(0x3F1, 0x52),
                                               portWrite(0x3F0, 0xAA)};
    // Found at 3F0h (not the bridge's echo 20h), so 3F0h is asked once more.
    EXPECT_TRUE(std::equal(detection.begin(), detection.end(), trace.begin()));
    EXPECT_TRUE(std::equal(detection.begin(), detection.end(), trace.begin() + 5));
    EXPECT_EQ(trace[10], portWrite(0x2E, 0x55)) << "the port choice starts at 2Eh";
    EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                            [](const PortAccess& a) { return a.port == 0x370; }),
              0);
    EXPECT_EQ(manufacturer, "WINBOND");
}

TEST(SuperIo, NoChipTakesTheViaPathWithItsRegisterRanges) {
    const testing::ScratchDir scratch("zelkora-superio");
    scratch.write("registry.reg",
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Enum\\VIAUDIO\\*PNPB02F\\5&1]\n"
                  "\"DeviceDesc\"=\"VIA Gameport Joystick\"\n");
    testing::SimulatedMachine machine(R"({"registry": ["registry.reg"],
      "pci": {"functions": [{"address": "00:07.0", "vendor": "0x1106", "device": "0x0686", "bytes": {"0x85": "0x01"}}]},
      "superio": {"method": "via", "registers": {"0xE0": "0x3C", "0xE1": "0x01", "0xE3": "0xFC", "0xE6": "0xDE",
                                                "0xE7": "0xFE", "0xE8": "0xBE"}}})",
                                      scratch.path());
    ASSERT_TRUE(machine.open());
    auto& recorder = machine.board().recorder();
    recorder.start();
    const auto records = walk();
    // The enable bit is written once in the whole walk, and not again once it is set.
    const auto enables = [&] {
        const auto& trace = recorder.accesses();
        return std::count(trace.begin(), trace.end(), portWrite(0xCFD, 0x03));
    };
    EXPECT_EQ(enables(), 1);
    recorder.clear();
    walk();
    EXPECT_EQ(enables(), 0);
    ASSERT_EQ(records.size(), 4u) << "floppy, COM1, COM2 (apart by instance), then the game port";
    for (const auto& record : records) {
        EXPECT_EQ(record.ConfigPort, 0x3F0);
        EXPECT_EQ(record.LogicalDevice, 0);
        EXPECT_STREQ(record.Manufacturer, "VIA VT686");
        EXPECT_EQ(record.ChipID, 0x3C);
        EXPECT_STREQ(record.ChipType, "VIA VT82C686A/B / VT1211");
    }
    // The floppy has no registry entry; the game port sits below VIA's audio enumerator
    // as *PNPB02F.
    EXPECT_EQ(lines(records),
              (Lines{"0000 0/0 03F0-03F5 ", "0000 1/0 03F8-03FF ", "0000 2/0 02F8-02FF ",
                     "B02F 0/0 0200-0207 VIA Gameport Joystick"}));
    EXPECT_EQ(records[0].IOStart2, 0x3F7);
}

TEST(SuperIo, IteChipIsNamedByItsSixteenBitSection) {
    testing::SimulatedMachine machine(
        R"({"superio": {"method": "ite", "port": "0x2E", "id": "0x8712",
      "revision": "0x07", "logicalDevices": {"1": {"0x60": "0x03", "0x61": "0xF8"}}}})");
    ASSERT_TRUE(machine.open());
    const auto records = walk();
    ASSERT_FALSE(records.empty());
    const auto& uart = records[1];
    EXPECT_EQ(std::tuple(uart.ChipID, uart.ChipRevision, uart.ChipID16, uart.ChipRevision16,
                         uart.LogicalDevice, uart.IOStart),
              std::tuple(0x87, 0x12, 0x8712, 0x07, 1, 0x3F8));
    EXPECT_STREQ(uart.Manufacturer, "ITE");
    EXPECT_STREQ(uart.ChipType, "ITE IT8712F");
}

// A Fintek chip takes the Winbond key and is named by registers 20h and 21h.
TEST(SuperIo, FintekChipIsNamedByItsSixteenBitSection) {
    testing::SimulatedMachine machine(R"({"superio": {"method": "winbond", "port": "0x2E",
      "id": "0x1010", "logicalDevices": {"16": {"0x60": "0x03", "0x61": "0xF8"}}}})");
    ASSERT_TRUE(machine.open());
    const auto records = walk();
    ASSERT_GT(records.size(), 1u);
    EXPECT_EQ(std::tuple(records[1].ChipID16, records[1].LogicalDevice, records[1].IOStart),
              std::tuple(0x1010, 16, 0x3F8));
    EXPECT_STREQ(records[1].Manufacturer, "WINBOND");
    EXPECT_STREQ(records[1].ChipType, "Fintek F81866D");
}

constexpr char kSmscBoard[] = R"({"system": {"version": {"platformId": 2, "major": 4, "minor": 0}},
  "superio": {"method": "smsc", "port": "0x4E", "id": "0x59",
    "logicalDevices": {"3": {"0x60": "0x03", "0x61": "0x78"}, "4": {"0x60": "0x03", "0x61": "0xF8"},
                       "9": {"0x60": "0x02", "0x61": "0x00"}}}})";

TEST(SuperIo, MissingDevicesSeparateMidiAndWindowsNt4) {
    // UART B, the floppy and infrared missing (255); MIDI on a device of its own.
    const auto file = testing::kTestData / "superio/missing-devices.txt";
    testing::SimulatedMachine machine(kSmscBoard);
    ASSERT_TRUE(machine.open());
    std::string manufacturer;
    const auto records = enumerate(file, manufacturer);
    ASSERT_EQ(records.size(), 8u) << "every look-up succeeds on NT 4.0";
    for (const auto& record : records) {
        EXPECT_STREQ(record.Description, "WinNT4.0 do not report this information!");
    }
    // MIDI has its own device (absent on the board: all FFh), so no 62h/63h.
    EXPECT_EQ(lines(records, false),
              (Lines{"0700 0/255 0000-0007 ", "0501 1/4 03F8-03FF ", "0501 2/255 0000-0007 ",
                     "0510 0/255 0000-0007 ", "0400 0/3 0378-037F ", "0401 0/3 0378-037F ",
                     "B006 0/11 FFFF-0000 ", "B02F 0/9 0200-0200 "}));
    EXPECT_EQ(records[0].Registers[0x20], 0) << "a missing device is not read";
    EXPECT_EQ(records[5].IOStart2, 0x778);
    EXPECT_EQ(manufacturer, "SMSC");
}

TEST(SuperIo, MissingOrMalformedDescriptionFilesGiveEmptyNamesAndDeviceZero) {
    const testing::ScratchDir scratch("zelkora-superio");
    testing::SimulatedMachine machine(kSmscBoard);
    ASSERT_TRUE(machine.open());
    std::string manufacturer = "SMSC";
    for (const auto& file :
         {scratch.path() / "absent.txt", scratch.write("empty.txt", ""),
          scratch.write("bad.txt", std::string("\xFF\x00[ID=59h\n=\n[ID=59h]\nUART A Logical "
                                               "Device Number=-3\nManufacture",
                                               58))}) {
        SCOPED_TRACE(file.filename().string());
        const auto records = enumerate(file, manufacturer);
        ASSERT_FALSE(records.empty());
        for (const auto& record : records) {
            EXPECT_STREQ(record.Manufacturer, "");
            EXPECT_STREQ(record.ChipType, "");
            EXPECT_EQ(record.LogicalDevice, 0);
            EXPECT_EQ(record.ChipID16, 0x5900) << "the 16-bit section was tried";
        }
        EXPECT_EQ(manufacturer, "");
    }
}

// The live host without raw port access: legacy ports float. Its PCI and
// firmware folders point at an empty scratch folder, so nothing real is read
// or written.
TEST(SuperIo, FloatingLiveBusGivesEmptyIdePositionsAndNoPhantomChip) {
    const testing::ScratchDir scratch("zelkora-superio");
    testing::SimulatedMachine machine("{}");  // services only; the ports below are the live host's
    const fs::path& empty = scratch.path();
    testing::TestDriver driver(std::make_shared<winio::live::LiveHost>(
        winio::live::HostPaths{empty, empty, empty, empty, {empty, empty}}, false));
    common::PortIo& ports = driver.ports();
    for (const auto& record : enumerateIdeDevices(ports))
        EXPECT_EQ(record.DeviceType, 0);
    std::string manufacturer;
    EXPECT_TRUE(enumerateSuperIoDevices(ports, manufacturer).empty());
}

// A chip answering on a Linux host: its logical devices are named from the
// firmware's PnP devices that the live registry lists.
TEST(SuperIo, LiveRegistryNamesLogicalDevicesFromTheFirmwaresPnpDevices) {
    const auto file = testing::kTestData / "superio/live-registry.txt";
    // The firmware's PnP devices: a floppy, ttyS1 and ttyS0 (the second with two ids),
    // a printer port and a device that is no Super-I/O one.
    testing::FakeRoot root;
    root.copyFrom("pnp");
    testing::SimulatedMachine machine(
        R"({"superio": {"method": "smsc", "port": "0x4E", "id": "0x59",
      "logicalDevices": {"0": {"0x60": "0x03", "0x61": "0xF0"}, "3": {"0x60": "0x03", "0x61": "0x78"},
                         "4": {"0x60": "0x03", "0x61": "0xF8"}, "5": {"0x60": "0x02", "0x61": "0xF8"}}}})");
    ASSERT_TRUE(machine.open());
    platform::setServices(platform::makeLiveServices());
    std::string manufacturer;
    const auto records = enumerate(file, manufacturer);
    ASSERT_EQ(records.size(), 5u) << "devices without a name share identifier 0: one is listed";
    // ttyS0 is the first port; no infrared port listed.
    EXPECT_EQ(lines(records), (Lines{"0700 0/0 03F0-03F7 Standard floppy disk controller",
                                     "0501 1/4 03F8-03FF Communications Port (COM1)",
                                     "0501 2/5 02F8-02FF Communications Port (COM2)",
                                     "0000 0/255 0000-0007 ", "0400 0/3 0378-037F Printer Port"}));
}

// On current boards 00:07.0 is a root port or a dummy host bridge: the VIA
// method must not set "its" byte 85h, by walks or by register accesses.
TEST(SuperIo, AnotherVendorsDeviceAt0007IsNeverWritten) {
    testing::SimulatedMachine machine(R"({"pci": {"functions": [
      {"address": "00:07.0", "vendor": "0x8086", "device": "0x9A23", "class": "0x060400",
       "bytes": {"0x85": "0x01"}}]}})");
    ASSERT_TRUE(machine.open());
    const auto* pci = machine.board().find<winio::sim::PciConfigMechanism1>();
    const auto before = *pci->space(0, 7, 0);
    auto& recorder = machine.board().recorder();
    recorder.start();
    EXPECT_TRUE(walk().empty());
    EXPECT_TRUE(walk().empty());
    const auto configurationDataWrite = [](const PortAccess& access) {
        return access.direction == PortAccess::Direction::Write && access.port >= 0xCFC &&
               access.port <= 0xCFF;
    };
    EXPECT_EQ(std::count_if(recorder.accesses().begin(), recorder.accesses().end(),
                            configurationDataWrite),
              0);
    recorder.clear();
    std::array<uint8_t, 256> registers{};
    common::ReadLogicalDeviceRegisters(hw::driverPorts(), "VIA VT686", 0x3F0, 0, registers);
    common::WriteSuperIORegister(hw::driverPorts(), "VIA VT686", 0x3F0, 0, 0xE7, 0xBE);
    EXPECT_EQ(*pci->space(0, 7, 0), before);
    for (const auto& access : recorder.accesses()) {
        EXPECT_FALSE(configurationDataWrite(access));
        EXPECT_FALSE(access.port == 0x3F0 || access.port == 0x3F1)
            << "no VIA index access without the bridge";
    }
}

}  // namespace
}  // namespace zelkora::devices
