// A machine captured from a fake live host and replayed as a simulated one
// gives the library's records exactly as the live run gave them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "capture/machine_capture.h"
#include "lib/hw/driver.h"
#include "platform/machine/machine_file.h"
#include "platform/services.h"
#include "platform/sim/simulated_services.h"
#include "tests/support/device_lists.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/test_driver.h"
#include "winio/sim/board_builder.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

namespace fs = std::filesystem;

template <typename Record>
void append(std::string& bytes, int32_t result, const Record& record) {
    bytes += std::to_string(result);
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
}

// The drive and PCI records, byte for byte.
std::string devices() {
    std::string bytes;
    for (const auto& drive : testing::ideRecords())
        append(bytes, 1, drive);
    for (const auto& function : testing::pciRecords())
        append(bytes, 1, function);
    return bytes;
}

// Every exported record but the clock, byte for byte, each call's result
// before its record. Each record starts zeroed, so that what a field holds
// behind its text counts too.
std::string records() {
    std::string bytes;
    auto general = GeneralInfo();
    const int32_t opened = GetGeneralInfo(&general);
    std::memset(general.CurrentDateTime, 0, sizeof general.CurrentDateTime);
    append(bytes, opened, general);
    uint8_t language = 0;
    append(bytes, GetLocalLanguageCode(&language), language);
    auto os = OSVersionInfo();
    append(bytes, GetOSVersionInfo(&os), os);
    auto memory = MemoryInfo();
    append(bytes, GetMemoryInfo(&memory), memory);
    auto cpu = ProcessorInfo();
    append(bytes, GetProcessorInfo(&cpu), cpu);
    auto board = MotherBoardInfo();
    append(bytes, GetMotherBoardInfo(&board), board);
    for (const auto& device : testing::superIoRecords())
        append(bytes, 1, device);
    return bytes + devices();
}

// Where two byte strings first differ.
std::string firstDifference(const std::string& a, const std::string& b) {
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at byte " + std::to_string(at);
}

TEST(MachineCapture, ReplayOfACapturedHostGivesTheLiveRecords) {
    // Four PCI functions (01:00.0 as an unprivileged user reads it: 64 bytes) and their
    // names, an SMBIOS 2.4 table (an Award BIOS, a Pentium 4 at 2400 MHz on a 133 MHz
    // clock), the DMI identity, memory and the system's name.
    const testing::FakeRoot root("zelkora-capture-root");
    root.copyFrom("capture");
    ASSERT_TRUE(testing::openLiveLibrary());
    const std::string live = records();
    EXPECT_EQ(testing::pciRecords().size(), 4u);
    UninitializeSysInfoLib();
    // The live run saw the fake host, so the comparison below means something.
    for (const char* seen : {"Intel 440FX - 82441FX PMC [Natoma]", "Award Software", "Pentium 4",
                             "Linux intel_agp", "Debian GNU/Linux 13"})
        EXPECT_NE(live.find(seen), std::string::npos) << seen;

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

    hw::setDriver(
        std::make_shared<testing::TestDriver>(winio::sim::loadBoard(folder / "host.json")));
    platform::setServices(platform::makeSimulatedServices(
        *platform::machine::MachineFile::load(folder / "host.json")));
    ASSERT_EQ(InitializeSysInfoLib(), 1);
    const std::string replayed = records();
    EXPECT_TRUE(replayed == live) << firstDifference(replayed, live);
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

// Drives are asked through the task files, as the library asks them, and
// kept with their type and all 256 identify words.
TEST(MachineCapture, DrivesAreCapturedThroughTheTaskFiles) {
    const testing::ScratchDir out("zelkora-capture-drives");
    const fs::path& folder = out.path();
    std::vector<std::string> drives;
    std::string demo;
    {
        auto machine = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        ASSERT_TRUE(machine->open());
        drives = testing::driveLines();
        demo = devices();
        std::ostringstream errors;
        ASSERT_EQ(capture::captureMachine(machine->board(), platform::services(),
                                          folder / "demo.json", errors),
                  0)
            << errors.str();
    }
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0], "AA ST380011A|            3JV4ZQ1X|3.06|156301488 0C5A 007E 0003 203F");
    EXPECT_EQ(drives[2], "55 HL-DT-ST DVD-ROM GDR8163B|K2935CI0827|0L23|0 85C0 001E 0003 0407");
    auto replay = testing::SimulatedMachine::fromFile(folder / "demo.json");
    ASSERT_TRUE(replay->open());
    const std::string replayed = devices();
    EXPECT_TRUE(replayed == demo) << firstDifference(replayed, demo);
}

}  // namespace
}  // namespace zelkora
