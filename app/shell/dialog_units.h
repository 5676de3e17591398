#pragma once

namespace zelkora::app {

// The windows are laid out in dialog units of an 8-point MS Sans Serif: a
// horizontal unit is 6/4 pixels and a vertical one 13/8.
constexpr int dluToPixelsX(int dlu) {
    return dlu * 6 / 4;
}
constexpr int dluToPixelsY(int dlu) {
    return dlu * 13 / 8;
}

}  // namespace zelkora::app
