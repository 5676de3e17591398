#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "registers/decoded_registers.h"
#include "registers/register_book.h"

namespace zelkora::registers {

// "30h", "0406h": `value` in at least `digits` upper-case hex digits and an h.
std::string hexText(uint64_t value, int digits);

// The value of `width` bytes at `offset` of a 256-byte space, little-endian
// unless `bigEndian`. Bytes past the end read as 0.
uint32_t spaceValue(std::span<const uint8_t, 256> space, unsigned offset, unsigned width,
                    bool bigEndian = false);

// One register at `base` + its offset, with `fields` (its own unless given).
DecodedRegister decodeRegister(const RegisterDescription& description,
                               std::span<const uint8_t, 256> space, unsigned base,
                               const std::vector<FieldDescription>* fields = nullptr);

// "Mem+", "DEVSEL=medium", "Base=0000E800h" for one field of a value.
DecodedField decodeField(const FieldDescription& field, uint32_t registerValue);

// The standard Super-I/O registers of one logical device's 256 registers.
std::vector<DecodedRegister> decodeSuperIoRegisters(const RegisterBook& book,
                                                    std::span<const uint8_t, 256> registers);

// The register that holds byte `offset`, or null.
const DecodedRegister* registerHolding(const std::vector<DecodedRegister>& registers,
                                       unsigned offset);

}  // namespace zelkora::registers
