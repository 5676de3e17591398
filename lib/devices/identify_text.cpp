#include "lib/devices/identify_text.h"

#include <algorithm>

namespace zelkora::devices {

void ExtractIdentifyText(std::span<const uint16_t> words, unsigned first, unsigned last,
                         std::span<char> field) {
    std::fill(field.begin(), field.end(), '\0');
    if (field.empty() || last < first || first >= words.size()) return;
    last = std::min<unsigned>(last, static_cast<unsigned>(words.size() - 1));
    const size_t length = std::min<size_t>(2 * size_t{last - first + 1}, field.size() - 1);
    for (size_t i = 0; i < length; ++i) {
        const uint16_t word = words[first + i / 2];
        field[i] = static_cast<char>(i % 2 == 0 ? word >> 8 : word & 0xFF);
    }
    for (size_t i = length; i-- > 1 && field[i] == ' ';)
        field[i] = '\0';
}

}  // namespace zelkora::devices
