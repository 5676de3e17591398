// Start-up: one copy only, four attempts to open the library, the language's
// templates, and the Reminder once the main window is up.
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "app/pages/about_page.h"
#include "app/shell/instance_guard.h"
#include "app/shell/main_app.h"
#include "app/shell/main_window.h"
#include "app/shell/reminder_dialog.h"
#include "lib/hw/driver.h"
#include "tests/support/counting_driver.h"
#include "tests/support/simulated_machine.h"

using namespace zelkora;
using namespace zelkora::app;

namespace {

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

class MainAppTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { QVERIFY(lockDirectory_.isValid()); }

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
        testing::DriverCalls calls;
        hw::setDriver(std::make_unique<testing::CountingDriver>(calls, false));
        const Run run = startUp(lockDirectory_.path().toStdString());
        hw::setDriver(nullptr);
        QCOMPARE(calls.initialize, 4);
        QCOMPARE(run.outcome, MainApp::Outcome::LibraryError);
        QCOMPARE(run.messages, QStringList{"Initialize Systeminfo library error,please retry!"});
        QCOMPARE(run.windowsRun, 0);
    }

    void secondCopyIsRefusedAndTheFirstKeepsItsLock() {
        const std::filesystem::path directory = lockDirectory_.path().toStdString();
        testing::DriverCalls calls;
        hw::setDriver(std::make_unique<testing::CountingDriver>(calls, false));
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
            QCOMPARE(window.currentPage(), MainWindow::kAboutPage);
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

  private:
    QTemporaryDir lockDirectory_;
};

QTEST_MAIN(MainAppTest)
#include "main_app_test.moc"
