#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

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

TEST(MachineFile, ErrorsNameTheFileTheFieldAndTheProblem) {
    EXPECT_EQ(machineError(R"({"pci": {"functions": [{"vendor": 1}]}})"),
              "bad.json: pci.functions[0].address: is missing");
    EXPECT_EQ(machineError(R"({"pci": {"functions": [{"address": "00:20.0"}]}})"),
              "bad.json: pci.functions[0].address: must be bus:device.function in hexadecimal, "
              "such as \"00:1f.3\" (got \"00:20.0\")");
    EXPECT_EQ(
        machineError(R"({"pci": {"functions": [{"address": "00:00.0", "vendor": "0x12345"}]}})"),
        "bad.json: pci.functions[0].vendor: is too large (74565, at most 65535)");
    EXPECT_EQ(machineError(R"({"bios": {"identification": ")" + std::string(81, 'x') + R"("}})"),
              "bad.json: bios.identification: is longer than the 80 bytes the BIOS holds");
    EXPECT_EQ(machineError(R"({"bios": {"regions": [{"base": "0xF0000", "size": 16},
                                                  {"base": "0xF0008", "size": 16}]}})"),
              "bad.json: bios.regions[1]: overlaps another memory region");
    EXPECT_EQ(machineError(R"({"pci": [1, 2]})"), "bad.json: pci: must be an object");
    EXPECT_EQ(machineError(R"({"pci": {"funcs": []}})"),
              "bad.json: pci.funcs: is not a known field; known here: \"functions\" "
              "\"lspciDump\" \"lspciDumps\"");
    EXPECT_NE(machineError("{\"pci\": "), "no error");
    EXPECT_EQ(machineError("[]"), "bad.json: the top level must be a JSON object");
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

// Identify answers are covered through the library's enumeration; here the
// status of positions without a drive and the refusal of bad drive fields.
TEST(IdeChannel, EmptyPositionsAndMalformedDrives) {
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

    using platform::machine::MachineError;
    for (const char* bad :
         {R"({"ide": {"primary": {"master": {"type": "scsi"}}}})",
          R"({"ide": {"primary": {"master": {"type": "ata", "firmware": "123456789"}}}})",
          R"({"ide": {"primary": {"master": {"type": "ata", "words": {"256": 1}}}}})",
          R"({"ide": {"tertiary": {}}})"}) {
        EXPECT_THROW(testing::SimulatedMachine{bad}, MachineError) << bad;
    }
}

// The vendors' sequences are covered by the shared access routines' tests;
// here the VIA bridge's enable bit, two chips on one board, and bad input.
TEST(SuperIoChip, ViaBridgeAnswersOnlyWhileEnabledAndBadSectionsAreRefused) {
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

    using platform::machine::MachineError;
    for (const char* bad :
         {R"({"superio": {"method": "nsc", "port": "0x2E"}})", R"({"superio": {"method": "smsc"}})",
          R"({"superio": {"method": "smsc", "port": "0x2E", "globals": {"x": 1}}})",
          R"({"superio": {"method": "smsc", "port": "0x2E", "logicalDevices": {"256": {}}}})"}) {
        EXPECT_THROW(testing::SimulatedMachine{bad}, MachineError) << bad;
    }
}

}  // namespace
}  // namespace zelkora::winio::sim
