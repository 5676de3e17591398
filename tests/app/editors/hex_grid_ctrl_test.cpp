#include <array>
#include <cstdint>

#include <QKeySequence>
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

    // Clicks ("@24.1": text column 1 of byte 24h) and keys ("Shift+Right"; Del
    // carries the DEL code, as on X11) in turn; then where the caret stands,
    // whether a selection shows, and what the grid reported on the way, as
    // "25 high sel: P24 P25".
    QString perform(const QString& input) {
        for (const QString& step : input.split(QLatin1Char(' '))) {
            const QKeyCombination key = QKeySequence(step)[0];
            if (step.startsWith(QLatin1Char('@'))) {
                click(step.mid(1, 2).toInt(nullptr, 16), step.mid(4).toInt());
            } else if (key.key() == Qt::Key_Delete) {
                QTest::sendKeyEvent(QTest::Click, &grid, key.key(), QStringLiteral("\x7f"),
                                    key.keyboardModifiers());
            } else {
                QTest::keyClick(&grid, key.key(), key.keyboardModifiers());
            }
        }
        const HexEntryMode mode = grid.entryMode();
        return QStringLiteral("%1 %2%3: %4")
            .arg(hex(grid.position()),
                 mode == HexEntryMode::HexHigh  ? QStringLiteral("high")
                 : mode == HexEntryMode::HexLow ? QStringLiteral("low")
                                                : QStringLiteral("char"),
                 grid.selection().exists() ? QStringLiteral(" sel") : QString(),
                 take().join(QLatin1Char(' ')));
    }

    // Performs the steps, each "input -> outcome" as perform() gives it; an
    // outcome ending in ": *" leaves the reports unchecked.
    void expect(std::initializer_list<const char*> steps) {
        for (const char* step : steps) {
            const QString line = QString::fromUtf8(step);
            const QString input = line.section(QStringLiteral(" -> "), 0, 0);
            QString outcome = perform(input);
            if (line.endsWith(QStringLiteral(": *")))
                outcome = outcome.section(QLatin1Char(':'), 0, 0) + QStringLiteral(": *");
            QCOMPARE(input + QStringLiteral(" -> ") + outcome, line);
        }
    }

    // The byte at `offset`, or -1 past the data: a grid that lost its bytes
    // fails the comparison instead of crashing the test.
    int byte(std::size_t offset) const {
        return offset < grid.data().size() ? grid.data()[offset] : -1;
    }

    CHexGridCtrl grid;
    QStringList log;
};

}  // namespace

class HexGridCtrlTest : public QObject {
    Q_OBJECT

  private slots:
    void movesWrapAroundTheRegisterSpace() {
        RegisterGrid g;
        g.expect({"Ctrl+End Right -> FF low: *", "Right -> 00 high: P00", "@05.0 Up -> F5 high: *",
                  "Down -> 05 high: *", "Ctrl+Home Left -> FF low: *"});
    }

    // Delete and Insert type nothing, even in character entry where the DEL
    // code would otherwise be stored; Shift+Ctrl+Home selects the byte under
    // the caret and stays.
    void homeEndPagingInsertAndDelete() {
        RegisterGrid g;
        g.expect({"@37.1 Home -> 30 low: P37 P30", "End -> 3F low: P3F",
                  "PgDown PgUp -> 3F low: P3F P3F", "Tab Del Ins -> 3F char: P3F P3F P3F",
                  "Shift+Ctrl+Home -> 3F char sel: *", "Del -> 3F char sel: *"});
        QCOMPARE(g.byte(0x3F), 0x3F);
    }

    void typedHexDigitsOvertypeOneNibbleEach() {
        auto bytes = registerSpace();
        bytes[0x10] = 0x12;
        RegisterGrid g(bytes);
        QVERIFY(g.focus());
        // The owner reads the grid's bytes from inside its handler: they are already stored.
        QList<int> seenByOwner;
        QObject::connect(&g.grid, &CHexGridCtrl::HexNotifyValue, &g.grid,
                         [&](int) { seenByOwner << g.byte(0x10); });
        const auto& layout = g.grid.layout();
        g.expect({"@10.0 -> 10 high: P10", "3 -> 10 low: P10 P10 O10 V32",
                  "F -> 11 high: P10 P11 O10 V3F"});
        QCOMPARE(g.byte(0x10), 0x3F);
        QCOMPARE(seenByOwner, (QList<int>{0x32, 0x3F}));
        bytes[0x10] = 0x3F;  // the cell looks as if it had always held 3F
        RegisterGrid reference(bytes);
        const QRect cell(0, layout.lineHeight, 3 * layout.charWidth, layout.lineHeight);
        QCOMPARE(g.grid.grab(cell).toImage(), reference.grid.grab(cell).toImage());
        QCOMPARE(g.grid.caretRect().topLeft(), QPoint(1 + 3 * layout.charWidth, layout.lineHeight));
        QVERIFY(g.grid.caretVisible());
        g.expect({"A B -> 12 high: *"});
        QCOMPARE(g.byte(0x11), 0xAB);
    }

    // Other characters only drop the selection; Backspace only moves back,
    // and not before the first byte.
    void otherCharactersAndBackspaceChangeNothing() {
        RegisterGrid g;
        g.expect({"@20.0 Shift+Right -> 20 low sel: *", "G -> 20 low: P20",
                  "Shift+Right -> 21 high sel: *", "Space -> 21 high: P21",
                  "Shift+Right -> 21 low sel: *", "Return -> 21 low: P21",
                  "@00.0 Backspace -> 00 high: *", "@23.1 -> 23 low: *",
                  "Backspace -> 22 low: P23"});
        for (int offset : {0x20, 0x21, 0x22, 0x23})
            QCOMPARE(g.byte(offset), offset);
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
        QCOMPARE(g.byte(0x40), 0x41);
        // Control codes and text beyond ASCII are no data: only the key's own report.
        for (const auto& [key, text] : {std::pair{Qt::Key_Escape, QStringLiteral("\x1b")},
                                        std::pair{Qt::Key_Return, QStringLiteral("\r")},
                                        std::pair{Qt::Key_unknown, QStringLiteral("\u00e9")}}) {
            QTest::sendKeyEvent(QTest::Click, &g.grid, key, text, Qt::NoModifier);
            QCOMPARE(g.take(), QStringList{"P41"});
        }
        QCOMPARE(g.byte(0x41), 0x41);
        QTest::keyClick(&g.grid, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(g.grid.entryMode(), HexEntryMode::HexHigh);
        QVERIFY(g.grid.caretVisible());
        QCOMPARE(g.grid.caretRect().x(), 1 + 3 * g.grid.layout().charWidth);
    }

    // The blank after a cell stands for the next byte; the last blank of a
    // row, and anything below the last row, is no byte.
    void clicksPickTheNibbleUnderThePointer() {
        RegisterGrid g;
        const int cw = g.grid.layout().charWidth;
        g.expect({"@24.0 -> 24 high: P24"});
        QCOMPARE(g.grid.caretRect().x(), 12 * cw);
        g.expect({"@24.1 -> 24 low: P24"});
        QCOMPARE(g.grid.caretRect().x(), 13 * cw);
        g.expect({"@24.2 -> 25 high: P25"});
        QCOMPARE(g.grid.caretRect().x(), 15 * cw);
        g.expect({"@2F.2 -> 25 high: P25"});

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
        QCOMPARE(g.byte(0x57), 0);
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
        QCOMPARE(g.byte(19), 0xCD);
        g.grid.SetBytesPerRow(0);
        QTest::keyClick(&g.grid, Qt::Key_Home);
        QCOMPARE(g.grid.position(), 16);
    }
};

QTEST_MAIN(HexGridCtrlTest)
#include "hex_grid_ctrl_test.moc"
