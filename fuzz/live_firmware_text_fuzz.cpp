// /proc/cpuinfo and DMI identity of any content: the SMBIOS table built from
// them is well formed, and the identification text splits back into the
// board's version (or the placeholder) and the BIOS date.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "hardware/pc_addresses.h"
#include "lib/probes/bios_identification.h"
#include "winio/live/live_bios.h"
#include "winio/sim/smbios_image.h"

namespace {

// The n-th line of `text` (lines separated by '\n').
std::string line(std::string_view text, int n) {
    for (; n > 0; --n) {
        const size_t newline = text.find('\n');
        if (newline == std::string_view::npos) return {};
        text.remove_prefix(newline + 1);
    }
    return std::string(text.substr(0, text.find('\n')));
}

bool oneToken(std::string_view text) {
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0') return false;
    }
    return !text.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zelkora::winio::live;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto cpu = parseCpuinfo(text);
    const DmiIdentity identity{line(text, 0), line(text, 1), line(text, 2),
                               line(text, 3), line(text, 4), line(text, 5)};

    const auto table = buildSmbiosTable(identity, cpu);
    const auto measure = zelkora::winio::sim::measureSmbiosTable(table);
    const size_t expected = table.empty() ? 0 : 1 + (identity.empty() ? 0 : 2) + (cpu ? 1 : 0);
    if (measure.structureCount != expected) std::abort();

    const std::string identification = buildIdentificationText(identity);
    if (identification.size() > zelkora::hardware::kBiosIdentificationLength) std::abort();
    if (identification.empty()) return 0;
    const auto split = zelkora::probes::splitBiosIdentification(
        {reinterpret_cast<const uint8_t*>(identification.data()), identification.size()});
    if (split.revision != identity.boardVersion && split.revision != kNoRevision) std::abort();
    const bool dateFits = identity.biosDate.size() + 2 + split.revision.size() <= 80;
    if (oneToken(identity.biosDate) && dateFits && identity.biosDate.size() <= 63 &&
        split.date != identity.biosDate) {
        std::abort();
    }
    return 0;
}
