#pragma once

#include <cstdint>
#include <string_view>

#include "registers/register_book.h"

namespace zelkora::interchange {

// The name the register descriptions give the standard configuration header
// register that holds byte `offset` of a function with header type
// `headerType` (byte 0Eh, bit 7 ignored): the first 16 bytes are the same for
// every header, bytes 10h-3Fh as the type 0 (device) or type 1 (PCI-to-PCI
// bridge) header has them. Empty for device-specific bytes and other header
// types.
std::string_view headerRegisterName(const registers::RegisterBook& book, uint8_t headerType,
                                    uint8_t offset);

}  // namespace zelkora::interchange
