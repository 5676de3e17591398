#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "registers/register_book.h"

namespace zelkora::registers {

// What a register space holds, decoded by its descriptions: plain values
// that the tool tips, the command line and any writer of another format walk
// alike.

struct DecodedField {
    std::string name;
    BitRange bits;
    uint32_t value = 0;  // the field's bits, moved down to bit 0
    std::string text;    // "Mem+", "DEVSEL=medium", "Base=0000E800h"
};

struct DecodedRegister {
    uint8_t offset = 0;  // in the space
    uint8_t width = 1;   // bytes
    std::string name;
    std::string key;
    uint32_t value = 0;
    uint32_t rw1cMask = 0;  // bits that a written 1 clears
    std::vector<DecodedField> fields;
};

struct DecodedCapability {
    uint8_t offset = 0;
    uint8_t id = 0;
    uint8_t next = 0;  // the next pointer as it stands, before masking
    std::string name;  // "PCI Express", or "Capability 1Ah" when the ID is not described
    std::string key;   // "EXP"; empty when the ID is not described
    std::vector<DecodedRegister> registers;  // the ID and next pointer first
};

// Why the capability walk ended before a zero pointer.
struct CapabilityListProblem {
    uint8_t at = 0;       // the offset of the pointer that ended it
    uint8_t pointer = 0;  // its value
    std::string text;
};

struct PciDecoding {
    uint8_t layout = 0;  // header type without the multi-function bit
    std::vector<DecodedRegister> header;
    std::vector<DecodedCapability> capabilities;  // in list order
    std::optional<CapabilityListProblem> listProblem;
};

}  // namespace zelkora::registers
