#include <array>
#include <cstdint>

#include <QSignalSpy>
#include <QTest>

#include "app/editors/hex_grid_ctrl.h"

using zelkora::app::CHexGridCtrl;
using zelkora::app::HexEntryMode;

namespace {

constexpr int kRow = 16;

std::array<std::uint8_t, 256> registerSpace() {
    std::array<std::uint8_t, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

QString hex(int value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

// The grid as the register dialogs set it up, with its notifications logged in arrival order
// as "P10" (position), "O10" (offset) and "V32" (value).
class RegisterGrid {
  public:
    explicit RegisterGrid(std::span<const std::uint8_t> bytes = registerSpace()) {
        grid.SetData(bytes);
        grid.hide();
        grid.SetBytesPerRow(kRow);
        grid.SetColumns(true, true, false, false);
        grid.resize(grid.sizeHint());
        grid.show();
        const auto record = [this](char kind) {
            return [this, kind](int value) { log << QLatin1Char(kind) + hex(value); };
        };
        QObject::connect(&grid, &CHexGridCtrl::HexNotifyPosition, &grid, record('P'),
                         Qt::DirectConnection);
        QObject::connect(&grid, &CHexGridCtrl::HexNotifyOffset, &grid, record('O'),
                         Qt::DirectConnection);
        QObject::connect(&grid, &CHexGridCtrl::HexNotifyValue, &grid, record('V'),
                         Qt::DirectConnection);
    }

    bool focus() {
        grid.activateWindow();
        grid.setFocus();
        return QTest::qWaitForWindowActive(&grid) && grid.hasFocus();
    }

    // Centre of one text column of a byte's cell: 0 and 1 are the digits, 2 the space after.
    QPoint cell(int byte, int textColumn) const {
        const auto& layout = grid.layout();
        const int k = 3 * (byte % kRow) + textColumn;
        return {k * layout.charWidth + layout.charWidth / 2,
                byte / kRow * layout.lineHeight + layout.lineHeight / 2};
    }

    void click(int byte, int textColumn, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(&grid, Qt::LeftButton, modifiers, cell(byte, textColumn));
    }

    QStringList take() { return std::exchange(log, {}); }

    CHexGridCtrl grid;
    QStringList log;
};

}  // namespace

class HexGridCtrlTest : public QObject {
    Q_OBJECT

  private slots:
    void movesWrapAroundTheRegisterSpace() {
        RegisterGrid g;
        QTest::keyClick(&g.grid, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(&g.grid, Qt::Key_Right);
        QCOMPARE(g.grid.position(), 0xFF);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexLow);
        g.take();
        QTest::keyClick(&g.grid, Qt::Key_Right);
        QCOMPARE(g.grid.position(), 0x00);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexHigh);
        QCOMPARE(g.take(), QStringList{"P00"});

        g.click(0x05, 0);
        QTest::keyClick(&g.grid, Qt::Key_Up);
        QCOMPARE(g.grid.position(), 0xF5);
        QTest::keyClick(&g.grid, Qt::Key_Down);
        QCOMPARE(g.grid.position(), 0x05);

        QTest::keyClick(&g.grid, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(&g.grid, Qt::Key_Left);
        QCOMPARE(g.grid.position(), 0xFF);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexLow);
    }

    void homeEndPagingInsertAndDelete() {
        RegisterGrid g;
        g.click(0x37, 1);
        QTest::keyClick(&g.grid, Qt::Key_Home);
        QCOMPARE(g.grid.position(), 0x30);
        QTest::keyClick(&g.grid, Qt::Key_End);
        QCOMPARE(g.grid.position(), 0x3F);
        QTest::keyClick(&g.grid, Qt::Key_PageDown);
        QTest::keyClick(&g.grid, Qt::Key_PageUp);
        QCOMPARE(g.grid.position(), 0x3F);

        // Delete types nothing, even in character entry where the DEL code it carries on X11
        // would otherwise be stored.
        QTest::keyClick(&g.grid, Qt::Key_Tab);
        QTest::sendKeyEvent(QTest::Click, &g.grid, Qt::Key_Delete, QStringLiteral("\x7f"),
                            Qt::NoModifier);
        QTest::keyClick(&g.grid, Qt::Key_Insert);
        QCOMPARE(g.grid.data()[0x3F], 0x3F);
        QCOMPARE(g.take(), (QStringList{"P37", "P30", "P3F", "P3F", "P3F", "P3F", "P3F", "P3F"}));

        // Shift+Ctrl+Home selects the byte under the caret and stays.
        QTest::keyClick(&g.grid, Qt::Key_Home, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(g.grid.position(), 0x3F);
        QVERIFY(g.grid.selection().exists());
        QTest::keyClick(&g.grid, Qt::Key_Delete);
        QVERIFY(g.grid.selection().exists());
    }

    void typedHexDigitsOvertypeOneNibbleEach() {
        auto bytes = registerSpace();
        bytes[0x10] = 0x12;
        RegisterGrid g(bytes);
        QVERIFY(g.focus());
        // The owner reads the grid's bytes from inside its handler: they are already stored.
        QList<int> seenByOwner;
        QObject::connect(&g.grid, &CHexGridCtrl::HexNotifyValue, &g.grid,
                         [&](int) { seenByOwner << g.grid.data()[0x10]; });
        g.click(0x10, 0);
        QCOMPARE(g.take(), QStringList{"P10"});
        const auto& layout = g.grid.layout();

        QTest::keyClick(&g.grid, Qt::Key_3, Qt::NoModifier);
        QCOMPARE(g.take(), (QStringList{"P10", "P10", "O10", "V32"}));
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexLow);
        QTest::keyClicks(&g.grid, "F");
        QCOMPARE(g.take(), (QStringList{"P10", "P11", "O10", "V3F"}));
        QCOMPARE(g.grid.data()[0x10], 0x3F);
        QCOMPARE(seenByOwner, (QList<int>{0x32, 0x3F}));
        bytes[0x10] = 0x3F;  // the cell looks as if it had always held 3F
        RegisterGrid reference(bytes);
        const QRect cell(0, layout.lineHeight, 3 * layout.charWidth, layout.lineHeight);
        QCOMPARE(g.grid.grab(cell).toImage(), reference.grid.grab(cell).toImage());
        QCOMPARE(g.grid.position(), 0x11);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexHigh);
        QCOMPARE(g.grid.caretRect().topLeft(), QPoint(1 + 3 * layout.charWidth, layout.lineHeight));
        QVERIFY(g.grid.caretVisible());

        QTest::keyClicks(&g.grid, "ab");
        QCOMPARE(g.grid.data()[0x11], 0xAB);
    }

    void otherCharactersAndBackspaceChangeNothing() {
        RegisterGrid g;
        g.click(0x20, 0);
        for (const auto key : {Qt::Key_G, Qt::Key_Space, Qt::Key_Return}) {
            QTest::keyClick(&g.grid, Qt::Key_Right, Qt::ShiftModifier);
            QVERIFY(g.grid.selection().exists());
            g.take();
            QTest::keyClick(&g.grid, key);
            QCOMPARE(g.take(), QStringList{"P" + hex(g.grid.position())});
            QVERIFY(!g.grid.selection().exists());
        }
        QCOMPARE(g.grid.data()[0x20], 0x20);
        QCOMPARE(g.grid.data()[0x21], 0x21);

        // Backspace only moves back, and not before the first byte.
        g.click(0x00, 0);
        QTest::keyClick(&g.grid, Qt::Key_Backspace);
        QCOMPARE(g.grid.position(), 0);
        g.click(0x23, 1);
        g.take();
        QTest::keyClick(&g.grid, Qt::Key_Backspace);
        QCOMPARE(g.grid.position(), 0x22);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexLow);
        QCOMPARE(g.take(), QStringList{"P23"});
        QCOMPARE(g.grid.data()[0x22], 0x22);
        QCOMPARE(g.grid.data()[0x23], 0x23);
    }

    void tabSwitchesToCharacterEntryAndBack() {
        RegisterGrid g;
        QVERIFY(g.focus());
        g.click(0x40, 0);
        QTest::keyClick(&g.grid, Qt::Key_Tab);
        QVERIFY(g.grid.hasFocus());
        QCOMPARE(g.grid.entryMode(), HexEntryMode::Character);
        // The character column lies beyond the right edge, and so does the caret.
        QVERIFY(!g.grid.caretVisible());
        g.take();
        QTest::keyClicks(&g.grid, "A");
        QCOMPARE(g.take(), (QStringList{"P40", "P41", "O40", "V41"}));
        QCOMPARE(g.grid.data()[0x40], 0x41);
        // Control codes and text beyond ASCII are no data: only the key's own report.
        for (const auto& [key, text] : {std::pair{Qt::Key_Escape, QStringLiteral("\x1b")},
                                        std::pair{Qt::Key_Return, QStringLiteral("\r")},
                                        std::pair{Qt::Key_unknown, QStringLiteral("\u00e9")}}) {
            QTest::sendKeyEvent(QTest::Click, &g.grid, key, text, Qt::NoModifier);
            QCOMPARE(g.take(), QStringList{"P41"});
        }
        QCOMPARE(g.grid.data()[0x41], 0x41);
        QTest::keyClick(&g.grid, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexHigh);
        QVERIFY(g.grid.caretVisible());
        QCOMPARE(g.grid.caretRect().x(), 1 + 3 * g.grid.layout().charWidth);
    }

    void clicksPickTheNibbleUnderThePointer() {
        RegisterGrid g;
        const int cw = g.grid.layout().charWidth;
        g.click(0x24, 0);
        QCOMPARE(g.grid.position(), 0x24);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexHigh);
        QCOMPARE(g.grid.caretRect().x(), 12 * cw);
        g.click(0x24, 1);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexLow);
        QCOMPARE(g.grid.caretRect().x(), 13 * cw);
        g.click(0x24, 2);  // the space after a cell stands for the next byte
        QCOMPARE(g.grid.position(), 0x25);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexHigh);
        QCOMPARE(g.grid.caretRect().x(), 15 * cw);
        g.click(0x2F, 2);  // the last space of a row is no byte
        QCOMPARE(g.grid.position(), 0x25);
        QCOMPARE(g.take(), (QStringList{"P24", "P24", "P25", "P25"}));

        // Below the last row there is nothing to pick either.
        g.grid.resize(g.grid.width(), g.grid.height() + 3 * g.grid.layout().lineHeight);
        g.click(0x100 + 3, 0);
        QCOMPARE(g.grid.position(), 0x25);

        // Press and drag: the caret hides behind an empty selection at the pressed byte, and
        // moving on extends nothing; a plain click ends it.
        QVERIFY(g.focus());
        QTest::mousePress(&g.grid, Qt::LeftButton, {}, g.cell(0x31, 0));
        QVERIFY(g.grid.caretVisible());
        QTest::mouseMove(&g.grid, g.cell(0x35, 0));
        QTest::mouseRelease(&g.grid, Qt::LeftButton, {}, g.cell(0x35, 0));
        QVERIFY(g.grid.selection().exists());
        QCOMPARE(g.grid.selection().anchor, 0x31);
        QCOMPARE(g.grid.selection().end, 0x31);
        QVERIFY(!g.grid.caretVisible());
        g.click(0x31, 0);
        QVERIFY(!g.grid.selection().exists());
        QVERIFY(g.grid.caretVisible());
    }

    void shiftSelectionIsPaintedInHighlightColours() {
        RegisterGrid g;
        QPalette colours = g.grid.palette();
        colours.setColor(QPalette::Highlight, QColor(0, 0, 160));
        colours.setColor(QPalette::HighlightedText, Qt::white);
        colours.setColor(QPalette::Base, QColor(255, 255, 200));
        g.grid.setPalette(colours);
        QVERIFY(g.focus());
        g.click(0x12, 0);
        const auto background = [&](int byte) {
            return g.grid.grab().toImage().pixelColor(g.cell(byte, 2));
        };
        const QPoint caret = g.grid.caretRect().topLeft();
        QCOMPARE(g.grid.grab().toImage().pixelColor(caret), QColor(Qt::black));

        QTest::keyClick(&g.grid, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&g.grid, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(g.grid.selection().lower(), 0x12);
        QCOMPARE(g.grid.selection().upper(), 0x14);
        QVERIFY(!g.grid.caretVisible());
        QCOMPARE(background(0x11), QColor(Qt::white));
        QCOMPARE(background(0x12), QColor(0, 0, 160));
        QCOMPARE(background(0x13), QColor(0, 0, 160));
        QCOMPARE(background(0x14), QColor(255, 255, 200));

        QTest::keyClick(&g.grid, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(g.grid.selection().upper(), 0x24);
        g.click(0x30, 1, Qt::ShiftModifier);
        QCOMPARE(g.grid.selection().lower(), 0x23);
        QCOMPARE(g.grid.selection().upper(), 0x31);

        // A plain move drops the selection and brings the caret back.
        QTest::keyClick(&g.grid, Qt::Key_Left);
        QVERIFY(!g.grid.selection().exists());
        QVERIFY(g.grid.caretVisible());
        QCOMPARE(background(0x12), QColor(Qt::white));

        // In character entry the hex cells show no selection.
        QTest::keyClick(&g.grid, Qt::Key_Tab);
        QTest::keyClick(&g.grid, Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(g.grid.selection().exists());
        QCOMPARE(background(g.grid.selection().lower()), QColor(Qt::white));
    }

    void hexCellsCoverTheAddressColumn() {
        RegisterGrid g;
        const QImage withAddress = g.grid.grab().toImage();
        g.grid.SetColumns(false, true, false, false);
        const QImage withoutAddress = g.grid.grab().toImage();
        const QRect covered(1, 0, g.grid.width() - 1, g.grid.height());
        QCOMPARE(withAddress.copy(covered), withoutAddress.copy(covered));
        QImage blank(covered.size(), withAddress.format());
        blank.fill(Qt::white);
        QVERIFY(withAddress.copy(covered) != blank);
    }

    void setDataReturnsTheCaretToTheFirstByte() {
        RegisterGrid g;
        QVERIFY(g.focus());
        g.click(0x57, 1);
        QTest::keyClick(&g.grid, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&g.grid, Qt::Key_Tab);
        std::array<std::uint8_t, 256> zeros{};
        g.grid.SetData(zeros);
        QCOMPARE(g.grid.position(), 0);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexHigh);
        QVERIFY(!g.grid.selection().exists());
        QCOMPARE(g.grid.caretRect().topLeft(), QPoint(0, 0));
        QVERIFY(g.grid.caretVisible());
        QCOMPARE(g.grid.data()[0x57], 0);
    }

    void shortOrMissingDataIsNeverEditedPastItsEnd() {
        CHexGridCtrl empty;
        QSignalSpy values(&empty, &CHexGridCtrl::HexNotifyValue);
        QSignalSpy positions(&empty, &CHexGridCtrl::HexNotifyPosition);
        empty.resize(200, 100);
        QTest::keyClicks(&empty, "12");
        QTest::mouseClick(&empty, Qt::LeftButton, Qt::NoModifier, QPoint(60, 5));
        QCOMPARE(values.count(), 0);
        QCOMPARE(positions.count(), 2);  // the key presses; a click on no data sends nothing
        const QImage blank = empty.grab().toImage();
        QCOMPARE(blank.pixelColor(60, 5), QColor(Qt::white));

        std::array<std::uint8_t, 20> bytes{};
        RegisterGrid g(bytes);
        g.grid.resize(g.grid.width(), 4 * g.grid.layout().lineHeight);
        g.click(0x18, 0);  // a blank cell after the data
        QCOMPARE(g.grid.position(), 0);
        QTest::keyClick(&g.grid, Qt::Key_Up);
        QCOMPARE(g.grid.position(), 0);
        QTest::keyClick(&g.grid, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(&g.grid, "ABCD");
        QCOMPARE(g.grid.position(), 19);
        QCOMPARE(g.grid.data().size(), 20u);
        QCOMPARE(g.grid.data()[19], 0xCD);
        g.grid.SetBytesPerRow(0);
        QTest::keyClick(&g.grid, Qt::Key_Home);
        QCOMPARE(g.grid.position(), 16);
    }
};

QTEST_MAIN(HexGridCtrlTest)
#include "hex_grid_ctrl_test.moc"
