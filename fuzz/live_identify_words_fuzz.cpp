// The kernel's identify text of a drive: any content is either refused or
// gives exactly the 256 words that its 256 tokens spell.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "winio/live/live_drives.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto words = zelkora::winio::live::parseIdentifyWords(text);
    if (!words) return 0;
    // Written back in the kernel's own form, the words read the same.
    std::string again;
    for (uint16_t word : *words) {
        char token[8];
        std::snprintf(token, sizeof token, "%04x ", word);
        again += token;
    }
    if (zelkora::winio::live::parseIdentifyWords(again) != words) std::abort();
    return 0;
}
