#pragma once

#include <optional>

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QSize>

#include "app/editors/hex_grid_layout.h"
#include "app/editors/hex_grid_model.h"

namespace zelkora::app {

// The grid's font: fixed pitch, characters 12 pixels high.
QFont hexGridFont();

struct HexGridScene {
    const HexGridModel& model;
    const HexGridColumns& columns;
    const HexGridLayout& layout;
    const QFont& font;
    const QPalette& palette;
    QSize size;
    qreal devicePixelRatio = 1.0;
    std::optional<QRect> caret;  // the block caret, when it is shown
};

// Draws the whole control into an off-screen image: white background, the address, hex and
// character columns, the selection and the caret.
QImage paintHexGrid(const HexGridScene& scene);

}  // namespace zelkora::app
