#include "lib/probes/language_table.h"

namespace zelkora::probes {

namespace {

constexpr uint32_t kMarker = 0x55AA;

// Windows language identifiers and the user-interface language each one
// selects (0 English, 1 Simplified Chinese, 2 Traditional Chinese).
constexpr std::array<LanguageRow, 108> kLanguageTable = {{
    {0x0000, 0, "Language Neutral", kMarker},
    {0x0400, 0, "Process Default Language", kMarker},
    {0x0401, 0, "Arabic (Saudi Arabia)", kMarker},
    {0x0801, 0, "Arabic (Iraq)", kMarker},
    {0x0C01, 0, "Arabic (Egypt)", kMarker},
    {0x1001, 0, "Arabic (Libya)", kMarker},
    {0x1401, 0, "Arabic (Algeria)", kMarker},
    {0x1801, 0, "Arabic (Morocco)", kMarker},
    {0x1C01, 0, "Arabic (Tunisia)", kMarker},
    {0x2001, 0, "Arabic (Oman)", kMarker},
    {0x2401, 0, "Arabic (Yemen)", kMarker},
    {0x2801, 0, "Arabic (Syria)", kMarker},
    {0x2C01, 0, "Arabic (Jordan)", kMarker},
    {0x3001, 0, "Arabic (Lebanon)", kMarker},
    {0x3401, 0, "Arabic (Kuwait)", kMarker},
    {0x3801, 0, "Arabic (U.A.E.)", kMarker},
    {0x3C01, 0, "Arabic (Bahrain)", kMarker},
    {0x4001, 0, "Arabic (Qatar)", kMarker},
    {0x0402, 0, "Bulgarian", kMarker},
    {0x0403, 0, "Catalan", kMarker},
    {0x0404, 2, "Traditional Chinese", kMarker},
    {0x0804, 1, "Simplified Chinese", kMarker},
    {0x0C04, 2, "Traditional Chinese", kMarker},
    {0x1004, 0, "Chinese (Singapore)", kMarker},
    {0x0405, 0, "Czech", kMarker},
    {0x0406, 0, "Danish", kMarker},
    {0x0407, 0, "German (Standard)", kMarker},
    {0x0807, 0, "German (Swiss)", kMarker},
    {0x0C07, 0, "German (Austrian)", kMarker},
    {0x1007, 0, "German (Luxembourg)", kMarker},
    {0x1407, 0, "German (Liechtenstein)", kMarker},
    {0x0408, 0, "Greek", kMarker},
    {0x0409, 0, "English (United States)", kMarker},
    {0x0809, 0, "English (United Kingdom)", kMarker},
    {0x0C09, 0, "English (Australian)", kMarker},
    {0x1009, 0, "English (Canadian)", kMarker},
    {0x1409, 0, "English (New Zealand)", kMarker},
    {0x1809, 0, "English (Ireland)", kMarker},
    {0x1C09, 0, "English (South Africa)", kMarker},
    {0x2009, 0, "English (Jamaica)", kMarker},
    {0x2409, 0, "English (Caribbean)", kMarker},
    {0x2809, 0, "English (Belize)", kMarker},
    {0x2C09, 0, "English (Trinidad)", kMarker},
    {0x040A, 0, "Spanish (Traditional Sort)", kMarker},
    {0x080A, 0, "Spanish (Mexican)", kMarker},
    {0x0C0A, 0, "Spanish (Modern Sort)", kMarker},
    {0x100A, 0, "Spanish (Guatemala)", kMarker},
    {0x140A, 0, "Spanish (Costa Rica)", kMarker},
    {0x180A, 0, "Spanish (Panama)", kMarker},
    {0x1C0A, 0, "Spanish (Dominican Republic)", kMarker},
    {0x200A, 0, "Spanish (Venezuela)", kMarker},
    {0x240A, 0, "Spanish (Colombia)", kMarker},
    {0x280A, 0, "Spanish (Peru)", kMarker},
    {0x2C0A, 0, "Spanish (Argentina)", kMarker},
    {0x300A, 0, "Spanish (Ecuador)", kMarker},
    {0x340A, 0, "Spanish (Chile)", kMarker},
    {0x380A, 0, "Spanish (Uruguay)", kMarker},
    {0x3C0A, 0, "Spanish (Paraguay)", kMarker},
    {0x400A, 0, "Spanish (Bolivia)", kMarker},
    {0x440A, 0, "Spanish (El Salvador)", kMarker},
    {0x480A, 0, "Spanish (Honduras)", kMarker},
    {0x4C0A, 0, "Spanish (Nicaragua)", kMarker},
    {0x500A, 0, "Spanish (Puerto Rico)", kMarker},
    {0x040B, 0, "Finnish", kMarker},
    {0x040C, 0, "French (Standard)", kMarker},
    {0x080C, 0, "French (Belgian)", kMarker},
    {0x0C0C, 0, "French (Canadian)", kMarker},
    {0x100C, 0, "French (Swiss)", kMarker},
    {0x140C, 0, "French (Luxembourg)", kMarker},
    {0x040D, 0, "Hebrew", kMarker},
    {0x040E, 0, "Hungarian", kMarker},
    {0x040F, 0, "Icelandic", kMarker},
    {0x0410, 0, "Italian (Standard)", kMarker},
    {0x0810, 0, "Italian (Swiss)", kMarker},
    {0x0411, 0, "Japanese", kMarker},
    {0x0412, 0, "Korean", kMarker},
    {0x0812, 0, "Korean (Johab)", kMarker},
    {0x0413, 0, "Dutch (Standard)", kMarker},
    {0x0813, 0, "Dutch (Belgian)", kMarker},
    {0x0414, 0, "Norwegian (Bokmal)", kMarker},
    {0x0814, 0, "Norwegian (Nynorsk)", kMarker},
    {0x0415, 0, "Polish", kMarker},
    {0x0416, 0, "Portuguese (Brazilian)", kMarker},
    {0x0816, 0, "Portuguese (Standard)", kMarker},
    {0x0418, 0, "Romanian", kMarker},
    {0x0419, 0, "Russian", kMarker},
    {0x041A, 0, "Croatian", kMarker},
    {0x081A, 0, "Serbian (Latin)", kMarker},
    {0x0C1A, 0, "Serbian (Cyrillic)", kMarker},
    {0x041B, 0, "Slovak", kMarker},
    {0x041C, 0, "Albanian", kMarker},
    {0x041D, 0, "Swedish", kMarker},
    {0x081D, 0, "Swedish (Finland)", kMarker},
    {0x041E, 0, "Thai", kMarker},
    {0x041F, 0, "Turkish", kMarker},
    {0x0421, 0, "Indonesian", kMarker},
    {0x0422, 0, "Ukrainian", kMarker},
    {0x0423, 0, "Belarusian", kMarker},
    {0x0424, 0, "Slovenian", kMarker},
    {0x0425, 0, "Estonian", kMarker},
    {0x0426, 0, "Latvian", kMarker},
    {0x0427, 0, "Lithuanian", kMarker},
    {0x0429, 0, "Farsi", kMarker},
    {0x042A, 0, "Vietnamese", kMarker},
    {0x042D, 0, "Basque", kMarker},
    {0x0436, 0, "Afrikaans", kMarker},
    {0x0438, 0, "Faeroese", kMarker},
    {0xFFFF, 255, "End", 0},
}};

}  // namespace

std::span<const LanguageRow> languageTable() {
    return kLanguageTable;
}

const LanguageRow& lookUpLanguage(uint16_t languageId) {
    for (const auto& row : kLanguageTable) {
        if (row.marker == 0) break;
        if (row.languageId == languageId) return row;
    }
    return kLanguageTable.front();
}

}  // namespace zelkora::probes
