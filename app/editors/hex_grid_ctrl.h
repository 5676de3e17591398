#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include <QFont>
#include <QImage>
#include <QRect>
#include <QWidget>

#include "app/editors/hex_grid_layout.h"
#include "app/editors/hex_grid_model.h"

namespace zelkora::app {

// A byte buffer shown as rows of two-digit hexadecimal cells that the user overtypes one digit
// at a time under a block caret. The control never touches hardware: its owner is whoever
// connects to the three notifications (with Qt::DirectConnection, so that a handler that writes
// the byte to a device has finished before the control repaints or takes the next input).
// After a typed character changes a byte the three come in the order position, offset, value;
// every key press and every click also sends the position on its own.
class CHexGridCtrl : public QWidget {
    Q_OBJECT

  public:
    explicit CHexGridCtrl(QWidget* parent = nullptr);

    // Copies the bytes and puts the caret back on byte 0, high nibble, with no selection.
    void SetData(std::span<const std::uint8_t> bytes);
    void SetBytesPerRow(int count);
    void SetColumns(bool showAddress, bool showHex, bool showCharacters, bool wideAddress);
    // Where the tool tip of a byte comes from: the owner's text for byte
    // `index` (none when empty). The grid only asks; what a byte means is the
    // owner's business.
    using ByteToolTip = std::function<QString(int index)>;
    void setByteToolTip(ByteToolTip source) { byteToolTip_ = std::move(source); }

    std::span<const std::uint8_t> data() const { return model_.bytes(); }
    int position() const { return model_.position(); }
    HexEntryMode entryMode() const { return model_.entryMode(); }
    HexSelection selection() const { return model_.selection(); }
    // The caret is a steady block (no timer runs for it) shown while the control has the focus
    // and no selection, and only where it falls inside the control.
    bool caretVisible() const;
    QRect caretRect() const;
    // The laid-out geometry, computed from the font and the current size.
    const HexGridLayout& layout() const;
    QSize sizeHint() const override;

  signals:
    void HexNotifyPosition(int position);
    void HexNotifyOffset(int offset);
    void HexNotifyValue(int value);

  protected:
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void markLayoutDirty() { layoutDirty_ = true; }
    void placeCaret();
    void typeCharacter(char32_t code);
    QImage renderGrid() const;

    HexGridModel model_;
    HexGridColumns columns_;
    QFont font_;
    mutable HexGridLayout layout_;
    mutable bool layoutDirty_ = true;
    QPoint caretCell_;
    // Where a left press without Shift went down, until it turns into a drag
    // or the button comes up.
    std::optional<QPoint> pressPoint_;
    ByteToolTip byteToolTip_;
};

}  // namespace zelkora::app
