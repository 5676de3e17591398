#pragma once

#include <string>
#include <vector>

namespace zelkora::interchange {

// Other tools' dumps of one machine; empty names are not given.
struct ImportSources {
    std::string lspci;                  // lspci -x, -xxx or -xxxx output
    std::string dmi;                    // dmidecode --dump-bin
    std::vector<std::string> identify;  // identify words, in position order (at most four)
    std::string superio;                // superiotool -d output
};

inline constexpr std::size_t kMaxIdentifyDumps = 4;

// A machine description (docs/machine-format.md) that replays the dumps,
// as JSON text: the functions with the bytes the dump shows (the others read
// as refused), the SMBIOS table with the BIOS identification text made of
// its BIOS and board structures, the drives on the IDE positions and the
// Super-I/O chips with their registers. Checked by building the board it
// describes. Throws InputError naming the file and line (or offset) of any
// input it cannot read.
std::string importMachine(const ImportSources& sources);

}  // namespace zelkora::interchange
