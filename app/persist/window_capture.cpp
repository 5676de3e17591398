#include "app/persist/window_capture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace zelkora::app {

namespace {

persist::PixelImage copyRows(const QImage& image, uint16_t bits) {
    persist::PixelImage out;
    out.width = image.width();
    out.height = image.height();
    out.bitsPerPixel = bits;
    out.stride = static_cast<std::size_t>(image.bytesPerLine());
    out.pixels.assign(image.constBits(), image.constBits() + image.sizeInBytes());
    for (const QRgb colour : image.colorTable())
        out.colourTable.push_back(colour & 0xFFFFFFu);
    return out;
}

// Qt has no 4-bit format: sixteen colours as 8-bit indices, packed two to a
// byte, the left pixel in the high nibble.
persist::PixelImage packFourBits(const QImage& indexed) {
    persist::PixelImage out = copyRows(indexed, 4);
    out.stride = (static_cast<std::size_t>(indexed.width()) + 1) / 2;
    out.pixels.assign(out.stride * static_cast<std::size_t>(indexed.height()), 0);
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* row = indexed.constScanLine(y);
        for (int x = 0; x < indexed.width(); ++x) {
            const auto nibble = static_cast<uint8_t>(row[x] & 0x0F);
            out.pixels[static_cast<std::size_t>(y) * out.stride +
                       static_cast<std::size_t>(x) / 2] |=
                static_cast<uint8_t>(x % 2 == 0 ? nibble << 4 : nibble);
        }
    }
    return out;
}

}  // namespace

void settleForCapture(QWidget& window) {
    // A command chosen from a menu starts while the menus are still drawn:
    // close what is open, let the display server unmap it and send the
    // exposures, and repaint what the menus covered before reading the screen.
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QGuiApplication::sync();
    window.repaint();
    QGuiApplication::sync();
}

QImage captureWindow(QWidget& window) {
    settleForCapture(window);
    QScreen* screen = window.screen();
    const QRect frame = window.frameGeometry();
    // A frame wider than the client area means a window manager draws one:
    // only the screen holds its pixels.
    if (screen && frame != window.geometry() &&
        QGuiApplication::platformName() != QStringLiteral("offscreen")) {
        const QRect screenArea = screen->geometry();
        const QPixmap shot =
            screen->grabWindow(0, frame.x() - screenArea.x(), frame.y() - screenArea.y(),
                               frame.width(), frame.height());
        if (!shot.isNull() && shot.size() == frame.size()) return shot.toImage();
    }
    return window.grab().toImage();
}

std::optional<persist::PixelImage> pixelImage(const QImage& picture, int bitsPerPixel) {
    if (picture.isNull()) return std::nullopt;
    switch (bitsPerPixel) {
        case 1:
            return copyRows(picture.convertToFormat(QImage::Format_Mono), 1);
        case 4: {
            // A 16-colour display shows the standard sixteen colours.
            const QList<QRgb> kSixteen{0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000,
                                       0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
                                       0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                       0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
            return packFourBits(picture.convertToFormat(QImage::Format_Indexed8, kSixteen));
        }
        case 8:
            return copyRows(picture.convertToFormat(QImage::Format_Indexed8), 8);
        case 16:
            return copyRows(picture.convertToFormat(QImage::Format_RGB555), 16);
        case 24:
            return copyRows(picture.convertToFormat(QImage::Format_BGR888), 24);
        case 32:
            return copyRows(picture.convertToFormat(QImage::Format_RGB32), 32);
        default:
            return std::nullopt;
    }
}

}  // namespace zelkora::app
