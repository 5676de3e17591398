#pragma once

#include <cstdint>
#include <string_view>

namespace zelkora::interchange {

// The name of the standard configuration header register that holds byte
// `offset` of a function with header type `headerType` (byte 0Eh, bit 7
// ignored): the first 16 bytes are the same for every header, bytes 10h-3Fh
// as the type 0 (device) or type 1 (PCI-to-PCI bridge) header has them.
// Empty for device-specific bytes, reserved ones and other header types.
//
// A small table of the header alone; a full register description of the
// capabilities and device-specific registers can take its place.
std::string_view headerRegisterName(uint8_t headerType, uint8_t offset);

}  // namespace zelkora::interchange
