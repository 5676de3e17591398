#pragma once

#include <cstdint>

#include <QString>

namespace zelkora::app {

// The toolbar's tooltip for a command in a language code: 1 Simplified
// Chinese, 2 Traditional Chinese (the string table's texts), anything else
// English. Commands without a button get an empty text.
QString toolTipText(int commandId, uint8_t languageCode);

}  // namespace zelkora::app
