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
#include "app/shell/language.h"
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

// One message by the window's language: English, Simplified, Traditional;
// %1 and %2 are filled in.
void showTranslated(MainWindow& window, std::array<const char*, 3> texts, const QString& first,
                    const QString& second = {}) {
    QString text = QString::fromUtf8(inLanguage(texts, window.language())).arg(first);
    if (text.contains(QStringLiteral("%2"))) text = text.arg(second);
    showMessage(window, text);
}

// A file that could not be written, named with the reason.
void reportUnwritten(MainWindow& window, const QString& path, const std::string& reason) {
    showTranslated(
        window,
        {"The file %1 could not be written: %2.", "无法写入文件 %1：%2。", "無法寫入檔案 %1：%2。"},
        QDir::toNativeSeparators(path), QString::fromLocal8Bit(reason.c_str()));
}

// A load whose writes the driver refused is never left to look done.
void reportRefusedWrites(MainWindow& window, std::size_t refused) {
    showTranslated(window,
                   {"The driver refused to write %1 registers; the PCI configuration was not "
                    "loaded completely.",
                    "驱动拒绝写入 %1 个寄存器，PCI 配置未完全载入。",
                    "驅動程式拒絕寫入 %1 個暫存器，PCI 設定未完全載入。"},
                   QString::number(refused));
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
    std::string problem;
    {
        WaitCursor wait;
        written = persist::writeSystemReport(localPath(path), window.idePage().records(), &problem);
    }
    if (!written) reportUnwritten(window, path, problem);
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
    persist::PciSaveProblem problem;
    {
        WaitCursor wait;
        const std::vector<persist::PciFunction> functions = persist::walkPciFunctions();
        // With no function walked the file is left alone.
        if (functions.empty()) return;
        persist::LibraryPorts ports;
        written = persist::savePciConfig(localPath(path), functions, ports, &problem);
    }
    if (written) return;
    if (const auto& function = problem.unreadFunction) {
        // FFh in place of refused bytes would be loaded back as values.
        showTranslated(window,
                       {"Bytes %1 of %2 could not be read (only root may read them); nothing was "
                        "saved.",
                        "无法读取 %2 的字节 %1（仅 root 可读取），未保存任何内容。",
                        "無法讀取 %2 的位元組 %1（僅 root 可讀取），未儲存任何內容。"},
                       QString::fromStdString(problem.unreadBytes),
                       QString::fromStdString(persist::functionName(*function)));
        return;
    }
    reportUnwritten(window, path, problem.fileProblem);
}

void loadPciConfiguration(MainWindow& window) {
    const QString path = chooseFile(window, FileKind::Ini, QFileDialog::AcceptOpen);
    if (path.isEmpty()) return;
    std::size_t refused = 0;
    std::vector<persist::RegisterWrite> writes;
    std::string problem;
    {
        WaitCursor wait;
        const std::vector<persist::PciFunction> functions = persist::walkPciFunctions();
        persist::PciLoadNotes notes;
        writes = persist::planPciLoad(localPath(path), functions, &notes);
        problem = notes.readProblem;
        persist::LibraryPorts ports;
        refused = persist::applyPciLoad(writes, ports);
    }
    const QString native = QDir::toNativeSeparators(path);
    if (!problem.empty()) {
        showTranslated(window,
                       {"The file %1 could not be read: %2.", "无法读取文件 %1：%2。",
                        "無法讀取檔案 %1：%2。"},
                       native, QString::fromLocal8Bit(problem.c_str()));
    } else if (writes.empty()) {
        showTranslated(window,
                       {"Nothing in %1 applies to this machine; nothing was written.",
                        "%1 中没有适用于本机的内容，未写入任何寄存器。",
                        "%1 中沒有適用於本機的內容，未寫入任何暫存器。"},
                       native);
    } else if (refused > 0) {
        reportRefusedWrites(window, refused);
    }
}

}  // namespace zelkora::app
