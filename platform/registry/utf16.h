#pragma once

#include <string>
#include <string_view>

namespace zelkora::platform::registry {

// UTF-16LE bytes as UTF-8. A trailing odd byte is dropped; an unpaired
// surrogate becomes U+FFFD. NUL characters are kept.
std::string utf16leToUtf8(std::string_view bytes);

}  // namespace zelkora::platform::registry
