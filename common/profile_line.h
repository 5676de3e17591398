#pragma once

#include <string>
#include <string_view>

namespace zelkora::common {

// What one line of a profile file holds. Lines that are neither a section
// header nor key=value (no '=', an unclosed '[') are junk: never matched,
// but kept when the file is written back.
enum class ProfileLineKind { Blank, Comment, Section, Entry, Junk };

struct ProfileLine {
    ProfileLineKind kind = ProfileLineKind::Junk;
    std::string_view name;   // section name or key, blanks trimmed
    std::string_view value;  // entry value as stored, blanks trimmed
};

// Classifies one line given without its '\n' (a trailing '\r' is ignored).
ProfileLine parseProfileLine(std::string_view line);

// Blanks as the profile format sees them around names and values.
bool isProfileBlank(char c);
std::string_view trimProfileBlanks(std::string_view text);

// Section and key names match without regard to ASCII case.
std::string foldProfileName(std::string_view name);

// A value as a read returns it: one pair of matching surrounding quotes
// (double or single) removed.
std::string_view unquoteProfileValue(std::string_view value);

}  // namespace zelkora::common
