#include "app/shell/band_widget.h"

#include <QPainter>

#include "app/shell/fonts.h"

namespace zelkora::app {

namespace {

constexpr QRgb kStartColor = qRgb(0, 128, 128);  // bottom
constexpr QRgb kEndColor = qRgb(0, 0, 128);      // top

int stepChannel(int start, int end, int step) {
    return (start * BandWidget::kSteps + step * (end - start)) / BandWidget::kSteps;
}

}  // namespace

QColor bandStepColor(int step) {
    return QColor(stepChannel(qRed(kStartColor), qRed(kEndColor), step),
                  stepChannel(qGreen(kStartColor), qGreen(kEndColor), step),
                  stepChannel(qBlue(kStartColor), qBlue(kEndColor), step));
}

BandWidget::BandWidget(QWidget* parent) : QWidget(parent) {
    setFixedWidth(kWidth);
    makerFont_ = bandFont();
}

void BandWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect band = rect();
    const int height = band.height();
    const int bottom = band.bottom() + 1;  // exclusive, as the rows are counted
    for (int step = 0; step < kSteps; ++step) {
        const int lower = bottom - height * step / kSteps;
        const int upper = bottom - height * (step + 1) / kSteps;
        if (lower <= upper) continue;
        painter.fillRect(QRect(band.left(), upper, band.width(), lower - upper),
                         bandStepColor(step));
    }

    // 3-D frame: light above and left, shadow below and right.
    const QPalette& colors = palette();
    painter.setPen(colors.color(QPalette::Light));
    painter.drawLine(band.topLeft(), band.topRight());
    painter.drawLine(band.topLeft(), band.bottomLeft());
    painter.setPen(colors.color(QPalette::Dark));
    painter.drawLine(band.bottomLeft(), band.bottomRight());
    painter.drawLine(band.topRight(), band.bottomRight());

    // The text runs upwards from near the bottom; its cell lies to the right
    // of the start point once turned.
    painter.setClipRect(band);
    painter.setFont(makerFont_);
    painter.setPen(Qt::white);
    painter.translate(band.left() + 5, band.bottom() - 10);
    painter.rotate(-90);
    const QFontMetrics metrics(makerFont_);
    painter.drawText(0, metrics.ascent(), QString::fromLatin1(kMakerText));
}

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_band_widget.cpp"
