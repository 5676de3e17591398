#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "registers/decoded_registers.h"
#include "registers/register_book.h"

namespace zelkora::registers {

// A slot, field or value of the command line that names nothing usable; the
// message says why.
class FieldSpecError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// `bus:dev.fn` (hexadecimal, optionally with domain 0000:) or `vendor:device`.
struct PciSlot {
    bool byAddress = true;
    uint8_t bus = 0;
    uint8_t device = 0;
    uint8_t function = 0;
    uint16_t vendorId = 0;
    uint16_t deviceId = 0;
};
PciSlot parsePciSlot(std::string_view text);

// `FIELD=VALUE` or `FIELD=VALUE:MASK`, VALUE and MASK hexadecimal.
struct FieldAssignment {
    std::string field;
    uint32_t value = 0;
    std::optional<uint32_t> mask;
};
FieldAssignment parseFieldAssignment(std::string_view text);

// The bytes a field names in one function.
struct ResolvedField {
    uint8_t offset = 0;
    uint8_t width = 1;
    uint32_t rw1cMask = 0;  // bits of the field that a written 1 clears
};

// A register name (COMMAND, BAR0, LATENCY_TIMER; case does not matter), a
// capability offset (CAP_EXP+8, CAP_PM+4.w) or a hexadecimal offset with a
// width (3c.b, 04.w, 10.l), resolved against the function's decoding. A
// width suffix may narrow a named register, never widen it; a word must start
// at an even offset and a double word at a multiple of 4.
ResolvedField resolvePciField(const RegisterBook& book, const PciDecoding& decoding,
                              std::string_view text);

// All ones over `width` bytes.
uint32_t fieldMask(uint8_t width);

// Checks that a value (or mask) fits the field's width.
void checkFits(uint32_t value, uint8_t width, std::string_view what, std::string_view field);

}  // namespace zelkora::registers
