#include "app/shell/reminder_dialog.h"

#include <QPushButton>

#include "app/pages/translated_texts.h"
#include "app/shell/app_resources.h"
#include "app/shell/fonts.h"
#include "ui_reminder_dialog.h"

namespace zelkora::app {

namespace {

// The Chinese messages have three lines; their fourth stays empty.
constexpr std::array<TranslatedText, 6> kTexts{{
    {"ReminderDialog", {"Reminder", "提醒", "提醒"}},
    {"messageLine1",
     {"This utility will show you some information", "这是一个侦测、报告您机器系统信息的小工具！",
      "這是一個偵測、報告您機器系統資訊的小工具！"}},
    {"messageLine2",
     {"about your system. Because it need access ", "因为它要直接访问硬件，使用之前请关闭其它正",
      "因為它要直接偵測硬體，使用之前請關閉其它正"}},
    {"messageLine3",
     {"hardware directly, please close other running", "在运行的应用程序！！！",
      "在執行的應用程式！！！"}},
    {"messageLine4", {"applications before you use it!", "", ""}},
    {"versionLine", {"Zelkora Ver 1.02", "Zelkora 版本1.02", "Zelkora 版本1.02"}},
}};

}  // namespace

ReminderDialog::ReminderDialog(Language language, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::ReminderDialog>()) {
    loadResources();
    ui_->setupUi(this);
    useWindowFont(*this, language);
    applyTexts(this, kTexts, language);
    setWindowIcon(QIcon(QStringLiteral(":/images/icon-128.png")));
    connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(size());
}

ReminderDialog::~ReminderDialog() = default;

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_reminder_dialog.cpp"
