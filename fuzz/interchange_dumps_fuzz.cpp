// Any bytes as each dump that import reads (identify words, a superiotool
// register dump, a dmidecode table): a result or an InputError naming the
// file; never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "interchange/identify_dump.h"
#include "interchange/input_file.h"
#include "interchange/smbios_dump.h"
#include "interchange/superio_dump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace zelkora::interchange;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        readIdentifyDump(bytes, "fuzz");
    } catch (const InputError&) {
    }
    try {
        for (const auto& chip : parseSuperIoDump(bytes, "fuzz")) {
            if (chip.line == 0) __builtin_trap();
        }
    } catch (const InputError&) {
    }
    try {
        const SmbiosDump dump = readSmbiosDump(bytes, "fuzz");
        if (dump.structures.empty() || dump.structures.back()[0] != 127) __builtin_trap();
    } catch (const InputError&) {
    }
    return 0;
}
