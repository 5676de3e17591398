// The main window and the program around it: start-up (one copy only, four
// attempts to open the library, the language's templates, the Reminder once
// the window is up), accelerators and menus reaching their commands, tool
// tips, pages and the painted band, and the File and Extra commands run
// offscreen: their dialogs, the files they write and the messages they show.
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "app/pages/about_page.h"
#include "app/pages/ide_page.h"
#include "app/pages/system_page.h"
#include "app/persist/persist_commands.h"
#include "app/persist/system_report.h"
#include "app/shell/band_widget.h"
#include "app/shell/command_ids.h"
#include "app/shell/instance_guard.h"
#include "app/shell/main_app.h"
#include "app/shell/main_window.h"
#include "app/shell/reminder_dialog.h"
#include "app/shell/tooltip_texts.h"
#include "common/pci_config.h"
#include "lib/hw/driver.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/test_driver.h"

using namespace zelkora;
using namespace zelkora::app;

namespace fs = std::filesystem;

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

struct Run {
    MainApp::Outcome outcome;
    QStringList messages;
    int windowsRun = 0;
    int menuId = 0;
    int mainTemplate = 0;
    int systemTemplate = 0;
};

Run startUp(const std::filesystem::path& lockDirectory) {
    Run run{};
    MainApp::Environment environment;
    environment.lockDirectory = lockDirectory;
    environment.showMessage = [&](const QString& text) { run.messages << text; };
    environment.runModal = [](QDialog&) { return 0; };
    MainApp* self = nullptr;
    environment.runMainWindow = [&](MainWindow& window) {
        ++run.windowsRun;
        run.menuId = window.property("menuId").toInt();
        run.mainTemplate = self->templateFor(WindowRole::Main);
        run.systemTemplate = self->templateFor(WindowRole::System);
    };
    MainApp app(environment);
    self = &app;
    run.outcome = app.run();
    return run;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    // The demo board with its clock frozen, open.
    void init() {
        QVERIFY(lockDirectory_.isValid());
        machine_ = std::make_unique<testing::SimulatedMachine>(testing::demoMachine());
        QVERIFY(machine_->open());
    }
    void cleanup() {
        window_.reset();
        machine_.reset();
        if (!folder_.empty()) fs::remove_all(folder_);
    }

    void languageChoosesTemplates_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("mainTemplate");
        QTest::addColumn<int>("menu");
        QTest::addColumn<int>("systemTemplate");
        QTest::newRow("0804h Simplified Chinese") << "\"0x0804\"" << 155 << 157 << 160;
        QTest::newRow("0404h Traditional Chinese") << "\"0x0404\"" << 184 << 181 << 187;
        QTest::newRow("1004h English") << "\"0x1004\"" << 154 << 156 << 161;
        QTest::newRow("no language") << "0" << 154 << 156 << 161;
    }
    void languageChoosesTemplates() {
        QFETCH(QString, language);
        QFETCH(int, mainTemplate);
        QFETCH(int, menu);
        QFETCH(int, systemTemplate);
        testing::SimulatedMachine machine(R"({"system": {"language": )" + language.toStdString() +
                                          "}}");
        const Run run = startUp(lockDirectory_.path().toStdString());
        QCOMPARE(run.outcome, MainApp::Outcome::Ran);
        QVERIFY(run.messages.isEmpty());
        QCOMPARE(run.windowsRun, 1);
        QCOMPARE(run.mainTemplate, mainTemplate);
        QCOMPARE(run.menuId, menu);
        QCOMPARE(run.systemTemplate, systemTemplate);
    }

    void libraryIsOpenedFourTimesBeforeTheError() {
        machine_.reset();  // the library closed, over a driver that never opens
        const auto driver = std::make_shared<testing::TestDriver>();
        driver->refuseOpen = true;
        hw::setDriver(driver);
        const testing::DriverCalls& calls = driver->calls;
        const Run run = startUp(lockDirectory_.path().toStdString());
        hw::setDriver(nullptr);
        QCOMPARE(calls.initialize, 4);
        QCOMPARE(run.outcome, MainApp::Outcome::LibraryError);
        QCOMPARE(run.messages, QStringList{"Initialize Systeminfo library error,please retry!"});
        QCOMPARE(run.windowsRun, 0);
    }

    void secondCopyIsRefusedAndTheFirstKeepsItsLock() {
        const std::filesystem::path directory = lockDirectory_.path().toStdString();
        machine_.reset();  // the library closed, over a driver that never opens
        const auto driver = std::make_shared<testing::TestDriver>();
        driver->refuseOpen = true;
        hw::setDriver(driver);
        const testing::DriverCalls& calls = driver->calls;
        {
            auto first = InstanceGuard::acquire(directory);
            QVERIFY(first);
            const Run run = startUp(directory);
            QCOMPARE(run.outcome, MainApp::Outcome::AlreadyRunning);
            QCOMPARE(run.messages, QStringList{"Application already running!"});
            QCOMPARE(calls.initialize, 0);
            QVERIFY2(!InstanceGuard::acquire(directory), "the first copy still holds the lock");
        }
        hw::setDriver(nullptr);
        QVERIFY2(InstanceGuard::acquire(directory), "released when the first copy ends");
    }

    void lockFolderIsUsedOnlyWhenItIsTheUsersAlone() {
        const std::filesystem::path base = lockDirectory_.path().toStdString();
        const auto refused = [](const std::filesystem::path& folder) {
            auto first = InstanceGuard::acquire(folder);
            return first && InstanceGuard::acquire(folder) &&
                   !std::filesystem::exists(folder / InstanceGuard::kInstanceName);
        };
        std::filesystem::create_directory(base / "shared");
        ::chmod((base / "shared").c_str(), 01777);
        QVERIFY2(refused(base / "shared"), "a folder others may write to");
        std::filesystem::create_directory(base / "theirs");
        if (::chown((base / "theirs").c_str(), 65534, 65534) == 0) {
            QVERIFY2(refused(base / "theirs"), "a folder of another user");
        }
        QVERIFY2(!refused(base / "mine"), "a folder made for the user is used");
    }

    void reminderComesUpOnceOverTheAboutPage() {
        auto machine = testing::SimulatedMachine::fromFile(testing::kMachinesDir / "demo.json");
        int reminders = 0;
        bool windowVisibleBeneath = false;
        bool aboutVisibleBeneath = false;
        QString caption;
        MainApp::Environment environment;
        environment.lockDirectory = lockDirectory_.path().toStdString();
        environment.showMessage = [](const QString&) {};
        environment.runMainWindow = [&](MainWindow& window) {
            window.show();
            QTest::qWait(50);
            QCOMPARE(window.currentPage(), MainWindow::Page::About);
            QVERIFY(hw::hardwareReady());
            QVERIFY(window.aboutPage().isVisible());
        };
        environment.runModal = [&](QDialog& dialog) {
            ++reminders;
            caption = dialog.windowTitle();
            auto* window = qobject_cast<MainWindow*>(dialog.parentWidget());
            windowVisibleBeneath = window && window->isVisible();
            aboutVisibleBeneath = window && window->aboutPage().isVisible();
            return 0;
        };
        MainApp app(environment);
        QCOMPARE(app.run(), MainApp::Outcome::Ran);
        QCOMPARE(reminders, 1);
        QCOMPARE(caption, QStringLiteral("Reminder"));
        QVERIFY(windowVisibleBeneath);
        QVERIFY(aboutVisibleBeneath);
        QVERIFY2(!hw::hardwareReady(), "the library closes with the main window");
    }

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
        QCOMPARE(window.currentPage(), MainWindow::Page::System);
        QVERIFY(window.systemPage().isVisible() && !window.aboutPage().isVisible());
        QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
        QCOMPARE(pciRuns, 1);
        QCOMPARE(window.currentPage(), MainWindow::Page::System);
        QTest::keyClick(&window, Qt::Key_I, Qt::AltModifier);
        QCOMPARE(window.currentPage(), MainWindow::Page::Ide);
        QVERIFY(window.idePage().isVisible() && !window.systemPage().isVisible());
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saves, 1);
        QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
        QCOMPARE(window.currentPage(), MainWindow::Page::About);
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

    void reportAndPciConfigurationFiles() {
        showWindowWithFileCommands();
        // Before the IDE view was opened the drives come from the library's
        // walk, empty positions as "None"; afterwards from the page's list.
        choose("walk.ini");
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(filters_, QStringList{QStringLiteral("INI Files (*.ini)")});
        QCOMPARE(suffix_, QStringLiteral("ini"));
        QCOMPARE(testing::fileBytes(folder_ / "walk.ini"),
                 testing::fileBytes(testing::kTestData / "demo-report.ini"));

        window_->dispatch(command::kIdeDevice);
        choose("page.ini");
        window_->dispatch(command::kSaveData);
        QVERIFY(persist::writeSystemReport((folder_ / "expected.ini").string(),
                                           window_->idePage().records()));
        const std::string paged = testing::fileBytes(folder_ / "page.ini");
        QCOMPARE(paged, testing::fileBytes(folder_ / "expected.ini"));
        QVERIFY(paged.find("FirmwareRev=None") == std::string::npos);

        cancelNext_ = true;
        window_->dispatch(command::kSaveData);
        QVERIFY(messages_.isEmpty());

        // A folder under the chosen name: the file cannot be written.
        fs::create_directory(folder_ / "taken.ini");
        choose("taken.ini");
        window_->dispatch(command::kSaveData);
        QCOMPARE(messages_.size(), 1);
        QVERIFY(
            messages_.front().contains(QString::fromStdString((folder_ / "taken.ini").string())));

        // Extra: save, edit by hand, load.
        choose("pci.ini");
        window_->dispatch(command::kSavePciConfig);
        std::string edited = testing::fileBytes(folder_ / "pci.ini");
        QCOMPARE(edited, testing::fileBytes(testing::kTestData / "demo-pci.ini"));
        edited.replace(edited.find("Register 04h=06h"), 16, "Register 04h=07h");
        testing::writeBytes(folder_ / "pci.ini", edited);
        choose("pci.ini");
        window_->dispatch(command::kLoadPciConfig);
        common::PortIo& ports = machine_->ports();
        QCOMPARE(int(common::ReadPCIConfigDword(ports, 0, 0, 0, 1) & 0xFF), 0x07);
        QCOMPARE(messages_.size(), 1);
    }

    void windowPicture() {
        showWindowWithFileCommands();
        QGuiApplication::clipboard()->clear();
        window_->dispatch(command::kSaveBitmapToClipboard);
        const QImage copied = QGuiApplication::clipboard()->image();
        // Offscreen there is no frame: the window's own rendering.
        QCOMPARE(copied.size(), window_->size());

        choose("window.bmp");
        window_->dispatch(command::kSaveBitmapToFile);
        QCOMPARE(filters_, QStringList{QStringLiteral("BMP Files (*.bmp)")});
        QCOMPARE(suffix_, QStringLiteral("bmp"));
        const std::string bytes = testing::fileBytes(folder_ / "window.bmp");
        QVERIFY(bytes.size() > 54);
        QCOMPARE(bytes.substr(0, 2), std::string("BM"));
        QCOMPARE(int(bytes[28]), window_->screen()->depth());  // the display's own depth
        const QImage read = QImage::fromData(QByteArray::fromStdString(bytes), "BMP");
        QCOMPARE(read.size(), window_->size());
        QCOMPARE(read.pixel(30, 30), copied.pixel(30, 30));
        QVERIFY(messages_.isEmpty());

        cancelNext_ = true;
        window_->dispatch(command::kSaveBitmapToFile);
        QVERIFY(messages_.isEmpty());

        choose("missing/window.bmp");
        window_->dispatch(command::kSaveBitmapToFile);
        QCOMPARE(messages_, QStringList{QString::fromLatin1(kBmpSaveError)});
    }

  private:
    // The main window with the File and Extra commands, answering its
    // dialogs as the test chose, and a folder for the files.
    void showWindowWithFileCommands() {
        messages_.clear();
        folder_ = testing::scratchPath("persist-commands");
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        CommandHandlers handlers;
        addPersistCommands(handlers);
        window_ = std::make_unique<MainWindow>(Language::English, 0, handlers,
                                               [this](QDialog& dialog) { return answer(dialog); });
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    void choose(const char* name) { next_ = QString::fromStdString((folder_ / name).string()); }

    int answer(QDialog& dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
            filters_ = files->nameFilters();
            suffix_ = files->defaultSuffix();
            if (std::exchange(cancelNext_, false)) return QDialog::Rejected;
            files->selectFile(next_);
            return QDialog::Accepted;
        }
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) messages_ << box->text();
        return 0;
    }

    QTemporaryDir lockDirectory_;
    std::unique_ptr<testing::SimulatedMachine> machine_;
    std::unique_ptr<MainWindow> window_;
    fs::path folder_;
    QString next_;
    bool cancelNext_ = false;
    QStringList filters_;
    QString suffix_;
    QStringList messages_;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
