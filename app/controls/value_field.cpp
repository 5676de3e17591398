#include "app/controls/value_field.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace zelkora::app {

ValueField::ValueField(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

QString ValueField::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize ValueField::minimumSizeHint() const {
    return {frameWidth() * 2, QLabel::minimumSizeHint().height()};
}

bool ValueField::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        // Only a cut text needs its whole self shown.
        const auto* help = static_cast<QHelpEvent*>(event);
        if (isElided()) {
            QToolTip::showText(help->globalPos(), text(), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QLabel::event(event);
}

void ValueField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QString shown = shownText();
    // A cut text starts at the field's left edge, so its beginning shows.
    Qt::Alignment align = alignment();
    if (shown != text()) align = (align & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(align), palette(), isEnabled(),
                          shown, foregroundRole());
}

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_value_field.cpp"
