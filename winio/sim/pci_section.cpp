// The machine file's "pci" section: the PCI functions of a simulated board,
// attached to configuration mechanism 1.
#include "winio/sim/board_builder.h"
#include "winio/sim/lspci_dump.h"
#include "winio/sim/pci_mechanism1.h"

#include <bitset>
#include <cstdio>

namespace zelkora::winio::sim {

namespace {

struct FunctionAddress {
    uint8_t bus = 0, device = 0, function = 0;
};

FunctionAddress parseAddress(const platform::machine::Field& field) {
    const std::string text = field.string();
    unsigned bus = 0, device = 0, function = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%2x:%2x.%1u%c", &bus, &device, &function, &tail) != 3 ||
        device > 0x1F || function > 7) {
        field.fail("must be bus:device.function in hexadecimal, such as \"00:1f.3\" (got \"" +
                   text + "\")");
    }
    return {static_cast<uint8_t>(bus), static_cast<uint8_t>(device),
            static_cast<uint8_t>(function)};
}

void putLittleEndian(ConfigSpace& space, unsigned offset, uint64_t value, unsigned width) {
    for (unsigned i = 0; i < width; ++i)
        space[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::shared_ptr<ConfigSpace> buildSpace(const platform::machine::Field& function) {
    function.expectKeys({"address", "config", "vendor", "device", "revision", "class", "headerType",
                         "subsystem", "irq", "bytes", "allFunctions", "readableBytes"});
    auto space = std::make_shared<ConfigSpace>();
    space->fill(0);
    if (auto config = function.optional("config")) {
        const auto bytes = config->hexBlob(256);
        std::copy(bytes.begin(), bytes.end(), space->begin());
    }
    if (auto field = function.optional("vendor"))
        putLittleEndian(*space, 0x00, field->number(0xFFFF), 2);
    if (auto field = function.optional("device"))
        putLittleEndian(*space, 0x02, field->number(0xFFFF), 2);
    if (auto field = function.optional("revision"))
        putLittleEndian(*space, 0x08, field->number(0xFF), 1);
    if (auto field = function.optional("class")) {
        // base class, subclass, programming interface: "0x0C0310"
        putLittleEndian(*space, 0x09, field->number(0xFF'FFFF), 3);
    }
    if (auto field = function.optional("headerType"))
        putLittleEndian(*space, 0x0E, field->number(0xFF), 1);
    if (auto field = function.optional("subsystem")) {
        // subsystem vendor in the low word, subsystem id in the high word, as dword 2Ch reads
        putLittleEndian(*space, 0x2C, field->number(0xFFFF'FFFF), 4);
    }
    if (auto field = function.optional("irq"))
        putLittleEndian(*space, 0x3C, field->number(0xFF), 1);
    if (auto bytes = function.optional("bytes")) {
        for (const auto& name : bytes->keys()) {
            const auto value = (*bytes)[name];
            unsigned offset = 0;
            char tail = 0;
            if (std::sscanf(name.c_str(), "%x%c", &offset, &tail) != 1 &&
                std::sscanf(name.c_str(), "0x%x%c", &offset, &tail) != 1) {
                value.fail("the key must be a configuration offset in hexadecimal");
            }
            if (offset > 0xFF) value.fail("the offset is past the 256-byte configuration space");
            (*space)[offset] = static_cast<uint8_t>(value.number(0xFF));
        }
    }
    return space;
}

// Bytes past `readableBytes` are refused to the reader, as a capture by an
// ordinary user records them.
std::bitset<256> unreadableBytes(const platform::machine::Field& function) {
    std::bitset<256> unreadable;
    if (auto field = function.optional("readableBytes")) {
        for (auto offset = static_cast<size_t>(field->number(256)); offset < 256; ++offset)
            unreadable.set(offset);
    }
    return unreadable;
}

// Attaches the functions of a configuration space dump file.
void attachDump(PciConfigMechanism1& mechanism, const platform::machine::Field& name) {
    const std::string text = name.readFile(kMaxLspciDumpBytes);
    std::vector<DumpedFunction> functions;
    try {
        functions = parseLspciDump(text);
    } catch (const LspciDumpError& error) {
        name.fail(name.filePath().filename().string() + ": " + error.what());
    }
    for (const auto& function : functions) {
        if (mechanism.space(function.bus, function.device, function.function)) {
            char address[16];
            std::snprintf(address, sizeof address, "%02x:%02x.%x", function.bus, function.device,
                          function.function);
            name.fail(std::string("the dump names ") + address +
                      ", a function that is already on the board");
        }
        mechanism.attach(function.bus, function.device, function.function,
                         std::make_shared<ConfigSpace>(function.config));
        mechanism.refuseReads(function.bus, function.device, function.function, ~function.shown);
    }
}

}  // namespace

void attachPciBus(SimulatedBoard& board, const platform::machine::Field& root) {
    auto pci = root.optional("pci");
    auto& mechanism = board.attach(std::make_unique<PciConfigMechanism1>());
    if (!pci) return;
    pci->expectKeys({"functions", "lspciDump", "lspciDumps"});
    if (auto functions = pci->optional("functions")) {
        for (size_t i = 0; i < functions->size(); ++i) {
            const auto function = functions->at(i);
            const auto address = parseAddress(function["address"]);
            if (mechanism.space(address.bus, address.device, address.function)) {
                function["address"].fail("names a function that is already on the board");
            }
            auto space = buildSpace(function);
            const std::bitset<256> unreadable = unreadableBytes(function);
            const bool everyNumber = function.booleanOr("allFunctions", false);
            for (uint8_t number = 0; number < 8; ++number) {
                if (!everyNumber && number != address.function) continue;
                mechanism.attach(address.bus, address.device, number, space);
                mechanism.refuseReads(address.bus, address.device, number, unreadable);
            }
        }
    }
    if (auto dump = pci->optional("lspciDump")) attachDump(mechanism, *dump);
    if (auto dumps = pci->optional("lspciDumps")) {
        for (size_t i = 0; i < dumps->size(); ++i)
            attachDump(mechanism, dumps->at(i));
    }
}

}  // namespace zelkora::winio::sim
