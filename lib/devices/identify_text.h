#pragma once

#include <cstdint>
#include <span>

namespace zelkora::devices {

// Turns identify words [first, last] into text in the ATA string order
// (each word's high byte first). The field is cleared first; trailing blanks
// become NUL, but the first character always stays and leading blanks are
// kept. The text is cut to the field's width minus one, so it always ends
// with NUL.
void ExtractIdentifyText(std::span<const uint16_t> words, unsigned first, unsigned last,
                         std::span<char> field);

}  // namespace zelkora::devices
