#include "app/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/controls/control_id.h"
#include "app/pages/about_page.h"
#include "app/pages/ide_page.h"
#include "app/pages/system_page.h"
#include "app/shell/app_resources.h"
#include "app/shell/band_widget.h"
#include "app/shell/command_ids.h"
#include "app/shell/dialog_units.h"
#include "app/shell/fonts.h"
#include "app/shell/reminder_dialog.h"
#include "app/shell/tooltip_texts.h"
#include "app/shell/wait_cursor.h"
#include "app/shell/window_templates.h"
#include "zelkora/sysinfo.h"

namespace zelkora::app {

namespace {

using Texts = std::array<const char*, 3>;

struct MenuItem {
    int commandId;  // 0 opens a sub-menu
    Texts texts;
};

struct MenuPopup {
    Texts title;
    std::vector<MenuItem> items;
};

// Menus 156, 157 and 181: one structure, three languages.
const std::array<MenuPopup, 4>& menuPopups() {
    static const std::array<MenuPopup, 4> popups{{
        {{"&File", "文件(&F)", "檔案(&F)"},
         {{command::kSaveData,
           {"Save Data...\tCtrl+S", "保存数据...\tCtrl+S", "儲存資料...\tCtrl+S"}},
          {0, {"Save Bitmap...", "保存位图...", "圖片儲存..."}},
          {command::kExit, {"Exit\tAlt+F4", "退出\tAlt+F4", "離開\tAlt+F4"}}}},
        {{"&View", "视图(&V)", "檢視(&V)"},
         {{command::kSystem, {"&System\tAlt+S", "系统信息\tAlt+S", "系統資料\tAlt+S"}},
          {command::kIdeDevice, {"&IDE device\tAlt+I", "IDE设备信息\tAlt+I", "IDE裝置資料\tAlt+I"}},
          {command::kPciDevice, {"&PCI device\tAlt+P", "PCI设备信息\tAlt+P", "PCI裝置資料\tAlt+P"}},
          {command::kSuperIo,
           {"&Super-I/O\tAlt+O", "Super-I/O设备信息\tAlt+O", "Super-I/O裝置資料\tAlt+O"}}}},
        {{"&Help", "帮助(&H)", "說明(&H)"},
         {{command::kAbout,
           {"&About Zelkora\tAlt+A", "关于Zelkora\tAlt+A", "關於Zelkora\tAlt+A"}}}},
        {{"&Extra", "附加(&E)", "附加(&E)"},
         {{command::kLoadPciConfig,
           {"Load PCI Manual Config", "载入PCI手动配置", "裝載PCI手動配置"}},
          {command::kSavePciConfig,
           {"Save Current PCI Config", "保存当前PCI配置", "儲存當前PCI配置"}}}},
    }};
    return popups;
}

constexpr std::array<MenuItem, 2> kSaveBitmapItems{{
    {command::kSaveBitmapToClipboard, {"to Clipboard", "至 剪贴板", "複製至剪貼簿"}},
    {command::kSaveBitmapToFile, {"to BMP file", "至 BMP文件", "儲存至BMP檔"}},
}};

// Toolbar 132; 0 is a separator.
constexpr std::array<int, 9> kToolbarButtons{
    command::kExit,      command::kSaveData, 0, command::kSystem, command::kIdeDevice,
    command::kPciDevice, command::kSuperIo,  0, command::kAbout};

struct Accelerator {
    QKeyCombination keys;
    int commandId;
};

// Accelerator table 142, the same in every language.
const std::array<Accelerator, 7> kAccelerators{{
    {Qt::ALT | Qt::Key_A, command::kAbout},
    {Qt::ALT | Qt::Key_I, command::kIdeDevice},
    {Qt::ALT | Qt::Key_O, command::kSuperIo},
    {Qt::ALT | Qt::Key_P, command::kPciDevice},
    {Qt::CTRL | Qt::Key_S, command::kSaveData},
    {Qt::ALT | Qt::Key_S, command::kSystem},
    {Qt::ALT | Qt::Key_F4, command::kExit},
}};

int runWithExec(QDialog& dialog) {
    return dialog.exec();
}

}  // namespace

MainWindow::MainWindow(Language language, uint8_t languageCode, CommandHandlers handlers,
                       ModalRunner runModal, QWidget* parent)
    : QDialog(parent),
      language_(language),
      languageCode_(languageCode),
      handlers_(std::move(handlers)),
      runModal_(runModal ? std::move(runModal) : ModalRunner(&runWithExec)) {
    loadResources();
    setWindowTitle(QString::fromLatin1(kProgramName));
    useWindowFont(*this, language);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/images/icon-128.png")));
    setProperty("templateId", templateId(WindowRole::Main, language));
    setProperty("menuId", menuId(language));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Not resizable: the window takes exactly what its parts need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    buildMenu();
    layout->setMenuBar(menuBar_);
    buildToolBar();
    layout->addWidget(toolBar_);

    auto* body = new QWidget(this);
    body->setFixedSize(dluToPixelsX(kWidthDlu), dluToPixelsY(kHeightDlu));
    layout->addWidget(body);
    band_ = new BandWidget(body);
    band_->setGeometry(0, 0, BandWidget::kWidth, body->height());
    buildPageArea(body);
    buildAccelerators();

    showPage(Page::About);
    // The Reminder comes up once the window is on screen.
    QMetaObject::invokeMethod(this, &MainWindow::showReminder, Qt::QueuedConnection);
}

MainWindow::~MainWindow() {
    UninitializeSysInfoLib();
}

void MainWindow::buildMenu() {
    menuBar_ = new QMenuBar(this);
    auto addItem = [this](QMenu* menu, const MenuItem& item) {
        QAction* action = menu->addAction(QString::fromUtf8(inLanguage(item.texts, language_)));
        action->setData(item.commandId);
        connect(action, &QAction::triggered, this, [this, id = item.commandId] { dispatch(id); });
    };
    for (const auto& popup : menuPopups()) {
        QMenu* menu = menuBar_->addMenu(QString::fromUtf8(inLanguage(popup.title, language_)));
        for (const auto& item : popup.items) {
            if (item.commandId != 0) {
                addItem(menu, item);
                continue;
            }
            QMenu* sub = menu->addMenu(QString::fromUtf8(inLanguage(item.texts, language_)));
            for (const auto& subItem : kSaveBitmapItems)
                addItem(sub, subItem);
        }
    }
}

void MainWindow::buildToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setProperty(kControlIdProperty, command::kToolbarResource);
    toolBar_->setIconSize(QSize(21, 21));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setStyleSheet(QStringLiteral("QToolBar { border-bottom: 1px solid palette(mid); }"));
    for (int id : kToolbarButtons) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = toolBar_->addAction(
            QIcon(QStringLiteral(":/images/toolbar-%1.png").arg(id)), QString());
        action->setData(id);
        action->setToolTip(toolTipText(id, languageCode_));
        connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
    }
}

void MainWindow::buildAccelerators() {
    for (const auto& accelerator : kAccelerators) {
        auto* shortcut = new QShortcut(QKeySequence(accelerator.keys), this);
        shortcut->setProperty("commandId", accelerator.commandId);
        connect(shortcut, &QShortcut::activated, this,
                [this, id = accelerator.commandId] { dispatch(id); });
    }
}

void MainWindow::buildPageArea(QWidget* body) {
    const QRect placeholder(dluToPixelsX(kPlaceholderX), dluToPixelsY(kPlaceholderY),
                            dluToPixelsX(kPlaceholderWidth), dluToPixelsY(kPlaceholderHeight));
    auto* marker = new QWidget(body);
    marker->setProperty(kControlIdProperty, command::kPagePlaceholder);
    marker->setGeometry(placeholder);
    marker->hide();

    aboutPage_ = new AboutPage(language_, body);
    systemPage_ = new SystemPage(language_, body);
    idePage_ = new IdePage(language_, body);
    pages_ = {aboutPage_, systemPage_, idePage_};
    for (QWidget* page : pages_) {
        page->setGeometry(placeholder.adjusted(2, 2, -2, -2));
        page->hide();
    }
}

void MainWindow::showPage(Page page) {
    for (QWidget* each : pages_)
        each->hide();
    currentPage_ = page;
    pages_[static_cast<std::size_t>(page)]->show();
    if (page == Page::About) return;
    WaitCursor wait;
    if (page == Page::System) {
        systemPage_->fill();
    } else {
        idePage_->refresh();
    }
}

void MainWindow::showCurrentPageAgain() {
    for (QWidget* each : pages_)
        each->hide();
    pages_[static_cast<std::size_t>(currentPage_)]->show();
}

void MainWindow::runHandler(const CommandHandlers::Handler& handler) {
    if (handler) handler(*this);
}

void MainWindow::dispatch(int commandId) {
    switch (commandId) {
        case command::kAbout:
            showPage(Page::About);
            break;
        case command::kSystem:
            showPage(Page::System);
            break;
        case command::kIdeDevice:
            showPage(Page::Ide);
            break;
        case command::kPciDevice:
            showCurrentPageAgain();
            runHandler(handlers_.pciDevice);
            break;
        case command::kSuperIo:
            showCurrentPageAgain();
            runHandler(handlers_.superIo);
            break;
        case command::kSaveData:
            runHandler(handlers_.saveData);
            break;
        case command::kSaveBitmapToClipboard:
            runHandler(handlers_.saveBitmapToClipboard);
            break;
        case command::kSaveBitmapToFile:
            runHandler(handlers_.saveBitmapToFile);
            break;
        case command::kSavePciConfig:
            runHandler(handlers_.savePciConfig);
            break;
        case command::kLoadPciConfig:
            runHandler(handlers_.loadPciConfig);
            break;
        case command::kExit:
            accept();
            break;
        default:
            break;
    }
}

void MainWindow::showReminder() {
    ReminderDialog reminder(language_, this);
    runModal_(reminder);
}

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_main_window.cpp"
