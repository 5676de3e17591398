// Any bytes as an lspci configuration dump: functions with 256-byte spaces,
// or an LspciDumpError naming the line; never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "winio/sim/lspci_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        for (const auto& function : zelkora::winio::sim::parseLspciDump(text)) {
            if (function.device > 0x1F || function.function > 7) __builtin_trap();
        }
    } catch (const zelkora::winio::sim::LspciDumpError&) {
    }
    return 0;
}
