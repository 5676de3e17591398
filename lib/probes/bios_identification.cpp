#include "lib/probes/bios_identification.h"

#include <algorithm>
#include <string_view>

namespace zelkora::probes {

namespace {

// The splitter's work strings hold at most 63 characters and a NUL.
constexpr size_t kWorkStringLength = 63;

void storeToken(std::string& field, std::string_view token) {
    if (!token.empty()) field.assign(token.substr(0, kWorkStringLength));
}

}  // namespace

BiosIdentification splitBiosIdentification(std::span<const uint8_t> bytes) {
    BiosIdentification result;
    const auto nul = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                                static_cast<size_t>(nul - bytes.begin()));

    size_t modelEnd = std::string_view::npos;
    for (size_t i = 0; i + 3 < text.size(); ++i) {
        if (text[i] == ' ' && text[i + 3] == '.') {
            modelEnd = i;
            break;
        }
    }
    if (modelEnd == std::string_view::npos) return result;

    std::string_view rest = text.substr(modelEnd + 1);
    const size_t revisionEnd = rest.find(' ');
    const std::string_view revision = rest.substr(0, revisionEnd);
    std::string_view date;
    if (revisionEnd != std::string_view::npos) {
        rest.remove_prefix(revisionEnd + 1);
        date = rest.substr(0, rest.find(' '));
    }
    storeToken(result.model, text.substr(0, modelEnd));
    storeToken(result.revision, revision);
    storeToken(result.date, date);
    return result;
}

}  // namespace zelkora::probes
