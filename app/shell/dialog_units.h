#pragma once

#include <QFont>

namespace zelkora::app {

// The windows are laid out in dialog units of an 8-point MS Sans Serif: a
// horizontal unit is 6/4 pixels and a vertical one 13/8.
constexpr int dluToPixelsX(int dlu) {
    return dlu * 6 / 4;
}
constexpr int dluToPixelsY(int dlu) {
    return dlu * 13 / 8;
}

// The desktop's default face at the size of that font (8 points at 96 dpi),
// so that the texts fit the windows as they were drawn.
inline QFont dialogFont() {
    QFont font;
    font.setPixelSize(11);
    return font;
}

}  // namespace zelkora::app
