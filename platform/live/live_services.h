#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/services.h"

namespace zelkora::platform {

std::unique_ptr<SystemServices> makeLiveServices();

// The identifier Windows gives a language it has no identifier of (a custom
// locale); no language table lists it.
inline constexpr uint16_t kUnlistedLanguage = 0x1000;

// The Windows language identifier for a POSIX locale name ("zh_TW.UTF-8"):
// "C", "POSIX" and no locale give 0409h, a language without an identifier
// kUnlistedLanguage.
uint16_t languageFromLocale(std::string_view locale);

// The user logged on to this session: the effective user, except that root
// is named after the one who became root (SUDO_USER, else the login uid of
// `loginUidFile`) when there is one.
std::optional<std::string> loggedOnUser(const std::filesystem::path& loginUidFile);

}  // namespace zelkora::platform
