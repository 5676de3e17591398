#pragma once

#include <cstring>

#include <QString>

namespace zelkora::app {

// The text of a record's fixed field, read no further than the field's end
// even if the library left it unterminated.
template <std::size_t N>
QString recordText(const char (&field)[N]) {
    return QString::fromUtf8(field, static_cast<qsizetype>(strnlen(field, N)));
}

}  // namespace zelkora::app
