#pragma once

#include <cstdint>
#include <span>

#include "registers/decoded_registers.h"
#include "registers/register_book.h"

namespace zelkora::registers {

// The header of the function's layout and the capabilities found by walking
// the list from the capabilities pointer (when Status says there is a list).
// A pointer below 40h or one that leads back to a capability already listed
// ends the walk; listProblem says where and why.
PciDecoding decodePciConfig(const RegisterBook& book, std::span<const uint8_t, 256> config);

// The register holding byte `offset` and the capability it belongs to (null
// for the header); both null for a byte that nothing describes.
struct PciRegisterAt {
    const DecodedRegister* reg = nullptr;
    const DecodedCapability* capability = nullptr;
};
PciRegisterAt pciRegisterAt(const PciDecoding& decoding, unsigned offset);

// The first capability with this key (case-insensitive), or null.
const DecodedCapability* findCapability(const PciDecoding& decoding, std::string_view key);

}  // namespace zelkora::registers
