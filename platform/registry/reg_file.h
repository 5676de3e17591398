#pragma once

#include <string_view>

#include "platform/registry/hive.h"

namespace zelkora::platform::registry {

// Larger files are refused rather than read.
inline constexpr size_t kMaxRegFileBytes = 256u << 20;

// Merges the registry export held in `bytes` into `hive`. The text may be
// UTF-16LE with a byte-order mark (as exports are written), UTF-8 with or
// without a mark, or plain 8-bit text, which is taken byte for byte.
// Throws RegFileError "displayName:line: problem" on the first fault; the
// keys merged before it stay in the hive.
void parseRegText(std::string_view bytes, std::string_view displayName, Hive& hive);

}  // namespace zelkora::platform::registry
