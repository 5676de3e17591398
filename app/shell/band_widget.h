#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace zelkora::app {

// The colour of step `step` (0 at the bottom, 63 at the top) of the band's
// gradient from RGB(0, 128, 128) to RGB(0, 0, 128). The last step stops one
// step short of the end colour.
QColor bandStepColor(int step);

// The painted band down the main window's left edge: a 64-step gradient, a
// 3-D frame and the maker's name reading upwards.
class BandWidget : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 25;
    static constexpr int kSteps = 64;
    static constexpr const char* kMakerText = "Mirel Inc.";

    explicit BandWidget(QWidget* parent = nullptr);

    const QFont& makerFont() const { return makerFont_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QFont makerFont_;
};

}  // namespace zelkora::app
