// Writes the screenshots of docs/screenshots when ZELKORA_SCREENSHOT_DIR names
// a folder (scripts/screenshots.sh); skipped otherwise. Each run takes the
// windows of the language of its own locale (zh_CN, zh_TW, anything else
// English), as a user of that language sees them.
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QtTest>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/editors/editor_commands.h"
#include "app/editors/hex_grid_ctrl.h"
#include "app/editors/pci_register_dialog.h"
#include "app/editors/superio_register_dialog.h"
#include "app/shell/command_ids.h"
#include "app/shell/main_window.h"
#include "app/shell/reminder_dialog.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

class Screenshots : public QObject {
    Q_OBJECT
  private slots:
    void everyPageInEveryLanguage();
};

namespace {

// The demo board with another system language.
std::string demoWithLanguage(const char* languageId) {
    std::ifstream file(testing::kMachinesDir / "demo.json");
    nlohmann::json machine = nlohmann::json::parse(file);
    machine["system"]["language"] = languageId;
    return machine.dump();
}

void save(const QPixmap& picture, const QString& directory, const QString& name) {
    QVERIFY(picture.save(QDir(directory).filePath(name + QStringLiteral(".png"))));
}

// The PCI dialog on the graphics card with the pointer resting on its power
// management capability: the dialog with the tool tip drawn where it shows.
QPixmap pciToolTip(PCIRegisterDialog& dialog) {
    dialog.deviceList().setCurrentRow(dialog.deviceList().count() - 1);
    CHexGridCtrl& grid = dialog.grid();
    const HexGridLayout& cells = grid.layout();
    const int byte = 0x62;
    const QPoint point(cells.hexOffset + (3 * (byte % 16) + 1) * cells.charWidth,
                       byte / 16 * cells.lineHeight + cells.lineHeight / 2);
    // The pointer rests there, so that the tip stays up.
    QCursor::setPos(grid.mapToGlobal(point));
    QTest::qWait(100);
    QHelpEvent hover(QEvent::ToolTip, point, grid.mapToGlobal(point));
    QApplication::sendEvent(&grid, &hover);
    QTest::qWait(300);
    QPixmap shot = dialog.grab();
    QPainter painter(&shot);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->inherits("QTipLabel") && window->isVisible())
            painter.drawPixmap(window->pos() - dialog.mapToGlobal(QPoint(0, 0)), window->grab());
    }
    return shot;
}

}  // namespace

void Screenshots::everyPageInEveryLanguage() {
    const QString directory = qEnvironmentVariable("ZELKORA_SCREENSHOT_DIR");
    if (directory.isEmpty()) QSKIP("ZELKORA_SCREENSHOT_DIR is not set");
    struct Shot {
        const char* languageId;
        uint8_t code;
        Language language;
        const char* suffix;
    };
    const Shot shots[] = {{"0x0409", 0, Language::English, "en"},
                          {"0x0804", 1, Language::SimplifiedChinese, "zh-CN"},
                          {"0x0404", 2, Language::TraditionalChinese, "zh-TW"}};
    const QString locale = QLocale::system().name();
    for (const Shot& shot : shots) {
        const bool ofThisLocale =
            shot.language == Language::English
                ? !locale.startsWith(QStringLiteral("zh_"))
                : locale == QString::fromLatin1(shot.suffix).replace('-', '_');
        if (!ofThisLocale) continue;
        testing::SimulatedMachine machine(demoWithLanguage(shot.languageId));
        QVERIFY(machine.open());
        ReminderDialog* reminder = nullptr;
        CommandHandlers handlers;
        addEditorCommands(handlers);
        MainWindow window(shot.language, shot.code, handlers, [&](QDialog& dialog) {
            dialog.show();
            QTest::qWait(300);
            const QString suffix = QString::fromLatin1(shot.suffix);
            // The register dialogs with the caret on the first byte.
            if (qobject_cast<PCIRegisterDialog*>(&dialog) ||
                qobject_cast<SuperIORegisterDialog*>(&dialog)) {
                const bool pci = qobject_cast<PCIRegisterDialog*>(&dialog) != nullptr;
                save(dialog.grab(), directory,
                     (pci ? QStringLiteral("pci-device-") : QStringLiteral("superio-")) + suffix);
                if (auto* pciDialog = qobject_cast<PCIRegisterDialog*>(&dialog))
                    save(pciToolTip(*pciDialog), directory,
                         QStringLiteral("pci-tooltip-") + suffix);
                return 0;
            }
            reminder = qobject_cast<ReminderDialog*>(&dialog);
            save(dialog.grab(), directory, QStringLiteral("reminder-") + suffix);
            // With a real screen, the start as a user sees it: the Reminder
            // over the About page.
            if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
                const QRect area = window.frameGeometry().united(dialog.frameGeometry());
                save(QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(),
                                                                  area.width(), area.height()),
                     directory, QStringLiteral("start-") + suffix);
            }
            return 0;
        });
        window.move(20, 20);
        window.show();
        QTest::qWait(500);
        QVERIFY(reminder);
        const QString suffix = QString::fromLatin1(shot.suffix);
        save(window.grab(), directory, QStringLiteral("about-") + suffix);
        window.dispatch(command::kSystem);
        QTest::qWait(100);
        save(window.grab(), directory, QStringLiteral("system-") + suffix);
        window.dispatch(command::kIdeDevice);
        QTest::qWait(100);
        save(window.grab(), directory, QStringLiteral("ide-") + suffix);
        window.dispatch(command::kPciDevice);
        window.dispatch(command::kSuperIo);
    }
}

QTEST_MAIN(Screenshots)
#include "screenshots.moc"
