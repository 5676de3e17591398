// The register dialogs' grid tool tips: hovering a byte shows the register it
// belongs to, decoded; hovering beside the cells shows nothing; the tips are
// English in every language and fit inside the dialog in each language's face.
#include <QListWidget>
#include <QToolTip>
#include <QtTest>

#include "app/editors/hex_grid_ctrl.h"
#include "app/editors/pci_register_dialog.h"
#include "app/editors/register_tool_tips.h"
#include "app/editors/superio_register_dialog.h"
#include "app/shell/fonts.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

namespace {

// Asks the grid for its tip at a point, as the pointer resting there would.
QString toolTipAt(CHexGridCtrl& grid, QPoint point) {
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) return QStringLiteral("stuck");
    QHelpEvent help(QEvent::ToolTip, point, grid.mapToGlobal(point));
    QApplication::sendEvent(&grid, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

QPoint cellCentre(const CHexGridCtrl& grid, int byte) {
    const HexGridLayout& cells = grid.layout();
    return {cells.hexOffset + (3 * (byte % 16) + 1) * cells.charWidth,
            byte / 16 * cells.lineHeight + cells.lineHeight / 2};
}

QString plain(const char* text) {
    return QStringLiteral("<p style='white-space:pre'>") + QString::fromUtf8(text) +
           QStringLiteral("</p>");
}

}  // namespace

class RegisterToolTipsTest : public QObject {
    Q_OBJECT
  private slots:
    void hoveringAByteShowsItsRegister() {
        testing::SimulatedMachine machine(R"({"pci": {"lspciDump": "capabilities-lspci.txt"}})",
                                          testing::kSourceDir / "tests/data/registers");
        QVERIFY(machine.open());
        PCIRegisterDialog dialog(Language::SimplifiedChinese);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        CHexGridCtrl& grid = dialog.grid();
        QCOMPARE(toolTipAt(grid, cellCentre(grid, 0x0D)),
                 plain("0Dh Latency Timer (1 byte) = 00h"));
        // The second digit, and the space after it, are the same byte's.
        const QString msi = plain(
            "52h MSI Message Control (2 bytes) = 0180h\nin the MSI capability at 50h\n"
            "Enable- Capable=1 Enabled=1 64bit+ Masking+");
        QCOMPARE(toolTipAt(grid, cellCentre(grid, 0x53)), msi);
        QCOMPARE(toolTipAt(grid, cellCentre(grid, 0x53) + QPoint(grid.layout().charWidth, 0)), msi);
        // Left of the cells there is no byte.
        QCOMPARE(toolTipAt(grid, QPoint(0, 2)), QString());

        // The tip follows what the grid shows: the next function's bytes.
        dialog.deviceList().setCurrentRow(3);
        QCOMPARE(toolTipAt(grid, cellCentre(grid, 0x1A)),
                 plain("1Ah Subordinate Bus Number (1 byte) = 05h"));
    }

    void superIoRegistersHaveTheirStandardNames() {
        auto machine = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        QVERIFY(machine->open());
        SuperIORegisterDialog dialog(Language::TraditionalChinese);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(toolTipAt(dialog.grid(), cellCentre(dialog.grid(), 0x61)),
                 plain("60h I/O Base Address 0 (2 bytes) = 03F0h"));
        QCOMPARE(toolTipAt(dialog.grid(), cellCentre(dialog.grid(), 0x70)),
                 plain("70h Interrupt Request Level 0 (1 byte) = 06h\nIRQ=6"));
    }

    void everyTipFitsInsideTheDialogInEachLanguage() {
        testing::SimulatedMachine machine(R"({"pci": {"lspciDump": "capabilities-lspci.txt"}})",
                                          testing::kSourceDir / "tests/data/registers");
        QVERIFY(machine.open());
        const RegisterToolTips tips;
        for (const Language language :
             {Language::English, Language::SimplifiedChinese, Language::TraditionalChinese}) {
            PCIRegisterDialog dialog(language);
            const QFontMetrics metrics(windowFont(language));
            int widest = 0;
            for (const PCIDeviceInfo& record : dialog.records()) {
                for (int offset = 0; offset < 256; ++offset) {
                    for (const QString& line : tips.pciByte(record.Config, offset).split('\n'))
                        widest = std::max(widest, metrics.horizontalAdvance(line));
                }
            }
            QVERIFY2(widest > 0 && widest < dialog.width(),
                     qPrintable(QStringLiteral("%1 of %2 pixels").arg(widest).arg(dialog.width())));
        }
    }
};

QTEST_MAIN(RegisterToolTipsTest)
#include "register_tool_tips_test.moc"
