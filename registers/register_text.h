#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "registers/decoded_registers.h"

namespace zelkora::registers {

// Lines of text for people; every language shows them in English, as
// datasheets name registers.

// "0406h": the value with as many digits as the register is wide.
std::string registerValueText(const DecodedRegister& reg);

// "04h Command = 0406h: I/O- Mem+ BusMaster+ ... INTx-".
std::string registerLine(const DecodedRegister& reg);

// Tool tip texts of one byte of a space: the register that holds it, its
// offset, width and value and its fields, in lines of at most
// kToolTipColumns characters (a field is never split).
inline constexpr std::size_t kToolTipColumns = 64;
std::string pciByteDescription(const PciDecoding& decoding, std::span<const uint8_t, 256> config,
                               unsigned offset);
std::string superIoByteDescription(const std::vector<DecodedRegister>& registers,
                                   std::span<const uint8_t, 256> space, unsigned offset);

}  // namespace zelkora::registers
