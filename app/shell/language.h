#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace zelkora::app {

// The three user-interface languages, in the order of the template table's
// columns. Chosen once at start-up; never switched while the program runs.
enum class Language { English = 0, SimplifiedChinese = 1, TraditionalChinese = 2 };

// The language of a language code as the library reports it: the call's
// result and the code. Any failure or unknown code is English.
Language languageFromCode(int32_t callResult, uint8_t code);

// The library's language code (GetLocalLanguageCode) mapped to a language.
Language systemLanguage();

// Picks the text of a language from a row of three (English first).
template <typename T>
const T& inLanguage(const std::array<T, 3>& texts, Language language) {
    return texts[static_cast<std::size_t>(language)];
}

}  // namespace zelkora::app
