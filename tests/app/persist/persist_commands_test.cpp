// The File and Extra commands over the main window, run offscreen: their
// dialogs, the files they write and the messages they show.
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

#include "app/pages/ide_page.h"
#include "app/persist/persist_commands.h"
#include "app/persist/system_report.h"
#include "app/shell/command_ids.h"
#include "app/shell/main_window.h"
#include "common/pci_config.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/board_ports.h"
#include "tests/support/scratch_path.h"

using namespace zelkora;
using namespace zelkora::app;

namespace fs = std::filesystem;

class PersistCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        machine_ = std::make_unique<testing::SimulatedMachine>(testing::demoMachine());
        QVERIFY(machine_->open());
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
    void cleanup() {
        window_.reset();
        machine_.reset();
        fs::remove_all(folder_);
    }

    void reportAndPciConfigurationFiles() {
        // Before the IDE view was opened the drives come from the library's
        // walk, empty positions as "None"; afterwards from the page's list.
        choose("walk.ini");
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(filters_, QStringList{QStringLiteral("INI Files (*.ini)")});
        QCOMPARE(suffix_, QStringLiteral("ini"));
        const std::string walked = testing::fileBytes(folder_ / "walk.ini");
        QVERIFY(persist::writeSystemReport((folder_ / "expected.ini").string(), {}));
        QCOMPARE(walked, testing::fileBytes(folder_ / "expected.ini"));
        QVERIFY(walked.find("[Primary Slaver]\nFirmwareRev=None\n") != std::string::npos);

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
        const std::string saved = testing::fileBytes(folder_ / "pci.ini");
        QVERIFY(saved.find("Bus00 Dev00 Fun00 Register 04h=06h\n") != std::string::npos);
        std::string edited = saved;
        edited.replace(edited.find("Register 04h=06h"), 16, "Register 04h=07h");
        testing::writeBytes(folder_ / "pci.ini", edited);
        choose("pci.ini");
        window_->dispatch(command::kLoadPciConfig);
        testing::BoardPorts ports(machine_->board());
        QCOMPARE(int(common::ReadPCIConfigDword(ports, 0, 0, 0, 1) & 0xFF), 0x07);
        QCOMPARE(messages_.size(), 1);
    }

    void windowPicture() {
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

    std::unique_ptr<testing::SimulatedMachine> machine_;
    std::unique_ptr<MainWindow> window_;
    fs::path folder_;
    QString next_;
    bool cancelNext_ = false;
    QStringList filters_;
    QString suffix_;
    QStringList messages_;
};

QTEST_MAIN(PersistCommandsTest)
#include "persist_commands_test.moc"
