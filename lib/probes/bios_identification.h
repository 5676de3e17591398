#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zelkora::probes {

struct BiosIdentification {
    std::string model = "Unknown";
    std::string revision = "Unknown";
    std::string date = "Unknown";
};

// Splits "<model> <revision> <date> ..." where the model (which may hold
// spaces) ends at the first space followed three characters later by a "."
// (as in " R1.05"). Only the bytes up to the first NUL within `text` are
// read. Without such a space all three stay "Unknown"; a missing or empty
// token also stays "Unknown".
BiosIdentification splitBiosIdentification(std::span<const uint8_t> text);

}  // namespace zelkora::probes
