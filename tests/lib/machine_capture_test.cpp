// A machine captured from a fake live host and replayed as a simulated one
// gives the library's records exactly as the live run gave them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "capture/machine_capture.h"
#include "common/fixed_text.h"
#include "lib/hw/driver.h"
#include "platform/machine/machine_file.h"
#include "platform/services.h"
#include "platform/sim/simulated_services.h"
#include "tests/support/backend_driver.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "winio/sim/board_builder.h"
#include "winio/sim/smbios_image.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

namespace fs = std::filesystem;
using common::fieldText;

// Every exported record but the clock, as text.
std::string records() {
    std::ostringstream out;
    GeneralInfo general{};
    GetGeneralInfo(&general);
    out << "general " << fieldText(general.ComputerName) << '|' << fieldText(general.CurrentUser)
        << '|' << fieldText(general.LocalLanguage) << '\n';
    uint8_t language = 0;
    out << "language " << GetLocalLanguageCode(&language) << ' ' << int{language} << '\n';
    OSVersionInfo os{};
    out << "os " << GetOSVersionInfo(&os) << ' ' << fieldText(os.OSNameString) << '|'
        << fieldText(os.OtherInfo) << '|' << os.MajorVersion << '.' << os.MinorVersion << '.'
        << os.BuildNumber << '\n';
    MemoryInfo memory{};
    GetMemoryInfo(&memory);
    out << "memory " << memory.TotalPhysicalMem << ' ' << memory.AvailPhysicalMem << ' '
        << memory.TotalPageFiles << '\n';
    ProcessorInfo cpu{};
    out << "cpu " << GetProcessorInfo(&cpu) << ' ' << int{cpu.CPUFamily} << ' ' << int{cpu.CPUModel}
        << ' ' << int{cpu.CPUStepping} << ' ' << cpu.CPUSpeed << ' ' << cpu.CPUExtendedClock << ' '
        << cpu.CPURatio << ' ' << cpu.CPUFeature << ' ' << fieldText(cpu.CPUVendorID) << '|'
        << fieldText(cpu.CPUSocketType) << '|' << fieldText(cpu.CPUVersionStr) << '\n';
    MotherBoardInfo board{};
    out << "board " << GetMotherBoardInfo(&board) << ' ' << board.BIOSRomSize << ' '
        << fieldText(board.Manufacture) << '|' << fieldText(board.ModelName) << '|'
        << fieldText(board.RevisionVer) << '|' << fieldText(board.ReleaseDate) << '|'
        << fieldText(board.BIOSVendor) << '|' << fieldText(board.BIOSRevision) << '|'
        << fieldText(board.ChipsetDriverProvider) << '|' << fieldText(board.ChipsetDriverVersion)
        << '|' << fieldText(board.ChipsetDriverDate) << '\n';
    for (DevicePos pos = GetFirstIDEDevicePos(); pos;) {
        IDEDeviceInfo drive{};
        GetNextIDEDevice(&drive, &pos);
        out << "ide " << int{drive.Position} << ' ' << int{drive.DeviceType} << ' '
            << drive.GenCfgInfo << ' ' << drive.MajorVersion << ' ' << drive.PIOCapability << ' '
            << drive.DMACapability << ' ' << drive.TotalSectors << ' '
            << fieldText(drive.SerialNumber) << '|' << fieldText(drive.FirmwareRev) << '|'
            << fieldText(drive.ModelNumber) << '\n';
    }
    for (DevicePos pos = GetFirstPCIDevicePos(); pos;) {
        PCIDeviceInfo pci{};
        GetNextPCIDevice(&pci, &pos);
        char line[128];
        std::snprintf(
            line, sizeof line, "pci %02x:%02x.%x %02X %04X:%04X %08X %02X%02X%02X r%02X i%02X ",
            pci.Bus, pci.Device, pci.Function, pci.Layout, pci.VendorID, pci.DeviceID,
            pci.Subsystem, pci.BaseClass, pci.SubClass, pci.ProgIf, pci.Revision, pci.IRQ);
        out << line << fieldText(pci.ClassText) << '|' << fieldText(pci.Description) << '|';
        for (const uint8_t byte : pci.Config)
            out << int{byte} << ',';
        out << '\n';
    }
    for (DevicePos pos = GetFirstSuperIOPos(); pos;) {
        SuperIODeviceInfo chip{};
        GetNextSuperIO(&chip, &pos);
        out << "superio " << fieldText(chip.ChipType) << ' ' << chip.PnPID << ' '
            << fieldText(chip.Description) << '\n';
    }
    return out.str();
}

// Type 0: vendor, version, segment F000h, date, 1 MiB ROM; type 4: socket,
// maker, version, 133 MHz clock, 2400 MHz speed; end of table.
std::string smbiosTable() {
    using namespace std::string_literals;
    return "\x00\x12\x00\x00\x01\x02\x00\xF0\x03\x0F\x80\x00\x00\x00\x00\x00\x00\x00"s
           "Award Software\0F12\0"
           "01/05/2003\0\0"s
           "\x04\x1A\x01\x00\x01\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x03\x00\x85"
           "\x00\x00\x00\x60\x09\x00\x00"s
           "Socket 775\0Intel\0Pentium 4\0\0"s
           "\x7F\x04\x02\x00\x00\x00"s;
}

TEST(MachineCapture, ReplayOfACapturedHostGivesTheLiveRecords) {
    const testing::FakeRoot root("zelkora-capture-root");
    root.addPciFunction("00:00.0", testing::pciSpace(0x8086, 0x1237, 0x060000, 2, 0x12371043),
                        "intel_agp");
    root.addPciFunction("00:01.0", testing::pciSpace(0x8086, 0x244E, 0x060400, 0, 0, 0x01));
    root.addPciFunction("00:1f.3", testing::pciSpace(0x10EC, 0x8139, 0x020000, 0x10, 0x813910EC),
                        "8139too");
    // As an unprivileged user reads it: 64 bytes.
    root.addPciFunction("01:00.0", testing::pciSpace(0x1002, 0x5159, 0x030000, 0, 0).substr(0, 64));
    root.write("usr/share/misc/pci.ids",
               "8086  Intel Corporation\n\t1237  440FX - 82441FX PMC [Natoma]\n"
               "10ec  Realtek Semiconductor Co., Ltd.\n\t8139  RTL-8139 Fast Ethernet\n");
    const std::string table = smbiosTable();
    const auto measure = winio::sim::measureSmbiosTable(
        std::span(reinterpret_cast<const uint8_t*>(table.data()), table.size()));
    const auto entry =
        winio::sim::makeSmbiosEntryPoint({2, 4, measure.structureCount, measure.largestStructure,
                                          static_cast<uint16_t>(table.size()), 0xF1000});
    root.write("sys/firmware/dmi/tables/smbios_entry_point",
               std::string(entry.begin(), entry.end()));
    root.write("sys/firmware/dmi/tables/DMI", table);
    root.write("sys/class/dmi/id/board_name", "P4B533\n");
    root.write("sys/class/dmi/id/bios_version", "1011\n");
    root.write("sys/class/dmi/id/bios_date", "03/05/2003\n");
    root.write("proc/meminfo", "MemTotal: 2048000 kB\nMemAvailable: 1024000 kB\n");
    root.write("etc/os-release", "PRETTY_NAME=\"Debian GNU/Linux 13 (trixie)\"\n");
    ASSERT_TRUE(testing::openLiveLibrary());
    const std::string live = records();
    UninitializeSysInfoLib();
    // The live run saw the fake host, so the comparison below means something.
    for (const char* seen : {"Intel 440FX - 82441FX PMC [Natoma]", "Award Software|F12",
                             "Pentium 4", "pci 01:00.0", "Linux intel_agp"})
        EXPECT_NE(live.find(seen), std::string::npos) << seen << " in\n" << live;

    const testing::ScratchDir out("zelkora-capture-out");
    const fs::path& folder = out.path();
    std::ostringstream errors;
    ASSERT_EQ(capture::captureMachine(folder / "host.json", errors), 0) << errors.str();
    ASSERT_TRUE(fs::exists(folder / "host.reg"));
    // Only what the host gave is kept, and the user is told.
    EXPECT_NE(testing::fileBytes(folder / "host.json").find("\"readableBytes\": 64"),
              std::string::npos);
    EXPECT_NE(errors.str().find("zelkora-cli: of 1 PCI function only configuration bytes "
                                "00h-3Fh could be read"),
              std::string::npos)
        << errors.str();

    hw::setDriver(testing::makeBackendDriver(winio::sim::loadBoard(folder / "host.json")));
    platform::setServices(platform::makeSimulatedServices(
        *platform::machine::MachineFile::load(folder / "host.json")));
    ASSERT_EQ(InitializeSysInfoLib(), 1);
    EXPECT_EQ(records(), live);
    UninitializeSysInfoLib();

    EXPECT_EQ(capture::captureMachine(folder / "missing" / "host.json", errors), 2);
    EXPECT_NE(errors.str().find("missing"), std::string::npos) << errors.str();
    // Both files or neither: a folder where the description goes leaves the registry alone.
    fs::create_directory(folder / "taken.json");
    out.write("taken.reg", "old");
    errors.str("");
    EXPECT_EQ(capture::captureMachine(folder / "taken.json", errors), 2);
    EXPECT_EQ(errors.str(), "zelkora-cli: cannot write " + (folder / "taken.json").string() +
                                ": not a regular file\n");
    EXPECT_EQ(testing::fileBytes(folder / "taken.reg"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4)
        << "host.json, host.reg, taken.json, taken.reg: no temporary file is left";

    testing::resetLibrary();
}

// The lines of `text` that start with one of `kinds`.
std::string linesOf(const std::string& text, std::initializer_list<std::string_view> kinds) {
    std::istringstream in(text);
    std::string kept;
    for (std::string line; std::getline(in, line);) {
        for (const auto kind : kinds) {
            if (line.starts_with(kind)) kept += line + '\n';
        }
    }
    return kept;
}

// Drives are asked through the task files, as the library asks them, and
// kept with their type and all 256 identify words.
TEST(MachineCapture, DrivesAreCapturedThroughTheTaskFiles) {
    const testing::ScratchDir out("zelkora-capture-drives");
    const fs::path& folder = out.path();
    std::string demo;
    {
        auto machine = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        ASSERT_TRUE(machine->open());
        demo = linesOf(records(), {"ide ", "pci "});
        std::ostringstream errors;
        ASSERT_EQ(capture::captureMachine(machine->board(), platform::services(),
                                          folder / "demo.json", errors),
                  0)
            << errors.str();
    }
    EXPECT_NE(demo.find("ide 1 170 3162 126 3 8255 156301488             3JV4ZQ1X|3.06|ST380011A"),
              std::string::npos)
        << demo;
    EXPECT_NE(demo.find("ide 4 85 34240 30 3 1031 0 K2935CI0827|0L23|HL-DT-ST DVD-ROM GDR8163B"),
              std::string::npos)
        << demo;
    {
        auto replay = testing::SimulatedMachine::fromFile(folder / "demo.json");
        ASSERT_TRUE(replay->open());
        EXPECT_EQ(linesOf(records(), {"ide ", "pci "}), demo);
    }
}

}  // namespace
}  // namespace zelkora
