#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zelkora::capture {

// Numbers and byte runs as machine files hold them: "0x1F" with at least
// `digits` upper-case digits, and "86 80 70 25" (docs/machine-format.md).
std::string hexNumber(uint64_t value, int digits);
std::string hexBlob(std::span<const uint8_t> bytes);

}  // namespace zelkora::capture
