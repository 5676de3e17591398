// GetGeneralInfo and GetLocalLanguageCode.
#include <cstdio>
#include <cstring>

#include "common/fixed_text.h"
#include "lib/probes/language_table.h"
#include "platform/services.h"
#include "zelkora/sysinfo.h"

namespace {

using zelkora::common::copyText;
using zelkora::common::kUnknown;

// A text fits a 25-byte field with its NUL; anything longer shows "Unknown".
template <std::size_t N>
void fillOrUnknown(char (&field)[N], const std::optional<std::string>& text) {
    if (text && text->size() < N) {
        copyText(field, *text);
    } else {
        copyText(field, kUnknown);
    }
}

}  // namespace

extern "C" {

int32_t GetGeneralInfo(GeneralInfo* info) {
    if (!info) return 0;
    auto& services = zelkora::platform::services();

    fillOrUnknown(info->ComputerName, services.computerName());
    fillOrUnknown(info->CurrentUser, services.userName());

    const auto now = services.localTime();
    char dateTime[64];
    std::snprintf(dateTime, sizeof dateTime, "%d/%d/%d %d:%d:%d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    fillOrUnknown(info->CurrentDateTime, std::string(dateTime));

    const uint16_t languageId = services.systemDefaultLanguage();
    std::optional<std::string> language;
    if (languageId != 0) language = zelkora::probes::lookUpLanguage(languageId).name;
    fillOrUnknown(info->LocalLanguage, language);
    return 1;
}

int32_t GetLocalLanguageCode(uint8_t* code) {
    if (!code) return 0;
    const uint16_t languageId = zelkora::platform::services().systemDefaultLanguage();
    if (languageId == 0) return 0;
    *code = zelkora::probes::lookUpLanguage(languageId).languageCode;
    return 1;
}

}  // extern "C"
