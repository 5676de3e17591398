#include "capture/hex_text.h"

#include <cstdio>

namespace zelkora::capture {

std::string hexNumber(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string hexBlob(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    char byte[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
        text += byte;
    }
    return text;
}

}  // namespace zelkora::capture
