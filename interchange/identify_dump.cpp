#include "interchange/identify_dump.h"

#include <algorithm>

#include "interchange/input_file.h"

namespace zelkora::interchange {

namespace {

constexpr std::size_t kIdentifyBytes = 512;

bool looksLikeText(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return c == '\n' || c == '\r' || c == '\t' || (c >= ' ' && c < 0x7F);
    });
}

}  // namespace

IdentifyWords readIdentifyDump(std::string_view bytes, const std::string& name) {
    IdentifyWords words{};
    if (bytes.size() == kIdentifyBytes && !looksLikeText(bytes)) {
        for (std::size_t i = 0; i < words.size(); ++i) {
            words[i] = static_cast<uint16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                             static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
        }
        return words;
    }
    if (!looksLikeText(bytes)) fail(name, "is neither identify words as text nor 512 raw bytes");
    std::size_t count = 0;
    LineReader lines(bytes);
    for (std::string_view line; lines.next(line);) {
        // hdparm names the device first: "/dev/sda:".
        if (line.starts_with('/') && line.ends_with(':')) continue;
        Tokens tokens(line);
        for (std::string_view token; tokens.next(token);) {
            unsigned value = 0;
            if (!parseHex(token, 4, value))
                failAt(name, lines.number(),
                       "not a hexadecimal identify word: " + std::string(token));
            if (count == words.size()) failAt(name, lines.number(), "more than 256 identify words");
            words[count++] = static_cast<uint16_t>(value);
        }
    }
    if (count < words.size()) {
        fail(name, "holds " + std::to_string(count) +
                       " identify words; a drive gives 256 (the text of /sys/class/ata_device/*/id "
                       "or of hdparm --Istdout)");
    }
    return words;
}

std::string_view identifyDriveType(const IdentifyWords& words) {
    return (words[0] & 0xC000) == 0x8000 ? "atapi" : "ata";
}

}  // namespace zelkora::interchange
