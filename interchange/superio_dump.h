#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zelkora::interchange {

// One chip of a `superiotool -d` dump.
struct DumpedSuperIoChip {
    std::string vendor;  // the word after "Found": Winbond, ITE, SMSC, ...
    std::string name;    // the rest of the chip's name
    unsigned id = 0;
    unsigned revision = 0;
    unsigned port = 0;
    std::size_t line = 0;  // where the chip was found
    // The machine format's method a "Configuration key: winbond" line names
    // (zelkora-cli superio-dump writes one); empty when none does.
    std::string key;
    std::map<uint8_t, uint8_t> globals;
    std::map<uint8_t, std::map<uint8_t, uint8_t>> logicalDevices;
};

// The chips of a superiotool register dump (or of zelkora-cli superio-dump,
// which writes the same layout with the key that found the chip): "Found <vendor> <chip> (id=0x52,
// rev=0x17) at 0x2e", then "idx"/"val" lines of the global registers and,
// after each "LDN 0x07 (...)" line, of that logical device ("def" lines,
// the datasheet's defaults, are passed over, as are blocks of other kinds
// such as a hardware monitor's). Throws InputError naming the file and line
// for anything it cannot read, or when no chip was found.
std::vector<DumpedSuperIoChip> parseSuperIoDump(std::string_view text, const std::string& name);

// The machine format's configuration method for a chip: the key its dump
// names, else its vendor's; empty for a chip the simulation cannot answer for.
std::string_view superIoMethod(const DumpedSuperIoChip& chip);

}  // namespace zelkora::interchange
