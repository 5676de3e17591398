#pragma once

#include <optional>

#include <QImage>

#include "app/persist/bmp_file.h"

class QWidget;

namespace zelkora::app {

// Closes open menus and waits until the display has removed them and the
// window has repainted what they covered.
void settleForCapture(QWidget& window);

// The window's picture as the display shows it, once settled: the whole
// window with the frame and title bar that the window manager draws, read
// from the screen, never the menus the command was chosen from.
// Where the screen cannot be read (no window manager, no screen, as on the
// offscreen platform, or a display server that refuses screen reading) the
// window's own rendering of itself, without a frame.
QImage captureWindow(QWidget& window);

// The picture in the display's format of `bitsPerPixel` (1, 4, 8, 16, 24 or
// 32) as the BMP writer takes it; nothing for another depth.
std::optional<persist::PixelImage> pixelImage(const QImage& picture, int bitsPerPixel);

}  // namespace zelkora::app
