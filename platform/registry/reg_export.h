#pragma once

#include <string>

#include "platform/registry/hive.h"

namespace zelkora::platform::registry {

// The whole hive as a "REGEDIT4" export that parseRegText reads back into an
// equal hive: every key of every root in enumeration order (empty keys too),
// strings as text where the text allows it, every other value as its bytes.
// Text is written byte for byte, as the hive holds it.
std::string exportRegText(const Hive& hive);

}  // namespace zelkora::platform::registry
