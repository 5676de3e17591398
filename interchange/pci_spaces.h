#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "winio/sim/lspci_dump.h"

namespace zelkora::interchange {

// The configuration bytes a source holds for one function; `known` marks
// the ones it holds (a hand-made configuration file may set a few, an
// unprivileged dump shows 64).
struct FunctionSpace {
    uint8_t bus = 0;
    uint8_t device = 0;
    uint8_t function = 0;
    std::array<uint8_t, 256> bytes{};
    std::bitset<256> known;

    unsigned address() const { return unsigned{bus} << 8 | device << 3 | function; }
};

// The functions of a source, in address order:
// - "live": this machine's bus as the driver reaches it (the simulated one
//   when ZELKORA_MACHINE is set), with only the bytes the host let be read;
// - a machine description (docs/machine-format.md);
// - a listing that `zelkora-cli list --json` or `report --json` wrote;
// - a PCI configuration file that pci-save wrote (or one made by hand);
// - the text of `lspci -x`, `-xxx` or `-xxxx`.
// The copies a single-function device shows on other function numbers are
// left out, as the library's walk leaves them out. Throws InputError naming
// the file, and the line or field, when the source cannot be read.
std::vector<FunctionSpace> readFunctionSpaces(const std::string& source);

// The functions of the lspci dump `text` read from `name`; what cannot be read
// throws InputError naming the file and line.
std::vector<winio::sim::DumpedFunction> readLspciDump(std::string_view text,
                                                      const std::string& name);

}  // namespace zelkora::interchange
