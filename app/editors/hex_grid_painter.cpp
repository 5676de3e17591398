#include "app/editors/hex_grid_painter.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

namespace zelkora::app {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

struct CellColours {
    QColor text;
    QColor background;
};

// Bytes before a selection keep the surface's own black on white; bytes after it take the
// palette's text colours, as edit fields show them.
class SelectionColours {
  public:
    SelectionColours(const HexSelection& selection, bool applies, const QPalette& palette)
        : selection_(selection),
          applies_(applies && selection.exists()),
          selected_{palette.color(QPalette::Active, QPalette::HighlightedText),
                    palette.color(QPalette::Active, QPalette::Highlight)},
          after_{palette.color(QPalette::Active, QPalette::Text),
                 palette.color(QPalette::Active, QPalette::Base)} {}

    CellColours forByte(int index) const {
        if (!applies_ || index < selection_.lower()) return plain();
        return index < selection_.upper() ? selected_ : after_;
    }

    static CellColours plain() { return {Qt::black, Qt::white}; }

  private:
    HexSelection selection_;
    bool applies_;
    CellColours selected_;
    CellColours after_;
};

// Text is opaque: each cell fills its own background, so hex cells cover the address column
// that lies under them. Characters go one per fixed column so they line up with hit testing.
class CellWriter {
  public:
    CellWriter(QPainter& painter, const HexGridLayout& layout, int ascent)
        : painter_(painter), layout_(layout), ascent_(ascent) {}

    void write(int x, int y, int columns, QStringView text, const CellColours& colours) {
        painter_.fillRect(x, y, columns * layout_.charWidth, layout_.lineHeight,
                          colours.background);
        painter_.setPen(colours.text);
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char(' ')) continue;
            painter_.drawText(QPoint(x + static_cast<int>(i) * layout_.charWidth, y + ascent_),
                              QString(text[i]));
        }
    }

  private:
    QPainter& painter_;
    const HexGridLayout& layout_;
    int ascent_;
};

QString hexByte(std::uint8_t value) {
    const QChar digits[] = {QLatin1Char(kHexDigits[value >> 4]),
                            QLatin1Char(kHexDigits[value & 0x0F])};
    return QString(digits, 2);
}

QString address(int offset, int digits) {
    QString text(digits, QLatin1Char('0'));
    for (int i = digits - 1; i >= 0 && offset != 0; --i, offset >>= 4) {
        text[i] = QLatin1Char(kHexDigits[offset & 0x0F]);
    }
    return text;
}

QChar shownCharacter(std::uint8_t value) {
    return (value >= 0x20 && value <= 0x7E) ? QLatin1Char(static_cast<char>(value))
                                            : QLatin1Char('.');
}

}  // namespace

QFont hexGridFont() {
    // Asked for by name in order, so that a Chinese locale's substitute for
    // Courier New (a CJK mono face with taller lines) never steps in; the
    // later faces are Courier's metric twin and the common Linux mono faces.
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("DejaVu Sans Mono"), QStringLiteral("FreeMono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(12);
    }
    return font;
}

QImage paintHexGrid(const HexGridScene& scene) {
    QImage image(scene.size * scene.devicePixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(scene.devicePixelRatio);
    image.fill(Qt::white);
    const HexGridModel& model = scene.model;
    if (!model.hasData()) return image;

    QPainter painter(&image);
    painter.setFont(scene.font);
    const HexGridLayout& layout = scene.layout;
    CellWriter cells(painter, layout, QFontMetrics(scene.font).ascent());
    const SelectionColours hexColours(model.selection(), isHexMode(model.entryMode()),
                                      scene.palette);
    const SelectionColours charColours(model.selection(),
                                       model.entryMode() == HexEntryMode::Character, scene.palette);
    const int bytesPerRow = model.bytesPerRow();
    const int digits = addressDigits(scene.columns);
    const auto bytes = model.bytes();

    for (int row = 0; row < paintedRows(layout, scene.size.height()); ++row) {
        const int y = row * layout.lineHeight;
        const int rowStart = model.topIndex() + row * bytesPerRow;
        if (scene.columns.showAddress) {
            cells.write(layout.addressOffset, y, digits, address(rowStart, digits),
                        SelectionColours::plain());
        }
        for (int column = 0; column < bytesPerRow; ++column) {
            const int index = rowStart + column;
            const bool inData = index < model.length();
            if (scene.columns.showHex) {
                const int x = layout.hexOffset + 3 * column * layout.charWidth;
                if (inData) {
                    cells.write(x, y, 3, hexByte(bytes[static_cast<std::size_t>(index)]),
                                hexColours.forByte(index));
                } else {
                    cells.write(x, y, 3, u"", SelectionColours::plain());
                }
            }
            if (scene.columns.showCharacters) {
                const int x = layout.charOffset + column * layout.charWidth;
                if (inData) {
                    cells.write(x, y, 1,
                                QString(shownCharacter(bytes[static_cast<std::size_t>(index)])),
                                charColours.forByte(index));
                } else {
                    cells.write(x, y, 1, u"", SelectionColours::plain());
                }
            }
        }
    }

    if (scene.caret) {
        // A solid caret inverts what lies under it.
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(*scene.caret, Qt::white);
    }
    return image;
}

}  // namespace zelkora::app
