// POSIX locale names mapped onto Windows language identifiers.
#include <algorithm>
#include <array>
#include <string>

#include "platform/live/live_services.h"

namespace zelkora::platform {

namespace {

struct LocaleRow {
    std::string_view locale;  // language_TERRITORY, or a bare language for its default
    uint16_t languageId;
};

// Bare languages come first in each group and give the language's default row.
constexpr std::array kLocales = std::to_array<LocaleRow>({
    {"ar", 0x0401},    {"ar_SA", 0x0401}, {"ar_IQ", 0x0801}, {"ar_EG", 0x0C01}, {"ar_LY", 0x1001},
    {"ar_DZ", 0x1401}, {"ar_MA", 0x1801}, {"ar_TN", 0x1C01}, {"ar_OM", 0x2001}, {"ar_YE", 0x2401},
    {"ar_SY", 0x2801}, {"ar_JO", 0x2C01}, {"ar_LB", 0x3001}, {"ar_KW", 0x3401}, {"ar_AE", 0x3801},
    {"ar_BH", 0x3C01}, {"ar_QA", 0x4001}, {"bg", 0x0402},    {"ca", 0x0403},    {"zh", 0x0804},
    {"zh_TW", 0x0404}, {"zh_CN", 0x0804}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004}, {"zh_MO", 0x0C04},
    {"cs", 0x0405},    {"da", 0x0406},    {"de", 0x0407},    {"de_DE", 0x0407}, {"de_CH", 0x0807},
    {"de_AT", 0x0C07}, {"de_LU", 0x1007}, {"de_LI", 0x1407}, {"el", 0x0408},    {"en", 0x0409},
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_JM", 0x2009}, {"en_AG", 0x2409}, {"en_BZ", 0x2809},
    {"en_TT", 0x2C09}, {"es", 0x0C0A},    {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_GT", 0x100A},
    {"es_CR", 0x140A}, {"es_PA", 0x180A}, {"es_DO", 0x1C0A}, {"es_VE", 0x200A}, {"es_CO", 0x240A},
    {"es_PE", 0x280A}, {"es_AR", 0x2C0A}, {"es_EC", 0x300A}, {"es_CL", 0x340A}, {"es_UY", 0x380A},
    {"es_PY", 0x3C0A}, {"es_BO", 0x400A}, {"es_SV", 0x440A}, {"es_HN", 0x480A}, {"es_NI", 0x4C0A},
    {"es_PR", 0x500A}, {"fi", 0x040B},    {"fr", 0x040C},    {"fr_FR", 0x040C}, {"fr_BE", 0x080C},
    {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"he", 0x040D},    {"hu", 0x040E},
    {"is", 0x040F},    {"it", 0x0410},    {"it_IT", 0x0410}, {"it_CH", 0x0810}, {"ja", 0x0411},
    {"ko", 0x0412},    {"nl", 0x0413},    {"nl_NL", 0x0413}, {"nl_BE", 0x0813}, {"nb", 0x0414},
    {"no", 0x0414},    {"nn", 0x0814},    {"pl", 0x0415},    {"pt", 0x0816},    {"pt_BR", 0x0416},
    {"pt_PT", 0x0816}, {"ro", 0x0418},    {"ru", 0x0419},    {"hr", 0x041A},    {"sr", 0x0C1A},
    {"sk", 0x041B},    {"sq", 0x041C},    {"sv", 0x041D},    {"sv_SE", 0x041D}, {"sv_FI", 0x081D},
    {"th", 0x041E},    {"tr", 0x041F},    {"id", 0x0421},    {"uk", 0x0422},    {"be", 0x0423},
    {"sl", 0x0424},    {"et", 0x0425},    {"lv", 0x0426},    {"lt", 0x0427},    {"fa", 0x0429},
    {"vi", 0x042A},    {"eu", 0x042D},    {"af", 0x0436},    {"fo", 0x0438},
});

}  // namespace

uint16_t languageFromLocale(std::string_view locale) {
    // "zh_TW.UTF-8@variant" -> language "zh", territory "TW", modifier "variant"
    std::string_view modifier;
    if (const auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at + 1);
        locale = locale.substr(0, at);
    }
    if (const auto dot = locale.find('.'); dot != std::string_view::npos)
        locale = locale.substr(0, dot);
    if (locale.empty() || locale == "C" || locale == "POSIX") return 0x0409;
    const std::string_view language = locale.substr(0, locale.find('_'));
    if (language == "sr" && modifier == "latin") return 0x081A;
    for (const auto& row : kLocales) {
        if (row.locale == locale) return row.languageId;
    }
    for (const auto& row : kLocales) {
        if (row.locale == language) return row.languageId;
    }
    return kUnlistedLanguage;
}

}  // namespace zelkora::platform
