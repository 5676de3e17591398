#include "app/editors/hex_grid_layout.h"

namespace zelkora::app {

namespace {

// Only the first address digit stays clear of the hex cells; clicks there mean the row.
int lastAddressColumn(const HexGridColumns& columns) {
    return columns.wideAddress ? 1 : 0;
}

}  // namespace

int addressDigits(const HexGridColumns& columns) {
    return columns.wideAddress ? 8 : 4;
}

HexGridLayout layOutHexGrid(int charWidth, int lineHeight, const HexGridColumns& columns,
                            int bytesPerRow, int length, int clientHeight) {
    HexGridLayout layout;
    layout.charWidth = std::max(charWidth, 1);
    layout.lineHeight = std::max(lineHeight, 1);
    layout.hexOffset = 1;
    layout.charOffset =
        (columns.showAddress ? (addressDigits(columns) + 1) * layout.charWidth : 0) +
        (columns.showHex ? bytesPerRow * 3 * layout.charWidth : 0);

    layout.linesPerPage = clientHeight / layout.lineHeight;
    layout.partialLastRow = false;
    if (length < bytesPerRow * layout.linesPerPage) {
        layout.linesPerPage = (length + bytesPerRow / 2) / bytesPerRow;
        if (length % bytesPerRow != 0) {
            layout.partialLastRow = true;
            ++layout.linesPerPage;
        }
    }
    return layout;
}

int paintedRows(const HexGridLayout& layout, int clientHeight) {
    return clientHeight / layout.lineHeight;
}

std::optional<HexHit> hitTestHexGrid(const HexGridLayout& layout, const HexGridColumns& columns,
                                     int bytesPerRow, int length, QPoint point) {
    if (point.x() < 0 || point.y() < 0) return std::nullopt;
    const int row = point.y() / layout.lineHeight;
    if (row > layout.linesPerPage || row * bytesPerRow > length) return std::nullopt;

    const int column = point.x() / layout.charWidth;
    const int y = row * layout.lineHeight;
    int cell = 0;
    HexHit hit{0, HexEntryMode::HexHigh, {0, y}};
    if (columns.showAddress && column <= lastAddressColumn(columns)) {
        cell = 0;
    } else if (columns.showHex && column < 3 * bytesPerRow - 1) {
        cell = column / 3;
        switch (column % 3) {
            case 0:
                hit.caret.setX(column * layout.charWidth);
                break;
            case 1:
                hit.mode = HexEntryMode::HexLow;
                hit.caret.setX(column * layout.charWidth);
                break;
            default:  // the space after a cell stands for the next byte
                ++cell;
                hit.caret.setX(3 * cell * layout.charWidth);
                break;
        }
    } else if (columns.showCharacters && point.x() >= layout.charOffset &&
               (point.x() - layout.charOffset) / layout.charWidth < bytesPerRow) {
        cell = (point.x() - layout.charOffset) / layout.charWidth;
        hit.mode = HexEntryMode::Character;
        hit.caret.setX(layout.charOffset + cell * layout.charWidth);
    } else {
        return std::nullopt;
    }

    // Blank cells after the data and the row below it hold no byte to edit.
    const int index = row * bytesPerRow + cell;
    if (index >= length) return std::nullopt;
    hit.byte = index % 256;
    return hit;
}

std::optional<HexCell> hexCellAt(const HexGridLayout& layout, const HexGridColumns& columns,
                                 int bytesPerRow, int length, QPoint point) {
    const int cellWidth = 3 * layout.charWidth;
    const int x = point.x() - layout.hexOffset;
    if (!columns.showHex || x < 0 || point.y() < 0 || x >= bytesPerRow * cellWidth)
        return std::nullopt;
    const int row = point.y() / layout.lineHeight;
    const int column = x / cellWidth;
    const int index = row * bytesPerRow + column;
    if (row >= layout.linesPerPage || index >= length) return std::nullopt;
    return HexCell{index % 256, QRect(layout.hexOffset + column * cellWidth,
                                      row * layout.lineHeight, cellWidth, layout.lineHeight)};
}

QPoint caretCellFor(const HexGridLayout& layout, int bytesPerRow, int position, HexEntryMode mode) {
    const int row = position / bytesPerRow;
    const int column = position % bytesPerRow;
    int x = 0;
    switch (mode) {
        case HexEntryMode::None:
            break;
        case HexEntryMode::Character:
            x = layout.charOffset + column * layout.charWidth;
            break;
        case HexEntryMode::HexHigh:
            x = layout.hexOffset + 3 * column * layout.charWidth;
            break;
        case HexEntryMode::HexLow:
            x = layout.hexOffset + (3 * column + 1) * layout.charWidth;
            break;
    }
    return {x, row * layout.lineHeight};
}

}  // namespace zelkora::app
