#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <QString>

#include "registers/register_book.h"

namespace zelkora::app {

// The texts of the register dialogs' grid tool tips: the register a byte
// belongs to, its offset, width and value and its fields, decoded by the
// shipped register descriptions (English in every language, as datasheets
// name registers). A description file that cannot be read gives its fault
// as every byte's tip, so the user learns why nothing is decoded.
class RegisterToolTips {
  public:
    RegisterToolTips();

    // Byte `offset` of a function's 256-byte configuration space.
    QString pciByte(std::span<const uint8_t> config, int offset) const;
    // Byte `offset` of a Super-I/O logical device's 256 registers.
    QString superIoByte(std::span<const uint8_t> values, int offset) const;

  private:
    std::optional<registers::RegisterBook> book_;
    QString fault_;
};

}  // namespace zelkora::app
