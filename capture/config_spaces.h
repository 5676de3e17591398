#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zelkora::winio {
class Backend;
}

namespace zelkora::capture {

// One function's configuration space as configuration mechanism 1 gave it.
struct ConfigSpace {
    uint8_t bus = 0;
    uint8_t device = 0;
    uint8_t function = 0;
    std::array<uint8_t, 256> bytes{};
    // Bytes 00h up to this offset are readings; the host refused the rest
    // (an ordinary user on Linux gets 64), which hold FFh filler.
    unsigned readable = 256;
};

// Every function on all 256 buses (not only the ones the library lists), in
// address order, in one bracketed walk so that a live host reads each one once.
std::vector<ConfigSpace> readConfigSpaces(winio::Backend& ports);

// "00:1f.3", as lspci and machine files name a function.
std::string functionAddress(uint8_t bus, uint8_t device, uint8_t function);

}  // namespace zelkora::capture
