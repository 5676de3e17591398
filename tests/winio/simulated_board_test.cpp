#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "platform/machine/machine_file.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"
#include "winio/core/driver_core.h"
#include "winio/sim/board_builder.h"

namespace zelkora::winio::sim {
namespace {

using testing::machineError;

TEST(SimulatedBoard, ReadsOutsideEveryRegionFail) {
    testing::SimulatedMachine machine(R"({"bios": {
        "regions": [{"base": "0xF0000", "size": 65536}, {"base": "0x100000", "bytes": "01 02 03 04"}],
        "identification": "MB 9000 Pro R1.02 Jan.05.2003"}})");
    DriverCore driver(std::shared_ptr<Backend>(&machine.board(), [](Backend*) {}));
    ASSERT_TRUE(driver.initialize());
    uint8_t byte = 0;
    uint32_t dword = 0;
    EXPECT_TRUE(driver.getPhysByte(0xFE0C1, &byte));
    EXPECT_EQ(byte, 'M');
    EXPECT_TRUE(driver.getPhysByte(0xFE110, &byte));
    EXPECT_EQ(byte, 0) << "the text is padded to its 80 bytes";
    EXPECT_TRUE(driver.getPhysLong(0xFFFFC, &dword)) << "the last dword of the segment";
    EXPECT_TRUE(driver.getPhysLong(0xFFFFE, &dword)) << "the two regions touch";
    EXPECT_EQ(dword, 0x0201'0000u);
    EXPECT_TRUE(driver.getPhysLong(0x100000, &dword));
    EXPECT_EQ(dword, 0x0403'0201u);
    EXPECT_FALSE(driver.getPhysLong(0x100002, &dword)) << "runs past the second region";
    EXPECT_FALSE(driver.getPhysByte(0xEFFFF, &byte));
    uint8_t block[16];
    EXPECT_FALSE(driver.getPhysBlock(0xFFFF'FFF8, block, sizeof block))
        << "wraps the address space";
}

TEST(SimulatedBoard, NoBiosSectionMeansNoMemory) {
    testing::SimulatedMachine machine("{}");
    uint8_t byte = 0;
    EXPECT_FALSE(machine.board().readPhysical(0xF0000, {&byte, 1}));
    EXPECT_EQ(machine.board().readPort(0x1F7, 1), 0xFFu) << "unclaimed ports float";
    EXPECT_EQ(machine.board().readPort(0x1F0, 2), 0xFFFFu);
}

// Each case of tests/data/machine-errors.json: a description of a board (its PCI
// bus, BIOS area, drives, Super-I/O chips, SMBIOS tables), and its message.
TEST(MachineFile, ErrorsNameTheFileTheFieldAndTheProblem) {
    for (const auto& test :
         nlohmann::json::parse(testing::fileBytes(testing::kTestData / "machine-errors.json")))
        EXPECT_EQ(machineError(test[0].dump()), test[1].get<std::string>());
    EXPECT_NE(machineError("{\"pci\": "), "no error");
}

TEST(MachineFile, LoadingFailuresMakeTheDriverRefuseToOpen) {
    const testing::ScratchDir scratch("zelkora-machine-test");
    const auto path = scratch.write("broken.json", R"({"system": {"language": "zz"}})");
    setenv("ZELKORA_MACHINE", path.c_str(), 1);
    DriverCore core;
    EXPECT_TRUE(core.initialize()) << "the board itself is fine";
    std::ofstream(path, std::ios::trunc) << R"({"pci": {"functions": [{"address": "zz"}]}})";
    DriverCore broken;
    EXPECT_FALSE(broken.initialize());
    EXPECT_NE(broken.lastError().find("broken.json: pci.functions[0].address"), std::string::npos)
        << broken.lastError();
    setenv("ZELKORA_MACHINE", (scratch.path() / "missing.json").c_str(), 1);
    DriverCore missing;
    EXPECT_FALSE(missing.initialize());
    EXPECT_NE(missing.lastError().find("missing.json: cannot open"), std::string::npos);
    unsetenv("ZELKORA_MACHINE");
}

// Identify answers are covered through the library's enumeration (and bad
// drive fields by the machine file's errors); here the status of positions
// without a drive.
TEST(IdeChannel, EmptyPositionsReadAsNoDrive) {
    testing::SimulatedMachine machine(R"({"ide": {
      "primary": {"master": {"type": "ata", "busyReads": 1}}, "secondary": {"floating": true}}})");
    auto& board = machine.board();
    EXPECT_EQ(board.readPort(0x177, 1), 0xFFu) << "floating channel reads busy";
    board.writePort(0x1F6, 0xB0, 1);
    board.writePort(0x1F7, 0xEC, 1);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x00u) << "absent slave never raises DRDY";
    board.writePort(0x1F6, 0xA0, 1);
    board.writePort(0x1F7, 0xA1, 1);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x80u);
    EXPECT_EQ(board.readPort(0x1F7, 1), 0x51u) << "an ATA disk aborts A1h";
}

// The vendors' sequences are covered by the shared access routines' tests;
// here the VIA bridge's enable bit and two chips on one board.
TEST(SuperIoChip, ViaBridgeAnswersOnlyWhileEnabled) {
    testing::SimulatedMachine machine(R"({
      "pci": {"functions": [{"address": "00:07.0", "vendor": "0x1106", "device": "0x0686"}]},
      "superio": [{"method": "via", "registers": {"0xE0": "0x3C"}},
                  {"method": "smsc", "port": "0x2E", "id": "0x59"}]})");
    auto& board = machine.board();
    board.writePort(0x3F0, 0xE0, 1);
    EXPECT_EQ(board.readPort(0x3F1, 1), 0xFFu);
    board.writePort(0xCF8, 0x8000'3884, 4);
    board.writePort(0xCFD, 0x02, 1);
    board.writePort(0x3F0, 0xE0, 1);
    EXPECT_EQ(board.readPort(0x3F1, 1), 0x3Cu);
    board.writePort(0x3F0, 0xE5, 1);
    EXPECT_EQ(board.readPort(0x3F1, 1), 0xE5u) << "unimplemented registers echo the index";
    board.writePort(0x2E, 0x55, 1);
    board.writePort(0x2E, 0x20, 1);
    EXPECT_EQ(board.readPort(0x2F, 1), 0x59u) << "a second chip on the same board";
}

}  // namespace
}  // namespace zelkora::winio::sim
