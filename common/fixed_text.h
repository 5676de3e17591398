#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace zelkora::common {

// Copies text into a fixed-size character field: cut to the field's width
// minus one and always NUL-terminated, the rest of the field zeroed.
template <std::size_t N>
void copyText(char (&field)[N], std::string_view text) {
    static_assert(N > 0);
    const std::size_t count = std::min(text.size(), N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), count);
}

// The text held in a fixed field, up to its first NUL (or its whole width
// when a NUL is missing).
template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
    const void* nul = std::memchr(field, 0, N);
    return std::string_view(field, nul ? static_cast<const char*>(nul) - field : N);
}

inline constexpr std::string_view kUnknown = "Unknown";

}  // namespace zelkora::common
