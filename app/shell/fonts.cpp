#include "app/shell/fonts.h"

#include <array>

#include <QApplication>
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

// Faces in order of preference, asked for by name so that the desktop's
// per-language substitutes never step in; the later ones stay behind the first
// installed one for glyphs it lacks. (Under a Chinese locale the CJK faces are
// listed by their Chinese names; asking by the English name still finds them.)
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
QFont face(const std::array<const char*, N>& families, int pixels) {
    QStringList names;
    for (const char* family : families)
        names << QString::fromLatin1(family);
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    font.setFamilies(names);
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

QFont windowFont(Language language) {
    switch (language) {
        case Language::SimplifiedChinese:
            return face(kSimplifiedFaces, kChinesePixels);
        case Language::TraditionalChinese:
            return face(kTraditionalFaces, kChinesePixels);
        case Language::English:
            break;
    }
    return face(kLatinFaces, kLatinPixels);
}

void useWindowFont(QWidget& window, Language language) {
    window.setFont(windowFont(language));
}

void useApplicationFont(Language language) {
    QApplication::setFont(windowFont(language));
}

QFont bandFont() {
    QFont font = face(kBandFaces, kBandPixels);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    return font;
}

}  // namespace zelkora::app
