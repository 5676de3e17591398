#include "app/shell/language.h"

#include "zelkora/sysinfo.h"

namespace zelkora::app {

Language languageFromCode(int32_t callResult, uint8_t code) {
    if (callResult == 1 && code == 1) return Language::SimplifiedChinese;
    if (callResult == 1 && code == 2) return Language::TraditionalChinese;
    return Language::English;
}

Language systemLanguage() {
    uint8_t code = 0;
    const int32_t result = GetLocalLanguageCode(&code);
    return languageFromCode(result, code);
}

}  // namespace zelkora::app
