#pragma once

#include <optional>

#include <QPoint>
#include <QRect>

#include "app/editors/hex_grid_model.h"

namespace zelkora::app {

struct HexGridColumns {
    bool showAddress = true;
    bool showHex = true;
    bool showCharacters = true;
    bool wideAddress = true;  // eight address digits instead of four
};

// Where the grid's columns and rows fall, in pixels of the control.
struct HexGridLayout {
    int charWidth = 0;
    int lineHeight = 0;
    int addressOffset = 0;
    int hexOffset = 0;
    int charOffset = 0;
    int linesPerPage = 1;
    bool partialLastRow = true;
};

HexGridLayout layOutHexGrid(int charWidth, int lineHeight, const HexGridColumns& columns,
                            int bytesPerRow, int length, int clientHeight);

// Rows that fit whole into the control's height; rows are painted this far whatever the data.
int paintedRows(const HexGridLayout& layout, int clientHeight);

int addressDigits(const HexGridColumns& columns);

struct HexHit {
    int byte;
    HexEntryMode mode;
    QPoint caret;  // top left of the caret cell
};

// The byte, nibble and caret cell under a point of the control, if any.
std::optional<HexHit> hitTestHexGrid(const HexGridLayout& layout, const HexGridColumns& columns,
                                     int bytesPerRow, int length, QPoint point);

// The hexadecimal cell under a point, its two digits and the space after
// them, for pointing at a byte without clicking (a tool tip).
struct HexCell {
    int byte;
    QRect area;
};
std::optional<HexCell> hexCellAt(const HexGridLayout& layout, const HexGridColumns& columns,
                                 int bytesPerRow, int length, QPoint point);

// Top left of the caret for a position and entry mode.
QPoint caretCellFor(const HexGridLayout& layout, int bytesPerRow, int position, HexEntryMode mode);

}  // namespace zelkora::app
