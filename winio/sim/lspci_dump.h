#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace zelkora::winio::sim {

// A configuration space dump as `lspci -x`, `-xxx` or `-xxxx` prints it (the
// text `lspci -F` replays): a line "[domain:]bus:device.function text" per
// function followed by lines "offset: hh hh ..." of up to 16 bytes.
struct DumpedFunction {
    uint8_t bus = 0;
    uint8_t device = 0;
    uint8_t function = 0;
    // Bytes the dump does not show (an unprivileged dump stops at 40h) are
    // FFh, as the live host serves them. Extended space past FFh is dropped.
    std::array<uint8_t, 256> config{};
    // The bytes the dump shows; the others are no reading.
    std::bitset<256> shown;
};

// Larger dump files are refused rather than read.
inline constexpr size_t kMaxLspciDumpBytes = 64u << 20;

// A dump that cannot be read; the message starts with "line N: " for a bad
// line, and names no line when the text holds no function line at all.
class LspciDumpError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The functions of PCI domain 0000, in the dump's order. Functions of other
// domains are skipped (configuration mechanism 1 reaches only the first).
// Blank and indented lines (verbose output) are ignored; any other line at
// column 0 ends the current function, and hex lines after it are refused.
std::vector<DumpedFunction> parseLspciDump(std::string_view text);

}  // namespace zelkora::winio::sim
