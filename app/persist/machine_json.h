#pragma once

#include <string>

#include "app/persist/machine_model.h"

namespace zelkora::registers {
struct RegisterBook;
}

namespace zelkora::persist {

// The version of the JSON document; share/zelkora/zelkora.schema.json
// describes it.
inline constexpr int kJsonSchemaVersion = 1;

// The model as one JSON object ("schema": 1, then general, os, memory, cpu,
// board, ide, pci, superio: only the sections read), indented, with a
// final newline. Numbers are numbers; identifiers are given both as
// lower-case hexadecimal text ("vendor": "8086") and as a number
// ("vendorId": 32902). Texts that are not UTF-8 get U+FFFD in place of the
// bytes that are not.
// With `decode`, each PCI function also carries "decoded": its header
// registers and capabilities (names, offsets, widths, values, fields) by
// those register descriptions, and why a broken capability list ended.
std::string machineJson(const MachineModel& model, const registers::RegisterBook* decode = nullptr);

}  // namespace zelkora::persist
