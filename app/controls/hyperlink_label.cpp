#include "app/controls/hyperlink_label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace zelkora::app {

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : QLabel(parent) {
    textColor_ = palette().color(QPalette::WindowText);
    // Plain text: the label shows and opens its text, never rich text.
    setTextFormat(Qt::PlainText);
}

HyperlinkLabel& HyperlinkLabel::setLink(bool on) {
    link_ = on;
    setAttribute(Qt::WA_TransparentForMouseEvents, !on);
    return *this;
}

HyperlinkLabel& HyperlinkLabel::setTextColor(const QColor& color) {
    textColor_ = color;
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, color);
    setPalette(colors);
    repaint();
    return *this;
}

HyperlinkLabel& HyperlinkLabel::setUnderline(bool on) {
    QFont underlined = font();
    underlined.setUnderline(on);
    setFont(underlined);
    repaint();
    return *this;
}

HyperlinkLabel& HyperlinkLabel::setLinkCursor(const QCursor& cursor) {
    setCursor(cursor);
    return *this;
}

HyperlinkLabel& HyperlinkLabel::setOpener(Opener opener) {
    opener_ = std::move(opener);
    return *this;
}

void HyperlinkLabel::openWithDesktop(const QString& address) {
    // An address that nothing can open is ignored, as the shell's answer is.
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && opener_) opener_(text());
    QLabel::mousePressEvent(event);
}

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_hyperlink_label.cpp"
