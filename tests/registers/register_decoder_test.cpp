// The decoder on simulated functions whose fields were computed by hand
// (tests/data/registers): every described capability, a bridge, a list that
// points into the header and one that loops; the tool tip texts; and the
// refusal of malformed description files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "common/pci_config.h"
#include "registers/pci_decoder.h"
#include "registers/register_decoder.h"
#include "registers/register_text.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/test_driver.h"

namespace zelkora::registers {
namespace {

const std::filesystem::path kData = testing::kSourceDir / "tests/data/registers";

RegisterBook shippedBook() {
    return readRegisterBook(testing::kSourceDir / "resources/registers.json");
}

using Space = std::array<uint8_t, 256>;

// The functions of the dump, read through configuration mechanism 1.
std::map<std::string, Space> dumpedFunctions() {
    testing::SimulatedMachine machine(R"({"pci": {"lspciDump": "capabilities-lspci.txt"}})", kData);
    common::PortIo& ports = machine.ports();
    std::map<std::string, Space> functions;
    for (const auto& [slot, bus, device, function] : {std::tuple{"00:01.0", 0, 1, 0},
                                                      {"00:1c.0", 0, 0x1C, 0},
                                                      {"00:02.0", 0, 2, 0},
                                                      {"00:03.0", 0, 3, 0}}) {
        common::ReadPCIConfigByteBlock(ports, bus, device, function, functions[slot]);
    }
    return functions;
}

// Every line the decoding gives: "caps:", "end:" and each register's line.
std::vector<std::string> decodedLines(const PciDecoding& decoding) {
    std::string caps = "caps:";
    std::vector<std::string> lines;
    for (const DecodedRegister& reg : decoding.header)
        lines.push_back(registerLine(reg));
    for (const DecodedCapability& capability : decoding.capabilities) {
        char entry[16];
        std::snprintf(entry, sizeof entry, "%02Xh ", capability.offset);
        caps.append(caps.size() > 5 ? ", " : " ").append(entry).append(capability.key);
        for (const DecodedRegister& reg : capability.registers)
            lines.push_back(registerLine(reg));
    }
    lines.push_back(caps);
    lines.push_back("end: " + (decoding.listProblem ? decoding.listProblem->text
                                                    : std::string("zero pointer")));
    return lines;
}

TEST(RegisterDecoder, FunctionsDecodeAsComputedByHand) {
    const RegisterBook book = shippedBook();
    const std::map<std::string, Space> functions = dumpedFunctions();
    std::ifstream expected(kData / "capabilities-decoded.txt");
    std::vector<std::string> lines;
    std::string slot;
    int checked = 0;
    for (std::string line; std::getline(expected, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            slot = line.substr(1, line.size() - 2);
            lines = decodedLines(decodePciConfig(book, functions.at(slot)));
            continue;
        }
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
            << slot << " lacks: " << line;
        ++checked;
    }
    EXPECT_EQ(checked, 89);
}

TEST(RegisterDecoder, ToolTipsNameTheRegisterOfEachByte) {
    const RegisterBook book = shippedBook();
    const std::map<std::string, Space> functions = dumpedFunctions();
    const Space& endpoint = functions.at("00:01.0");
    const PciDecoding decoding = decodePciConfig(book, endpoint);
    EXPECT_EQ(pciByteDescription(decoding, endpoint, 0x05),
              "04h Command (2 bytes) = 0406h\n"
              "I/O- Mem+ BusMaster+ SpecCycle- MemWINV- VGASnoop- ParErr-\n"
              "Stepping- SERR- FastB2B- INTx-");
    EXPECT_EQ(pciByteDescription(decoding, endpoint, 0x89),
              "88h Device Control (2 bytes) = 2810h\n"
              "in the PCI Express capability at 80h\n"
              "CorrErr- NonFatalErr- FatalErr- UnsupReq- RlxdOrd+\n"
              "MaxPayload=128 bytes ExtTag- PhantFunc- AuxPwr- NoSnoop+\n"
              "MaxReadReq=512 bytes FLReset-");
    EXPECT_EQ(pciByteDescription(decoding, endpoint, 0xC3), "C3h = 01h (device specific)");
    const Space& intoHeader = functions.at("00:02.0");
    EXPECT_EQ(pciByteDescription(decodePciConfig(book, intoHeader), intoHeader, 0x34),
              "34h Capabilities Pointer (1 byte) = 30h\n"
              "Broken capability list: the pointer at 34h is 30h, below 40h\n"
              "(inside the header); the capability list ends there");

    Space superIo{};
    superIo[0x30] = 0x01;
    superIo[0x60] = 0x03;
    superIo[0x61] = 0xF8;
    superIo[0xF3] = 0x5A;
    const auto registers = decodeSuperIoRegisters(book, superIo);
    EXPECT_EQ(superIoByteDescription(registers, superIo, 0x61),
              "60h I/O Base Address 0 (2 bytes) = 03F8h");
    EXPECT_EQ(superIoByteDescription(registers, superIo, 0x30),
              "30h Activate (1 byte) = 01h\nActive+");
    EXPECT_EQ(superIoByteDescription(registers, superIo, 0xF3),
              "F3h Vendor specific (1 byte) = 5Ah");
    EXPECT_EQ(superIoByteDescription(registers, superIo, 0x50), "50h = 00h");

    // No line of any byte's tip is wider than the tip's width.
    for (unsigned offset = 0; offset < 256; ++offset) {
        std::istringstream text(pciByteDescription(decoding, endpoint, offset));
        for (std::string line; std::getline(text, line);)
            EXPECT_LE(line.size(), kToolTipColumns) << line;
    }
}

TEST(RegisterDecoder, MalformedFilesAreRefusedNamingEntryAndProblem) {
    const std::string valid = R"({"pci": {"header": [
        {"offset": "04h", "width": 2, "name": "Command", "fields": [{"bits": "0", "name": "IO"}]}],
      "bar": {"memory": [], "io": [], "upperHalf": []}, "type0": [], "type1": [],
      "capabilityHeader": [], "capabilities": []}, "superio": []})";
    EXPECT_NO_THROW(parseRegisterBook(valid, "r.json"));
    const std::pair<std::pair<std::string, std::string>, std::string> cases[] = {
        {{"\"width\": 2", "\"width\": 3"},
         "r.json: pci.header[0](Command).width: is not 1, 2 or 4 bytes"},
        {{"\"04h\"", "\"05h\""},
         "r.json: pci.header[0](Command).offset: is not a multiple of the register's width"},
        {{"\"bits\": \"0\"", "\"bits\": \"16\""},
         "r.json: pci.header[0](Command).fields[0](IO).bits: \"16\" lies beyond the register's 16 "
         "bits"},
        {{"\"bits\": \"0\"", "\"bits\": \"0:3\""},
         "r.json: pci.header[0](Command).fields[0](IO).bits: \"0:3\" runs from high to low "
         "backwards"},
        {{"\"name\": \"IO\"}", "\"name\": \"IO\"}, {\"bits\": \"1:0\", \"name\": \"X\"}"},
         "r.json: pci.header[0](Command).fields[1](X): overlaps the bits of an earlier field"},
        {{"\"name\": \"IO\"", "\"name\": \"IO\", \"values\": {\"2\": \"two\"}"},
         "r.json: pci.header[0](Command).fields[0](IO).values.2: \"2\" is not a value the field "
         "can hold"},
        {{"\"fields\"", "\"feilds\""},
         "r.json: pci.header[0](Command): \"feilds\" is not a known field"},
        {{"\"superio\": []", "\"superio\": 5"}, "r.json: superio: is not a list"},
        {{"\"type1\": []", "\"type1\": [{\"offset\": 4, \"width\": 1, \"name\": \"Command\"}]"},
         "r.json: pci.type1[0](Command): the name \"COMMAND\" is taken by an earlier register"},
        {{"{\"pci\"", "{pci"}, "r.json: not JSON: "},
    };
    for (const auto& [edit, message] : cases) {
        std::string text = valid;
        text.replace(text.find(edit.first), edit.first.size(), edit.second);
        try {
            parseRegisterBook(text, "r.json");
            ADD_FAILURE() << "accepted: " << edit.second;
        } catch (const RegisterFileError& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, message.size()), message);
        }
    }
}

}  // namespace
}  // namespace zelkora::registers
