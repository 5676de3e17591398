#include "common/profile_line.h"

namespace zelkora::common {

bool isProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimProfileBlanks(std::string_view text) {
    while (!text.empty() && isProfileBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isProfileBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string foldProfileName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

std::string_view unquoteProfileValue(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

ProfileLine parseProfileLine(std::string_view line) {
    const std::string_view text = trimProfileBlanks(line);
    if (text.empty()) return {ProfileLineKind::Blank, {}, {}};
    if (text.front() == ';') return {ProfileLineKind::Comment, {}, {}};
    if (text.front() == '[') {
        // The last ']' closes the name, so a name may itself hold ']'; text
        // after it (a comment, say) is ignored.
        const std::size_t close = text.rfind(']');
        if (close == std::string_view::npos) return {ProfileLineKind::Junk, {}, {}};
        return {ProfileLineKind::Section, trimProfileBlanks(text.substr(1, close - 1)), {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return {ProfileLineKind::Junk, {}, {}};
    return {ProfileLineKind::Entry, trimProfileBlanks(text.substr(0, equals)),
            trimProfileBlanks(text.substr(equals + 1))};
}

}  // namespace zelkora::common
