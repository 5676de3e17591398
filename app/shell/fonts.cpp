#include "app/shell/fonts.h"

#include <array>

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>
#include <QWidget>

namespace zelkora::app {

namespace {

// The windows were drawn for an 8-point sans serif at 96 dpi: 11 pixels, lines
// of 13. Chinese text is set a pixel larger, as the Chinese desktops of the
// time did, in a face whose line is 14 pixels at that size.
constexpr int kLatinPixels = 11;
constexpr int kChinesePixels = 12;
constexpr int kBandPixels = 16;

// Faces in order of preference. The first that is installed is asked for by
// name, so the desktop's per-language substitutes never step in; the rest stay
// behind it for glyphs it lacks.
constexpr std::array kLatinFaces{"DejaVu Sans", "Liberation Sans", "Arial", "FreeSans"};
// The band names Arial first; its metric twin and a face with a true bold
// oblique follow.
constexpr std::array kBandFaces{"Arial", "Liberation Sans", "DejaVu Sans", "FreeSans"};
// Compact CJK faces first: their lines fit the rows. The tall Noto faces only
// fill in glyphs.
constexpr std::array kSimplifiedFaces{"WenQuanYi Micro Hei", "WenQuanYi Zen Hei",
                                      "Noto Sans CJK SC", "Source Han Sans SC"};
constexpr std::array kTraditionalFaces{"WenQuanYi Micro Hei", "WenQuanYi Zen Hei",
                                       "Noto Sans CJK TC", "Source Han Sans TC"};

template <std::size_t N>
QFont installedFace(const std::array<const char*, N>& faces, int pixels) {
    QStringList installed;
    for (const char* face : faces) {
        const QString family = QString::fromLatin1(face);
        if (QFontDatabase::hasFamily(family)) installed << family;
    }
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    if (!installed.isEmpty()) font.setFamilies(installed);
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

QFont windowFont(Language language) {
    switch (language) {
        case Language::SimplifiedChinese:
            return installedFace(kSimplifiedFaces, kChinesePixels);
        case Language::TraditionalChinese:
            return installedFace(kTraditionalFaces, kChinesePixels);
        case Language::English:
            break;
    }
    return installedFace(kLatinFaces, kLatinPixels);
}

void useWindowFont(QWidget& window, Language language) {
    window.setFont(windowFont(language));
}

void useApplicationFont(Language language) {
    QApplication::setFont(windowFont(language));
}

QFont bandFont() {
    QFont font = installedFace(kBandFaces, kBandPixels);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    return font;
}

}  // namespace zelkora::app
