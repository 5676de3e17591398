#include "app/persist/persist_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>

#include "app/app_info.h"
#include "app/pages/ide_page.h"
#include "app/persist/bmp_file.h"
#include "app/persist/library_ports.h"
#include "app/persist/pci_config_file.h"
#include "app/persist/system_report.h"
#include "app/persist/window_capture.h"
#include "app/shell/main_window.h"
#include "app/shell/wait_cursor.h"

namespace zelkora::app {

namespace {

enum class FileKind { Ini, Bmp };

// One filter, its default extension, no initial name; a save asks before
// it replaces a file, an open takes a name that does not exist yet. Empty
// when the user cancels.
QString chooseFile(MainWindow& window, FileKind kind, QFileDialog::AcceptMode mode) {
    const bool ini = kind == FileKind::Ini;
    QFileDialog dialog(&window);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(ini ? QStringLiteral("INI Files (*.ini)")
                             : QStringLiteral("BMP Files (*.bmp)"));
    dialog.setDefaultSuffix(ini ? QStringLiteral("ini") : QStringLiteral("bmp"));
    if (window.modalRunner()(dialog) != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
}

void showMessage(MainWindow& window, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kProgramName), text, QMessageBox::Ok,
                    &window);
    window.modalRunner()(box);
}

// A file that could not be written, named in the window's language.
void reportUnwritten(MainWindow& window, const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    switch (window.language()) {
        case Language::SimplifiedChinese:
            showMessage(window, QStringLiteral("无法写入文件 %1。").arg(native));
            break;
        case Language::TraditionalChinese:
            showMessage(window, QStringLiteral("無法寫入檔案 %1。").arg(native));
            break;
        default:
            showMessage(window, QStringLiteral("The file %1 could not be written.").arg(native));
            break;
    }
}

// A load whose writes the driver refused is never left to look done.
void reportRefusedWrites(MainWindow& window, std::size_t refused) {
    const QString count = QString::number(refused);
    switch (window.language()) {
        case Language::SimplifiedChinese:
            showMessage(
                window,
                QStringLiteral("驱动拒绝写入 %1 个寄存器，PCI 配置未完全载入。").arg(count));
            break;
        case Language::TraditionalChinese:
            showMessage(
                window,
                QStringLiteral("驅動程式拒絕寫入 %1 個暫存器，PCI 設定未完全載入。").arg(count));
            break;
        default:
            showMessage(window, QStringLiteral("The driver refused to write %1 registers; the PCI "
                                               "configuration was not loaded completely.")
                                    .arg(count));
            break;
    }
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

int displayDepth(MainWindow& window) {
    const QScreen* screen = window.screen();
    return screen ? screen->depth() : 32;
}

}  // namespace

void addPersistCommands(CommandHandlers& handlers) {
    handlers.saveData = saveSystemReport;
    handlers.saveBitmapToClipboard = copyWindowToClipboard;
    handlers.saveBitmapToFile = saveWindowAsBmp;
    handlers.savePciConfig = savePciConfiguration;
    handlers.loadPciConfig = loadPciConfiguration;
}

void saveSystemReport(MainWindow& window) {
    const QString path = chooseFile(window, FileKind::Ini, QFileDialog::AcceptSave);
    if (path.isEmpty()) return;
    bool written = false;
    {
        WaitCursor wait;
        written = persist::writeSystemReport(localPath(path), window.idePage().records());
    }
    if (!written) reportUnwritten(window, path);
}

void copyWindowToClipboard(MainWindow& window) {
    const QImage picture = captureWindow(window);
    if (!picture.isNull()) QGuiApplication::clipboard()->setImage(picture);
}

void saveWindowAsBmp(MainWindow& window) {
    // The picture is taken first, so the file dialog is not in it.
    const std::optional<persist::PixelImage> pixels =
        pixelImage(captureWindow(window), displayDepth(window));
    const std::optional<std::vector<uint8_t>> block =
        pixels ? persist::makeDeviceIndependentImage(*pixels) : std::nullopt;
    const QString path = chooseFile(window, FileKind::Bmp, QFileDialog::AcceptSave);
    if (path.isEmpty()) return;
    if (!block || !persist::writeBmpFile(localPath(path), *block)) {
        showMessage(window, QString::fromLatin1(kBmpSaveError));
    }
}

void savePciConfiguration(MainWindow& window) {
    const QString path = chooseFile(window, FileKind::Ini, QFileDialog::AcceptSave);
    if (path.isEmpty()) return;
    bool written = false;
    {
        WaitCursor wait;
        const std::vector<persist::PciFunction> functions = persist::walkPciFunctions();
        // With no function walked the file is left alone.
        if (functions.empty()) return;
        persist::LibraryPorts ports;
        written = persist::savePciConfig(localPath(path), functions, ports);
    }
    if (!written) reportUnwritten(window, path);
}

void loadPciConfiguration(MainWindow& window) {
    const QString path = chooseFile(window, FileKind::Ini, QFileDialog::AcceptOpen);
    if (path.isEmpty()) return;
    std::size_t refused = 0;
    {
        WaitCursor wait;
        const std::vector<persist::PciFunction> functions = persist::walkPciFunctions();
        persist::LibraryPorts ports;
        refused = persist::applyPciLoad(persist::planPciLoad(localPath(path), functions), ports);
    }
    if (refused > 0) reportRefusedWrites(window, refused);
}

}  // namespace zelkora::app
