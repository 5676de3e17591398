// The machine file's "superio" section: the Super-I/O chip of a simulated
// board, or the VIA south bridge's built-in one.
#include <cstdio>
#include <string>

#include "winio/sim/board_builder.h"
#include "winio/sim/superio_chip_model.h"
#include "winio/sim/via_superio.h"

namespace zelkora::winio::sim {

namespace {

using platform::machine::Field;

uint8_t registerIndex(const Field& value, const std::string& name) {
    unsigned index = 0;
    char tail = 0;
    if ((std::sscanf(name.c_str(), "0x%x%c", &index, &tail) != 1 &&
         std::sscanf(name.c_str(), "%xh%c", &index, &tail) != 1) ||
        index > 0xFF) {
        value.fail("the key must be a register index from 0x00 to 0xFF");
    }
    return static_cast<uint8_t>(index);
}

// Logical device numbers are decimal, as the chip description file writes
// them, or hexadecimal with 0x.
uint8_t deviceNumber(const Field& device, const std::string& name) {
    unsigned number = 0;
    char tail = 0;
    if ((std::sscanf(name.c_str(), "0x%x%c", &number, &tail) != 1 &&
         std::sscanf(name.c_str(), "%u%c", &number, &tail) != 1) ||
        number > 0xFF) {
        device.fail("the key must be a logical device number from 0 to 255");
    }
    return static_cast<uint8_t>(number);
}

template <typename Store>
void readRegisters(const Field& registers, Store&& store) {
    for (const auto& name : registers.keys()) {
        const auto value = registers[name];
        store(registerIndex(value, name), static_cast<uint8_t>(value.number(0xFF)));
    }
}

void attachVia(SimulatedBoard& board, const Field& entry) {
    auto& via = board.attach(std::make_unique<ViaSuperIo>(board.find<PciConfigMechanism1>()));
    if (auto registers = entry.optional("registers")) {
        readRegisters(*registers, [&](uint8_t reg, uint8_t value) { via.setRegister(reg, value); });
    }
}

void attachChip(SimulatedBoard& board, const Field& entry) {
    const std::string method = entry["method"].string();
    if (method == "via") {
        entry.expectKeys({"method", "registers"});
        attachVia(board, entry);
        return;
    }
    SuperIoChip::Method kind;
    if (method == "winbond")
        kind = SuperIoChip::Method::Winbond;
    else if (method == "smsc")
        kind = SuperIoChip::Method::Smsc;
    else if (method == "ite" || method == "sis")
        kind = SuperIoChip::Method::Ite;
    else
        entry["method"].fail("must be \"winbond\", \"smsc\", \"ite\", \"sis\" or \"via\"");
    entry.expectKeys({"method", "port", "id", "revision", "globals", "logicalDevices"});

    const auto port = static_cast<uint16_t>(entry["port"].number(0xFFFE));
    auto chip = std::make_unique<SuperIoChip>(kind, port);
    auto& globals = chip->globals();
    // One byte is the 8-bit identifier (20h) with the revision in 21h; two
    // bytes fill 20h and 21h, and the revision goes to 22h.
    bool wideId = false;
    if (auto id = entry.optional("id")) {
        const auto value = id->number(0xFFFF);
        wideId = value > 0xFF;
        if (wideId) {
            globals[0x20] = static_cast<uint8_t>(value >> 8);
            globals[0x21] = static_cast<uint8_t>(value);
        } else {
            globals[0x20] = static_cast<uint8_t>(value);
        }
    }
    if (auto revision = entry.optional("revision")) {
        globals[wideId ? 0x22 : 0x21] = static_cast<uint8_t>(revision->number(0xFF));
    }
    if (auto globalRegisters = entry.optional("globals")) {
        readRegisters(*globalRegisters, [&](uint8_t reg, uint8_t value) { globals[reg] = value; });
    }
    if (auto devices = entry.optional("logicalDevices")) {
        for (const auto& name : devices->keys()) {
            const auto device = (*devices)[name];
            auto& registers = chip->logicalDevice(deviceNumber(device, name));
            readRegisters(device, [&](uint8_t reg, uint8_t value) { registers[reg] = value; });
        }
    }
    board.attach(std::move(chip));
}

}  // namespace

void attachSuperIoChip(SimulatedBoard& board, const platform::machine::Field& root) {
    auto superio = root.optional("superio");
    if (!superio) return;
    if (superio->isArray()) {
        for (size_t i = 0; i < superio->size(); ++i)
            attachChip(board, superio->at(i));
    } else {
        attachChip(board, *superio);
    }
}

}  // namespace zelkora::winio::sim
