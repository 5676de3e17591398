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

CHexGridCtrl::CHexGridCtrl(QWidget* parent) : QWidget(parent), m_font(hexGridFont()) {
    setFont(m_font);
    setFocusPolicy(Qt::StrongFocus);
    // Every paint covers the whole control, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CHexGridCtrl::SetData(std::span<const std::uint8_t> bytes) {
    m_model.setData(bytes);
    m_caretCell = QPoint(0, 0);
    markLayoutDirty();
    updateGeometry();
    update();
}

void CHexGridCtrl::SetBytesPerRow(int count) {
    m_model.setBytesPerRow(count);
    markLayoutDirty();
    updateGeometry();
    update();
}

void CHexGridCtrl::SetColumns(bool showAddress, bool showHex, bool showCharacters,
                              bool wideAddress) {
    m_columns = HexGridColumns{showAddress, showHex, showCharacters, wideAddress};
    markLayoutDirty();
    updateGeometry();
    update();
}

const HexGridLayout& CHexGridCtrl::layout() const {
    if (m_layoutDirty) {
        const QFontMetrics metrics(m_font);
        m_layout = layOutHexGrid(metrics.horizontalAdvance(QLatin1Char('0')), metrics.height(),
                                 m_columns, m_model.bytesPerRow(), m_model.length(), height());
        m_layoutDirty = false;
    }
    return m_layout;
}

QSize CHexGridCtrl::sizeHint() const {
    const HexGridLayout& grid = layout();
    const int bytesPerRow = m_model.bytesPerRow();
    int width = addressDigits(m_columns) * grid.charWidth;
    if (m_columns.showCharacters) {
        width = grid.charOffset + bytesPerRow * grid.charWidth;
    } else if (m_columns.showHex) {
        width = grid.hexOffset + 3 * bytesPerRow * grid.charWidth;
    }
    const int rows = std::max(1, (m_model.length() + bytesPerRow - 1) / bytesPerRow);
    return {width, rows * grid.lineHeight};
}

bool CHexGridCtrl::caretVisible() const {
    return hasFocus() && m_model.hasData() && !m_model.selection().exists() &&
           rect().contains(m_caretCell);
}

QRect CHexGridCtrl::caretRect() const {
    const HexGridLayout& grid = layout();
    // Standing on the address column, the caret covers the whole address.
    const bool wide = m_model.entryMode() == HexEntryMode::None ||
                      (m_caretCell.x() == 0 && m_columns.showAddress);
    const int widthInChars = wide && m_columns.wideAddress ? 8 : 1;
    return {m_caretCell, QSize(widthInChars * grid.charWidth, grid.lineHeight)};
}

void CHexGridCtrl::placeCaret() {
    m_caretCell = caretCellFor(layout(), m_model.bytesPerRow(),
                               m_model.position() - m_model.topIndex(), m_model.entryMode());
}

bool CHexGridCtrl::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto cell =
        hexCellAt(layout(), m_columns, m_model.bytesPerRow(), m_model.length(), help->pos());
    const QString text = cell && m_byteToolTip ? m_byteToolTip(cell->byte) : QString();
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
    const QImage surface = paintHexGrid(HexGridScene{m_model, m_columns, layout(), m_font, colours,
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
        m_model.pressKey(*key, event->modifiers() & Qt::ShiftModifier,
                         event->modifiers() & Qt::ControlModifier);
        if (*key != HexKey::Insert && *key != HexKey::Delete) placeCaret();
        update();
    }
    emit HexNotifyPosition(m_model.position());

    // The key's character follows its key-down handling. Delete types nothing.
    if (event->key() == Qt::Key_Delete) return;
    for (const char32_t code : event->text().toUcs4())
        typeCharacter(code);
}

void CHexGridCtrl::typeCharacter(char32_t code) {
    const int positionBefore = m_model.position();
    const HexEntryMode modeBefore = m_model.entryMode();
    const auto change = m_model.typeCharacter(code);
    if (change || m_model.position() != positionBefore || m_model.entryMode() != modeBefore) {
        placeCaret();
    }
    if (change) {
        emit HexNotifyPosition(m_model.position());
        emit HexNotifyOffset(change->offset);
        emit HexNotifyValue(change->value);
    }
    update();
}

void CHexGridCtrl::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    if (!m_model.hasData()) return;

    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const auto hit = hitTestHexGrid(layout(), m_columns, m_model.bytesPerRow(), m_model.length(),
                                    event->position().toPoint());
    m_model.click(hit ? std::optional<int>(hit->byte) : std::nullopt,
                  hit ? hit->mode : HexEntryMode::HexHigh, shift);
    if (hit) m_caretCell = hit->caret;
    m_pressPoint.reset();
    if (!shift) m_pressPoint = event->position().toPoint();
    update();
    emit HexNotifyPosition(m_model.position());
}

void CHexGridCtrl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    // The press becomes a drag once the pointer leaves the platform's drag
    // distance with the button held: the caret hides behind an empty
    // selection at the position. Moving further changes nothing.
    if (!m_pressPoint || !(event->buttons() & Qt::LeftButton)) return;
    if ((event->position().toPoint() - *m_pressPoint).manhattanLength() <
        QApplication::startDragDistance()) {
        return;
    }
    m_pressPoint.reset();
    m_model.startDragSelection();
    update();
}

void CHexGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) m_pressPoint.reset();
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
