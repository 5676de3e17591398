#pragma once

#include <cstdint>
#include <string>

#include "common/port_io.h"
#include "common/profile_file.h"

namespace zelkora::common {

// Where a Super-I/O chip answers and what its description file calls it:
// the same steps for the library's walk and the Super-I/O dialog's listing,
// which read different description files.

// The first of the configuration ports (3F0h, 370h, 2Eh, 4Eh) whose chip
// answers register 20h, or `fallback` when none answers now.
uint16_t findChipConfigPort(PortIo& ports, uint16_t fallback);

// The description file's section of an 8-bit chip identifier: "ID=%2.2Xh".
std::string chipSectionName(uint8_t id);

// A chip named from its description file: the section of its 8-bit
// identifier ("ID=%2.2Xh"), else, when that names no maker, the section of
// its 16-bit identifier ("ID=%4.4Xh"), for which registers 20h, 21h and 22h
// are read again.
struct ChipName {
    std::string manufacturer;
    std::string chipType;
    bool sixteenBit = false;
    uint16_t id16 = 0;
    uint8_t revision16 = 0;
};
ChipName nameChip(PortIo& ports, uint16_t port, uint8_t id, ProfileFile& file);

}  // namespace zelkora::common
