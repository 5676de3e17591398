#pragma once

#include <memory>
#include <string_view>

#include "platform/services.h"

namespace zelkora::platform {

// Platform identifier the live Linux host reports to the version query; the
// table of Windows versions knows no row for it.
inline constexpr uint32_t kPlatformLinux = 0x4C;

std::unique_ptr<SystemServices> makeLiveServices();

// The Windows language identifier for a POSIX locale name ("zh_TW.UTF-8"),
// 0 when there is none ("C", "POSIX", unknown languages give 0409h).
uint16_t languageFromLocale(std::string_view locale);

}  // namespace zelkora::platform
