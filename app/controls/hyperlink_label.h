#pragma once

#include <functional>

#include <QColor>
#include <QCursor>
#include <QLabel>

namespace zelkora::app {

// A text label that behaves as a web link: coloured, underlined, a cursor of
// its own over it, and a left click hands its current text to the opener.
// No hover colour, no visited state, no tooltip.
class HyperlinkLabel : public QLabel {
    Q_OBJECT
  public:
    using Opener = std::function<void(const QString& address)>;

    explicit HyperlinkLabel(QWidget* parent = nullptr);

    // Each returns the label so that set-up calls chain.
    // A cleared link flag lets clicks fall through to the window below.
    HyperlinkLabel& setLink(bool on);
    HyperlinkLabel& setTextColor(const QColor& color);
    HyperlinkLabel& setUnderline(bool on);
    HyperlinkLabel& setLinkCursor(const QCursor& cursor);
    // Replaces the desktop's default handler (tests).
    HyperlinkLabel& setOpener(Opener opener);

    bool link() const { return link_; }
    QColor textColor() const { return textColor_; }

    // The desktop's default handler for an address.
    static void openWithDesktop(const QString& address);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QColor textColor_;
    bool link_ = true;
    Opener opener_ = &HyperlinkLabel::openWithDesktop;
};

}  // namespace zelkora::app
