#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
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
    EXPECT_STREQ(records[0].Description, "Standard floppy disk controller") << "DeviceDesc retry";
    EXPECT_EQ(records[1].Instance, 1);
    EXPECT_EQ(records[1].LogicalDevice, 2) << "UART A key";
    EXPECT_EQ(records[2].Instance, 2);
    EXPECT_EQ(records[2].LogicalDevice, 3) << "UART B key";

    // Infrared and the plain parallel port have no registry entry: both get
    // identifier 0, and only the first is listed.
    EXPECT_EQ(records[3].PnPID, 0);
    EXPECT_EQ(records[3].LogicalDevice, 6);
    EXPECT_STREQ(records[3].DeviceClass, "Device does not fit any of the defined superio id");
    EXPECT_STREQ(records[3].Description, "");
    // MIDI shares logical device 7 with the game port: its base is 62h/63h.
    EXPECT_EQ(records[5].PnPID, 0xB006);
    EXPECT_EQ(records[5].IOStart, 0x330);
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
    const auto records = walk();
    ASSERT_EQ(records.size(), 4u) << "floppy, COM1, COM2 (apart by instance), then the game port";
    for (const auto& record : records) {
        EXPECT_EQ(record.ConfigPort, 0x3F0);
        EXPECT_EQ(record.LogicalDevice, 0);
        EXPECT_STREQ(record.Manufacturer, "VIA VT686");
        EXPECT_EQ(record.ChipID, 0x3C);
        EXPECT_STREQ(record.ChipType, "VIA VT82C686A/B / VT1211");
    }
    EXPECT_EQ(records[0].IOStart, 0x3F0);
    EXPECT_EQ(records[0].IOEnd, 0x3F5);
    EXPECT_EQ(records[0].IOStart2, 0x3F7);
    EXPECT_EQ(records[0].PnPID, 0) << "no registry entry";
    EXPECT_EQ(records[1].Instance, 1);
    EXPECT_EQ(records[2].Instance, 2);
    EXPECT_EQ(records[2].IOStart, 0x2F8);
    // The game port sits below VIA's audio enumerator as *PNPB02F.
    EXPECT_EQ(records[3].PnPID, 0xB02F);
    EXPECT_STREQ(records[3].Description, "VIA Gameport Joystick");
    EXPECT_EQ(records[3].IOStart, 0x200);
    EXPECT_EQ(records[3].IOEnd, 0x207);
}

TEST(SuperIo, IteChipIsNamedByItsSixteenBitSection) {
    testing::SimulatedMachine machine(
        R"({"superio": {"method": "ite", "port": "0x2E", "id": "0x8712",
      "revision": "0x07", "logicalDevices": {"1": {"0x60": "0x03", "0x61": "0xF8"}}}})");
    ASSERT_TRUE(machine.open());
    const auto records = walk();
    ASSERT_FALSE(records.empty());
    const auto& uart = records[1];
    EXPECT_EQ(uart.ChipID, 0x87);
    EXPECT_EQ(uart.ChipRevision, 0x12);
    EXPECT_EQ(uart.ChipID16, 0x8712);
    EXPECT_EQ(uart.ChipRevision16, 0x07);
    EXPECT_STREQ(uart.Manufacturer, "ITE");
    EXPECT_STREQ(uart.ChipType, "ITE IT8712F");
    EXPECT_EQ(uart.LogicalDevice, 1);
    EXPECT_EQ(uart.IOStart, 0x3F8);
}

constexpr char kSmscBoard[] = R"({"system": {"version": {"platformId": 2, "major": 4, "minor": 0}},
  "superio": {"method": "smsc", "port": "0x4E", "id": "0x59",
    "logicalDevices": {"3": {"0x60": "0x03", "0x61": "0x78"}, "4": {"0x60": "0x03", "0x61": "0xF8"},
                       "9": {"0x60": "0x02", "0x61": "0x00"}}}})";

TEST(SuperIo, MissingDevicesSeparateMidiAndWindowsNt4) {
    const testing::ScratchDir scratch("zelkora-superio");
    const auto file =
        scratch.write("chips.txt",
                      "[ID=59h]\nManufacture=SMSC\nSuper-I/O Type=Test chip\n"
                      "FDC Logical Device Number=255\nUART A Logical Device Number=4\n"
                      "UART B Logical Device Number=255\nCIR Logical Device Number=255\n"
                      "Parallel Port Logical Device Number=3\n"
                      "Midi Port Logical Device Number=11\nGame Port Logical Device Number=9\n");
    testing::SimulatedMachine machine(kSmscBoard);
    ASSERT_TRUE(machine.open());
    std::string manufacturer;
    const auto records = enumerate(file, manufacturer);
    ASSERT_EQ(records.size(), 8u) << "every look-up succeeds on NT 4.0";
    for (const auto& record : records) {
        EXPECT_STREQ(record.Description, "WinNT4.0 do not report this information!");
    }
    EXPECT_EQ(records[0].LogicalDevice, 255);
    EXPECT_EQ(records[0].IOStart, 0);
    EXPECT_EQ(records[0].IOEnd, 7);
    EXPECT_EQ(records[0].Registers[0x20], 0) << "a missing device is not read";
    EXPECT_EQ(records[2].LogicalDevice, 255);
    EXPECT_EQ(records[5].IOStart2, 0x778);
    // MIDI has its own device (absent on the board: all FFh), so no 62h/63h.
    EXPECT_EQ(records[6].LogicalDevice, 11);
    EXPECT_EQ(records[6].IOStart, 0xFFFF);
    EXPECT_EQ(records[7].IOStart, 0x200);
    EXPECT_EQ(records[7].IOEnd, 0x200);
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
class FloatingPorts : public common::PortIo {
  public:
    explicit FloatingPorts(const fs::path& empty)
        : host_({empty, empty, empty, empty, {empty, empty}}, false) {}
    uint32_t in(uint16_t port, uint8_t size) override { return host_.readPort(port, size); }
    void out(uint16_t port, uint32_t value, uint8_t size) override {
        host_.writePort(port, value, size);
    }

  private:
    winio::live::LiveHost host_;
};

TEST(SuperIo, FloatingLiveBusGivesEmptyIdePositionsAndNoPhantomChip) {
    const testing::ScratchDir scratch("zelkora-superio");
    testing::SimulatedMachine machine("{}");  // services only; the ports below are the live host's
    FloatingPorts ports(scratch.path());
    for (const auto& record : enumerateIdeDevices(ports))
        EXPECT_EQ(record.DeviceType, 0);
    std::string manufacturer;
    EXPECT_TRUE(enumerateSuperIoDevices(ports, manufacturer).empty());
}

// A chip answering on a Linux host: its logical devices are named from the
// firmware's PnP devices that the live registry lists.
TEST(SuperIo, LiveRegistryNamesLogicalDevicesFromTheFirmwaresPnpDevices) {
    const testing::ScratchDir scratch("zelkora-superio");
    const auto file = scratch.write(
        "chips.txt",
        "[ID=59h]\nManufacture=SMSC\nSuper-I/O Type=Test chip\nFDC Logical Device Number=0\n"
        "UART A Logical Device Number=4\nUART B Logical Device Number=5\n"
        "CIR Logical Device Number=255\nParallel Port Logical Device Number=3\n"
        "Midi Port Logical Device Number=255\nGame Port Logical Device Number=255\n");
    testing::FakeRoot root;
    const std::string pnp = "sys/bus/pnp/devices/";
    root.write(pnp + "00:01/id", "PNP0700\n");
    root.write(pnp + "00:02/id", "PNP0501\n");
    root.folder(pnp + "00:02/tty/ttyS1");
    root.write(pnp + "00:03/id", "pnp0501\nPNP0500\n");
    root.folder(pnp + "00:03/tty/ttyS0");
    root.write(pnp + "00:04/id", "PNP0400\n");
    root.write(pnp + "00:05/id", "ACPI0003\n");
    testing::SimulatedMachine machine(
        R"({"superio": {"method": "smsc", "port": "0x4E", "id": "0x59",
      "logicalDevices": {"0": {"0x60": "0x03", "0x61": "0xF0"}, "3": {"0x60": "0x03", "0x61": "0x78"},
                         "4": {"0x60": "0x03", "0x61": "0xF8"}, "5": {"0x60": "0x02", "0x61": "0xF8"}}}})");
    ASSERT_TRUE(machine.open());
    platform::setServices(platform::makeLiveServices());
    std::string manufacturer;
    const auto records = enumerate(file, manufacturer);
    ASSERT_EQ(records.size(), 5u) << "devices without a name share identifier 0: one is listed";
    EXPECT_EQ(records[0].PnPID, 0x0700);
    EXPECT_STREQ(records[0].Description, "Standard floppy disk controller");
    EXPECT_EQ(records[1].IOStart, 0x3F8);
    EXPECT_STREQ(records[1].Description, "Communications Port (COM1)") << "ttyS0 is the first";
    EXPECT_STREQ(records[2].Description, "Communications Port (COM2)");
    EXPECT_EQ(records[3].PnPID, 0) << "no infrared port listed";
    EXPECT_EQ(records[4].PnPID, 0x0400);
    EXPECT_STREQ(records[4].Description, "Printer Port");
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
