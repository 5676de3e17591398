// The main window: accelerators and menu reaching their commands, toolbar
// tooltips, page switching and the painted band.
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QtTest>

#include "app/pages/about_page.h"
#include "app/pages/ide_page.h"
#include "app/pages/system_page.h"
#include "app/shell/band_widget.h"
#include "app/shell/command_ids.h"
#include "app/shell/main_window.h"
#include "app/shell/tooltip_texts.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

namespace {

ModalRunner dontBlock() {
    return [](QDialog&) { return 0; };
}

QList<QAction*> menuCommands(QMenuBar& bar) {
    QList<QAction*> commands;
    for (QMenu* menu : bar.findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (!action->menu() && action->data().isValid()) commands << action;
        }
    }
    return commands;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        machine_ = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        QVERIFY(machine_->open());
    }
    void cleanup() { machine_.reset(); }

    void acceleratorsReachTheirCommands() {
        int pciRuns = 0, saves = 0;
        CommandHandlers handlers;
        MainWindow* self = nullptr;
        handlers.pciDevice = [&](MainWindow& window) {
            ++pciRuns;
            QVERIFY(self == &window);
            QVERIFY2(window.systemPage().isVisible(), "the current page stays beneath");
        };
        handlers.saveData = [&](MainWindow&) { ++saves; };
        MainWindow window(Language::English, 0, handlers, dontBlock());
        self = &window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(window.currentPage(), MainWindow::kSystemPage);
        QVERIFY(window.systemPage().isVisible() && !window.aboutPage().isVisible());
        QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
        QCOMPARE(pciRuns, 1);
        QCOMPARE(window.currentPage(), MainWindow::kSystemPage);
        QTest::keyClick(&window, Qt::Key_I, Qt::AltModifier);
        QCOMPARE(window.currentPage(), MainWindow::kIdePage);
        QVERIFY(window.idePage().isVisible() && !window.systemPage().isVisible());
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saves, 1);
        QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
        QCOMPARE(window.currentPage(), MainWindow::kAboutPage);
        QTest::keyClick(&window, Qt::Key_F4, Qt::AltModifier);
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }

    void menuCarriesEveryCommandInTheLanguage() {
        int bitmapFiles = 0;
        CommandHandlers handlers;
        handlers.saveBitmapToFile = [&](MainWindow&) { ++bitmapFiles; };
        MainWindow window(Language::TraditionalChinese, 2, handlers, dontBlock());
        QCOMPARE(window.property("menuId").toInt(), 181);
        QStringList titles;
        for (QAction* popup : window.menuBar().actions())
            titles << popup->text();
        QCOMPARE(titles, (QStringList{"檔案(&F)", "檢視(&V)", "說明(&H)", "附加(&E)"}));

        QMap<int, QString> texts;
        for (QAction* action : menuCommands(window.menuBar())) {
            texts[action->data().toInt()] = action->text();
        }
        QCOMPARE(texts.size(), 11);
        QCOMPARE(texts[command::kSystem], QStringLiteral("系統資料\tAlt+S"));
        QCOMPARE(texts[command::kSaveBitmapToFile], QStringLiteral("儲存至BMP檔"));
        QCOMPARE(texts[command::kLoadPciConfig], QStringLiteral("裝載PCI手動配置"));
        for (QAction* action : menuCommands(window.menuBar())) {
            if (action->data().toInt() == command::kSaveBitmapToFile) action->trigger();
        }
        QCOMPARE(bitmapFiles, 1);
    }

    void toolTipsFollowTheLanguageCode() {
        // An unknown language code falls back to English; a menu-only command has none.
        const QStringList tips{
            toolTipText(command::kSystem, 0), toolTipText(command::kSystem, 1),
            toolTipText(command::kSystem, 2), toolTipText(command::kSystem, 7),
            toolTipText(command::kAbout, 1),  toolTipText(command::kSaveBitmapToFile, 0)};
        QCOMPARE(tips,
                 (QStringList{"System Info...(Alt+S)", "系统信息...(Alt+S)", "系統資料...(Alt+S)",
                              "System Info...(Alt+S)", "关于Zelkora...(Alt+A)", ""}));

        MainWindow window(Language::English, 2, {}, dontBlock());
        QList<int> buttons;
        for (QAction* action : window.toolBar().actions()) {
            buttons << (action->isSeparator() ? 0 : action->data().toInt());
            if (!action->isSeparator()) {
                QCOMPARE(action->toolTip(), toolTipText(action->data().toInt(), 2));
            }
        }
        QCOMPARE(buttons, (QList<int>{32772, 32771, 0, 32778, 32781, 32780, 32788, 0, 32784}));
    }

    void bandIsAGradientFromTealAtTheBottomToNavyAtTheTop() {
        QCOMPARE(bandStepColor(0), QColor(0, 128, 128));
        QCOMPARE(bandStepColor(32), QColor(0, 64, 128));
        QCOMPARE(bandStepColor(63), QColor(0, 2, 128));  // one step short of the end colour

        MainWindow window(Language::English, 0, {}, dontBlock());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.band().width(), 25);
        const QImage band = window.band().grab().toImage();
        // Inside the 3-D frame, left of the upright text.
        QCOMPARE(band.pixelColor(2, 1), QColor(0, 2, 128));
        QCOMPARE(band.pixelColor(2, band.height() - 2), QColor(0, 128, 128));
        int white = 0;
        for (int y = band.height() / 2; y < band.height(); ++y) {
            for (int x = 5; x < 22; ++x)
                white += band.pixelColor(x, y) == Qt::white;
        }
        QVERIFY2(white > 50, "the maker's name is drawn near the bottom");
    }

    void windowHasAFixedSizeWithPagesBelowTheToolbar() {
        MainWindow window(Language::English, 0, {}, dontBlock());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(window.windowTitle(), QStringLiteral("Zelkora"));
        const QPoint pageTop = window.aboutPage().mapTo(&window, QPoint(0, 0));
        QVERIFY(pageTop.y() >= window.toolBar().geometry().bottom());
        QCOMPARE(window.aboutPage().size(), QSize(392, 449));
    }

  private:
    std::unique_ptr<testing::SimulatedMachine> machine_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
