#pragma once

#include <QLabel>

namespace zelkora::app {

// A read-only value field: a framed static text that keeps its row height
// whatever it shows. A text wider than the field is drawn cut at its end with
// an ellipsis (never centred off both edges), and the whole text comes up as
// the field's tool tip. text() always returns the whole text.
//
// In a form, promote the QLabel to `zelkora::app::ValueField` (header
// "app/controls/value_field.h"); in code, construct it like a QLabel.
class ValueField : public QLabel {
    Q_OBJECT
  public:
    explicit ValueField(QWidget* parent = nullptr);

    // The text as drawn in the field's current size: the whole text, or its
    // start and an ellipsis.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

    // A long value may be cut rather than widen its window.
    QSize minimumSizeHint() const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace zelkora::app
