#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zelkora::probes {

struct LanguageRow {
    uint16_t languageId;
    uint8_t languageCode;
    const char* name;
    uint32_t marker;  // 55AAh in every real row, 0 in the closing row
};

// All rows, the closing row ("End") included.
std::span<const LanguageRow> languageTable();
// The row of a language identifier; the first row ("Language Neutral") when
// the table has none.
const LanguageRow& lookUpLanguage(uint16_t languageId);

}  // namespace zelkora::probes
