// Field names resolved against decoded functions, and field-exact writes as
// the simulated board's port trace shows them.
#include <gtest/gtest.h>

#include <variant>

#include "common/pci_config.h"
#include "registers/pci_decoder.h"
#include "registers/pci_field_write.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/test_driver.h"
#include "winio/sim/port_recorder.h"

namespace zelkora::registers {
namespace {

using winio::sim::portRead;
using winio::sim::portWrite;

class PciField : public ::testing::Test {
  protected:
    PciDecoding decode(uint8_t device) {
        std::array<uint8_t, 256> config{};
        common::ReadPCIConfigByteBlock(ports_, 0, device, 0, config);
        return decodePciConfig(book_, config);
    }

    const RegisterBook book_ = readRegisterBook(testing::kSourceDir / "resources/registers.json");
    testing::SimulatedMachine machine_{R"({"pci": {"lspciDump": "capabilities-lspci.txt"}})",
                                       testing::kSourceDir / "tests/data/registers"};
    common::PortIo& ports_ = machine_.ports();
};

TEST_F(PciField, NamesResolveToTheirBytesOrSayWhyNot) {
    const PciDecoding endpoint = decode(0x01);
    const PciDecoding bridge = decode(0x1C);
    using Expected = std::variant<std::pair<int, int>, std::string>;
    const std::tuple<const PciDecoding*, const char*, Expected> cases[] = {
        {&endpoint, "COMMAND", std::pair{0x04, 2}},
        {&endpoint, "command.b", std::pair{0x04, 1}},
        {&endpoint, "Latency_Timer", std::pair{0x0D, 1}},
        {&endpoint, "BASE_ADDRESS_0", std::pair{0x10, 4}},
        {&endpoint, "CAP_EXP+8", std::pair{0x88, 2}},
        {&endpoint, "cap_msi+4.l", std::pair{0x54, 4}},
        {&endpoint, "CAP_PM", std::pair{0x40, 1}},
        {&endpoint, "3c.b", std::pair{0x3C, 1}},
        {&endpoint, "0x10.l", std::pair{0x10, 4}},
        {&bridge, "SECONDARY_BUS", std::pair{0x19, 1}},
        {&bridge, "CAP_SSVID+6", std::pair{0x86, 2}},
        {&endpoint, "COMMAND.l",
         "COMMAND.l: Command is 2 bytes wide; 4 bytes would reach beyond it"},
        {&endpoint, "LATENCY_TIMER.w",
         "LATENCY_TIMER.w: Latency Timer is 1 byte wide; 2 bytes would reach beyond it"},
        {&endpoint, "05.w", "05.w: a field of 2 bytes must start at a multiple of 2; 05h is not"},
        {&endpoint, "06.l", "06.l: a field of 4 bytes must start at a multiple of 4; 06h is not"},
        {&endpoint, "CAP_EXP+9.w",
         "CAP_EXP+9.w: a field of 2 bytes must start at a multiple of 2; 89h is not"},
        {&endpoint, "CAP_EXP+3c.w",
         "CAP_EXP+3c.w: reaches beyond the PCI Express capability at 80h"},
        {&endpoint, "CAP_EXP+3d",
         "CAP_EXP+3d: nothing is described at BDh; give a width (.b, .w or .l)"},
        {&endpoint, "CAP_AGP", "CAP_AGP: the function has no AGP capability in its list"},
        {&endpoint, "CAP_WIFI", "CAP_WIFI: no capability is called WIFI"},
        {&endpoint, "SECONDARY_BUS",
         "SECONDARY_BUS: the function's header (general device layout) has no such register"},
        {&endpoint, "FROB", "FROB: not a register name, CAP_name+offset or hexadecimal offset"},
        {&endpoint, "3c", "3c: give the width of an offset (.b, .w or .l)"},
        {&endpoint, "100.b", "100.b: the offset is beyond FFh"},
        {&endpoint, "COMMAND.q", "COMMAND.q: the width is .b, .w or .l"},
    };
    for (const auto& [decoding, text, expected] : cases) {
        try {
            const ResolvedField field = resolvePciField(book_, *decoding, text);
            EXPECT_EQ(expected, Expected(std::pair<int, int>{field.offset, field.width})) << text;
        } catch (const FieldSpecError& error) {
            EXPECT_EQ(expected, Expected(std::string(error.what()))) << text;
        }
    }
    EXPECT_EQ(resolvePciField(book_, endpoint, "STATUS").rw1cMask, 0xF900u);
    EXPECT_EQ(resolvePciField(book_, endpoint, "07.b").rw1cMask, 0xF9u);
    EXPECT_EQ(resolvePciField(book_, endpoint, "04.l").rw1cMask, 0xF900'0000u);
}

TEST_F(PciField, WritesTouchOnlyTheFieldThenReadItBack) {
    const PciDecoding endpoint = decode(0x01);
    auto& trace = machine_.board().recorder();
    const auto write = [&](const char* name, uint32_t value, std::optional<uint32_t> mask) {
        trace.clear();
        trace.start();
        const auto outcome = applyPciFieldWrite(
            ports_, {0, 1, 0, resolvePciField(book_, endpoint, name), value, mask}, false);
        trace.stop();
        return outcome;
    };
    // One byte: the address, the byte at 0CFDh, and the read-back.
    auto outcome = write("LATENCY_TIMER", 0x40, std::nullopt);
    EXPECT_EQ(trace.accesses(),
              (std::vector{portWrite(0xCF8, 0x8000'080Cu, 4), portWrite(0xCFD, 0x40),
                           portWrite(0xCF8, 0x8000'080Cu, 4), portRead(0xCFD, 0x40)}));
    EXPECT_EQ(outcome.readBack, 0x40u);
    EXPECT_EQ(outcome.notStuck, 0u);

    // A mask reads the field first and merges; Status's write-1-to-clear
    // bits outside the mask (<MAbort, 2000h) go out as 0 and so stay set.
    outcome = write("STATUS", 0x0000, 0x0008);
    EXPECT_EQ(trace.accesses(),
              (std::vector{portWrite(0xCF8, 0x8000'0804u, 4), portRead(0xCFE, 0x2010, 2),
                           portWrite(0xCF8, 0x8000'0804u, 4), portWrite(0xCFE, 0x0010, 2),
                           portWrite(0xCF8, 0x8000'0804u, 4), portRead(0xCFE, 0x0010, 2)}));
    EXPECT_EQ(outcome.before, 0x2010u);
}

// Configuration writes that are lost as read-only registers lose them, then
// refused by the driver, then reads refused as well.
TEST_F(PciField, BitsThatDoNotStickAndRefusedWritesAreReported) {
    testing::TestDriver& driver = machine_.driver();
    driver.dropWrite = testing::configDataPort;
    common::PortIo& ports = ports_;
    const ResolvedField command = resolvePciField(book_, decode(0x01), "COMMAND");
    auto outcome = applyPciFieldWrite(ports, {0, 1, 0, command, 0x0007, std::nullopt}, true);
    EXPECT_EQ(outcome.before, 0x0406u);
    EXPECT_EQ(outcome.readBack, 0x0406u);
    EXPECT_EQ(outcome.notStuck, 0x0401u);
    EXPECT_FALSE(outcome.refused);
    // With a mask only the masked bits count.
    driver.refuseWrite = testing::configDataPort;
    outcome = applyPciFieldWrite(ports, {0, 1, 0, command, 0x0001, 0x0003}, false);
    EXPECT_EQ(outcome.written, 0x0405u);
    EXPECT_EQ(outcome.notStuck, 0x0003u);
    EXPECT_TRUE(outcome.refused);
    // A mask over bits that cannot be read: nothing is written.
    driver.refuseRead = testing::configDataPort;
    machine_.board().recorder().start();
    outcome = applyPciFieldWrite(ports, {0, 1, 0, command, 0x0001, 0x0003}, false);
    EXPECT_TRUE(outcome.readRefused);
    EXPECT_FALSE(outcome.wrote);
    EXPECT_EQ(machine_.board().recorder().accesses().size(), 2u);  // the address, the read
}

}  // namespace
}  // namespace zelkora::registers
