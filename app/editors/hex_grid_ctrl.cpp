#include "app/editors/hex_grid_ctrl.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "app/editors/hex_grid_painter.h"

namespace zelkora::app {

namespace {

std::optional<HexKey> tableKey(int key) {
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return HexKey::Tab;
        case Qt::Key_PageUp:
            return HexKey::PageUp;
        case Qt::Key_PageDown:
            return HexKey::PageDown;
        case Qt::Key_Home:
            return HexKey::Home;
        case Qt::Key_End:
            return HexKey::End;
        case Qt::Key_Left:
            return HexKey::Left;
        case Qt::Key_Right:
            return HexKey::Right;
        case Qt::Key_Up:
            return HexKey::Up;
        case Qt::Key_Down:
            return HexKey::Down;
        case Qt::Key_Insert:
            return HexKey::Insert;
        case Qt::Key_Delete:
            return HexKey::Delete;
        default:
            return std::nullopt;
    }
}

// A tip laid out as its owner wrote it: its own line breaks and no others
// (a plain tip would be read as markup at "<TAbort", and the tip's word wrap
// would break fields at their hyphens).
QString preformattedToolTip(const QString& text) {
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

}  // namespace

CHexGridCtrl::CHexGridCtrl(QWidget* parent) : QWidget(parent), font_(hexGridFont()) {
    setFont(font_);
    setFocusPolicy(Qt::StrongFocus);
    // Every paint covers the whole control, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CHexGridCtrl::SetData(std::span<const std::uint8_t> bytes) {
    model_.setData(bytes);
    caretCell_ = QPoint(0, 0);
    markLayoutDirty();
    updateGeometry();
    update();
}

void CHexGridCtrl::SetBytesPerRow(int count) {
    model_.setBytesPerRow(count);
    markLayoutDirty();
    updateGeometry();
    update();
}

void CHexGridCtrl::SetColumns(bool showAddress, bool showHex, bool showCharacters,
                              bool wideAddress) {
    columns_ = HexGridColumns{showAddress, showHex, showCharacters, wideAddress};
    markLayoutDirty();
    updateGeometry();
    update();
}

const HexGridLayout& CHexGridCtrl::layout() const {
    if (layoutDirty_) {
        const QFontMetrics metrics(font_);
        layout_ = layOutHexGrid(metrics.horizontalAdvance(QLatin1Char('0')), metrics.height(),
                                columns_, model_.bytesPerRow(), model_.length(), height());
        layoutDirty_ = false;
    }
    return layout_;
}

QSize CHexGridCtrl::sizeHint() const {
    const HexGridLayout& grid = layout();
    const int bytesPerRow = model_.bytesPerRow();
    int width = addressDigits(columns_) * grid.charWidth;
    if (columns_.showCharacters) {
        width = grid.charOffset + bytesPerRow * grid.charWidth;
    } else if (columns_.showHex) {
        width = grid.hexOffset + 3 * bytesPerRow * grid.charWidth;
    }
    const int rows = std::max(1, (model_.length() + bytesPerRow - 1) / bytesPerRow);
    return {width, rows * grid.lineHeight};
}

bool CHexGridCtrl::caretVisible() const {
    return hasFocus() && model_.hasData() && !model_.selection().exists() &&
           rect().contains(caretCell_);
}

QRect CHexGridCtrl::caretRect() const {
    const HexGridLayout& grid = layout();
    // Standing on the address column, the caret covers the whole address.
    const bool wide =
        model_.entryMode() == HexEntryMode::None || (caretCell_.x() == 0 && columns_.showAddress);
    const int widthInChars = wide && columns_.wideAddress ? 8 : 1;
    return {caretCell_, QSize(widthInChars * grid.charWidth, grid.lineHeight)};
}

void CHexGridCtrl::placeCaret() {
    caretCell_ = caretCellFor(layout(), model_.bytesPerRow(), model_.position() - model_.topIndex(),
                              model_.entryMode());
}

bool CHexGridCtrl::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto cell =
        hexCellAt(layout(), columns_, model_.bytesPerRow(), model_.length(), help->pos());
    const QString text = cell && byteToolTip_ ? byteToolTip_(cell->byte) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(help->globalPos(), preformattedToolTip(text), this, cell->area);
    }
    return true;
}

bool CHexGridCtrl::focusNextPrevChild(bool) {
    // Tab switches between hex and character entry; it never moves the focus away.
    return false;
}

void CHexGridCtrl::paintEvent(QPaintEvent*) {
    std::optional<QRect> caret;
    if (caretVisible()) caret = caretRect();
    const QPalette colours = palette();
    const QImage surface = paintHexGrid(HexGridScene{model_, columns_, layout(), font_, colours,
                                                     size(), devicePixelRatioF(), caret});
    QPainter(this).drawImage(0, 0, surface);
}

void CHexGridCtrl::resizeEvent(QResizeEvent*) {
    markLayoutDirty();
}

void CHexGridCtrl::focusInEvent(QFocusEvent*) {
    update();
}

void CHexGridCtrl::focusOutEvent(QFocusEvent*) {
    update();
}

void CHexGridCtrl::keyPressEvent(QKeyEvent* event) {
    // Alt combinations are the dialog's mnemonics, not input for the grid.
    if (event->modifiers() & Qt::AltModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (const auto key = tableKey(event->key())) {
        model_.pressKey(*key, event->modifiers() & Qt::ShiftModifier,
                        event->modifiers() & Qt::ControlModifier);
        if (*key != HexKey::Insert && *key != HexKey::Delete) placeCaret();
        update();
    }
    emit HexNotifyPosition(model_.position());

    // The key's character follows its key-down handling. Delete types nothing.
    if (event->key() == Qt::Key_Delete) return;
    for (const char32_t code : event->text().toUcs4())
        typeCharacter(code);
}

void CHexGridCtrl::typeCharacter(char32_t code) {
    const int positionBefore = model_.position();
    const HexEntryMode modeBefore = model_.entryMode();
    const auto change = model_.typeCharacter(code);
    if (change || model_.position() != positionBefore || model_.entryMode() != modeBefore) {
        placeCaret();
    }
    if (change) {
        emit HexNotifyPosition(model_.position());
        emit HexNotifyOffset(change->offset);
        emit HexNotifyValue(change->value);
    }
    update();
}

void CHexGridCtrl::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    if (!model_.hasData()) return;

    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const auto hit = hitTestHexGrid(layout(), columns_, model_.bytesPerRow(), model_.length(),
                                    event->position().toPoint());
    model_.click(hit ? std::optional<int>(hit->byte) : std::nullopt,
                 hit ? hit->mode : HexEntryMode::HexHigh, shift);
    if (hit) caretCell_ = hit->caret;
    pressPoint_.reset();
    if (!shift) pressPoint_ = event->position().toPoint();
    update();
    emit HexNotifyPosition(model_.position());
}

void CHexGridCtrl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    // The press becomes a drag once the pointer leaves the platform's drag
    // distance with the button held: the caret hides behind an empty
    // selection at the position. Moving further changes nothing.
    if (!pressPoint_ || !(event->buttons() & Qt::LeftButton)) return;
    if ((event->position().toPoint() - *pressPoint_).manhattanLength() <
        QApplication::startDragDistance()) {
        return;
    }
    pressPoint_.reset();
    model_.startDragSelection();
    update();
}

void CHexGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) pressPoint_.reset();
}

// Double-clicks, the wheel and the context menu have no meaning in the grid.
void CHexGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void CHexGridCtrl::wheelEvent(QWheelEvent* event) {
    event->accept();
}

void CHexGridCtrl::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

}  // namespace zelkora::app
