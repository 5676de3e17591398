// Any bytes as the BIOS identification text: the split reads only those
// bytes and gives three texts no longer than its work strings.
#include <cstddef>
#include <cstdint>
#include <span>

#include "lib/probes/bios_identification.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parts = zelkora::probes::splitBiosIdentification(std::span(data, size));
    if (parts.model.size() > 63 || parts.revision.size() > 63 || parts.date.size() > 63) {
        __builtin_trap();
    }
    return 0;
}
