#include "app/editors/register_dialog.h"

#include <array>

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/controls/control_id.h"
#include "app/editors/hex_grid_ctrl.h"
#include "app/editors/hex_grid_painter.h"
#include "app/shell/control_ids.h"
#include "common/pci_config.h"

namespace zelkora::app {

namespace {

constexpr int kBytesPerRow = 16;
constexpr int kLabelGap = 2;
const QString kNone = QStringLiteral("-");

// The notice line's texts by language (English, Simplified, Traditional),
// in the order of RegisterDialog::Notice after None.
constexpr std::array<std::array<const char*, 3>, 5> kNotices{{
    {"The driver refused the write; Refresh shows the device's true contents.",
     "驱动程序拒绝了写入，刷新可显示设备的实际内容。",
     "驅動程式拒絕了寫入，刷新可顯示裝置的實際內容。"},
    {"Chip %1 at port %2 is not in the chip file: registers 00h-2Fh, never written.",
     "芯片 %1（端口 %2）不在芯片文件中：显示寄存器 00h-2Fh，从不写入。",
     "芯片 %1（連接埠 %2）不在芯片檔案中：顯示寄存器 00h-2Fh，從不寫入。"},
    {"Bytes %1 could not be read (only root may read them); they show FFh.",
     "无法读取字节 %1（仅 root 可读取），显示为 FFh。",
     "無法讀取位元組 %1（僅 root 可讀取），顯示為 FFh。"},
    {"No Super-I/O chip can be reached without raw port access (root, ZELKORA_RAW_PORTS=1).",
     "没有原始端口访问权限，无法访问 Super-I/O 芯片（root，ZELKORA_RAW_PORTS=1）。",
     "沒有原始連接埠存取權限，無法存取 Super-I/O 芯片（root，ZELKORA_RAW_PORTS=1）。"},
    {"No Super-I/O chip answered on ports 2Eh, 4Eh, 370h or 3F0h.",
     "端口 2Eh、4Eh、370h 和 3F0h 上没有 Super-I/O 芯片应答。",
     "連接埠 2Eh、4Eh、370h 和 3F0h 上沒有 Super-I/O 芯片回應。"},
}};

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

QString hexByteText(unsigned value) {
    return QStringLiteral("%1").arg(value & 0xFFu, 2, 16, QLatin1Char('0')).toUpper() +
           QLatin1Char('h');
}

QString hexWordText(unsigned value) {
    return QStringLiteral("%1").arg(value & 0xFFFFu, 4, 16, QLatin1Char('0')).toUpper() +
           QLatin1Char('h');
}

QString hexDwordText(uint32_t value) {
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper() + QLatin1Char('h');
}

RegisterDialog::RegisterDialog(Language language, QWidget* parent)
    : QDialog(parent), language_(language) {}

void RegisterDialog::attachForm(int listId, int gridId) {
    list_ = control<QListWidget>(this, listId);
    grid_ = control<CHexGridCtrl>(this, gridId);
    notice_ = findChild<QLabel*>(QStringLiteral("noticeLabel"));
    Q_ASSERT(list_ && grid_ && notice_);
    notice_->setWordWrap(true);
    placeGridLabels(grid_->parentWidget());

    // Click or arrow key in the list; the hidden Cancel button does the same.
    connect(list_, &QListWidget::currentRowChanged, this, [this] { selectionChanged(); });
    connect(control<QPushButton>(this, register_control::kHiddenCancel), &QPushButton::clicked,
            this, [this] { selectionChanged(); });
    for (int id : {register_control::kRefresh, register_control::kHiddenChange}) {
        connect(control<QPushButton>(this, id), &QPushButton::clicked, this, [this] { refresh(); });
    }

    grid_->setByteToolTip([this](int offset) { return byteToolTip(offset); });

    // Direct connections: a write has reached the device before the grid
    // takes the next input.
    connect(
        grid_, &CHexGridCtrl::HexNotifyPosition, this,
        [this](int position) {
            if (!grid_->data().empty())
                setField(register_control::kCurrentOffset, hexByteText(position));
        },
        Qt::DirectConnection);
    connect(
        grid_, &CHexGridCtrl::HexNotifyOffset, this,
        [this](int offset) {
            pendingOffset_ = offset;
            setField(register_control::kPendingOffset, hexByteText(offset));
        },
        Qt::DirectConnection);
    connect(
        grid_, &CHexGridCtrl::HexNotifyValue, this,
        [this](int value) {
            setField(register_control::kPendingValue, hexByteText(value));
            writePending(static_cast<uint8_t>(pendingOffset_), static_cast<uint8_t>(value));
        },
        Qt::DirectConnection);
}

void RegisterDialog::placeGridLabels(QWidget* area) {
    grid_->SetBytesPerRow(kBytesPerRow);
    grid_->SetColumns(true, true, false, false);
    const QFont font = hexGridFont();
    const HexGridLayout& cells = grid_->layout();
    const int cw = cells.charWidth;
    const int lh = cells.lineHeight;
    auto addLabel = [&](const QString& text, QRect where) {
        auto* label = new QLabel(text, area);
        label->setFont(font);
        label->setGeometry(where);
    };
    const QPoint origin(4 * cw, lh + kLabelGap);
    const QSize gridSize(cells.hexOffset + 3 * kBytesPerRow * cw - cw, kBytesPerRow * lh);
    grid_->setGeometry(QRect(origin, gridSize));
    // Each label takes its whole cell, digits and the space after them, so that
    // a face a pixel wider than the grid's cell still shows both digits.
    addLabel(QStringLiteral("Reg"), QRect(0, 0, origin.x(), lh));
    for (int i = 0; i < kBytesPerRow; ++i) {
        addLabel(twoDigits(i), QRect(origin.x() + cells.hexOffset + 3 * i * cw, 0, 3 * cw, lh));
        addLabel(twoDigits(i), QRect(0, origin.y() + i * lh, 3 * cw, lh));
    }
    area->setFixedSize(origin.x() + cells.hexOffset + 3 * kBytesPerRow * cw,
                       origin.y() + gridSize.height());
}

QString RegisterDialog::fieldText(int id) const {
    const auto* field = control<QLabel>(this, id);
    return field ? field->text() : QString();
}

QString RegisterDialog::notice() const {
    return notice_->isHidden() ? QString() : notice_->text();
}

void RegisterDialog::setField(int id, const QString& text) {
    if (auto* field = control<QLabel>(this, id)) field->setText(text);
}

void RegisterDialog::addEntry(const QString& description) {
    auto* entry = new QListWidgetItem(description, list_);
    entry->setToolTip(description);
}

void RegisterDialog::showRegisters(std::span<const uint8_t> registers) {
    grid_->SetData(registers);
    grid_->hide();
    grid_->SetBytesPerRow(kBytesPerRow);
    grid_->SetColumns(true, true, false, false);
    grid_->show();
}

void RegisterDialog::setNotice(Notice notice, const QString& detail, const QString& second) {
    shownNotice_ = notice;
    if (notice == Notice::None) {
        notice_->clear();
        notice_->hide();
        return;
    }
    const auto& texts = kNotices[static_cast<std::size_t>(notice) - 1];
    QString text = QString::fromUtf8(inLanguage(texts, language_));
    if (text.contains(QStringLiteral("%2"))) {
        text = text.arg(detail, second);
    } else if (text.contains(QStringLiteral("%1"))) {
        text = text.arg(detail);
    }
    notice_->setText(text);
    notice_->setToolTip(text);
    notice_->show();
}

void RegisterDialog::selectionChanged() {
    if (list_->count() == 0) return;
    selected_ = list_->currentRow();
    if (selected_ < 0) return;
    if (shownNotice_ == Notice::WriteRefused) setNotice(Notice::None);
    loadSelected();
    for (int id : {register_control::kCurrentOffset, register_control::kPendingValue,
                   register_control::kPendingOffset})
        setField(id, kNone);
}

void RegisterDialog::writePending(uint8_t offset, uint8_t value) {
    if (selected_ < 0) return;
    if (!writeRegister(offset, value)) {
        setNotice(Notice::WriteRefused);
    } else if (shownNotice_ == Notice::WriteRefused) {
        setNotice(Notice::None);
    }
}

void RegisterDialog::refresh() {
    // Nothing listed: nothing to write or to read.
    if (list_->count() == 0 || list_->currentRow() < 0) return;
    selected_ = list_->currentRow();
    const QString offsetText = fieldText(register_control::kPendingOffset);
    const uint8_t offset = common::ParseHexByte(offsetText.left(2).toStdString());
    const uint8_t value =
        common::ParseHexByte(fieldText(register_control::kPendingValue).left(2).toStdString());
    if (offsetText != kNone) writePending(offset, value);
    loadSelected();
    setField(register_control::kCurrentOffset, kNone);
}

void RegisterDialog::keyPressEvent(QKeyEvent* event) {
    // Escape ends the dialog only while the grid does not have the focus.
    if (event->key() == Qt::Key_Escape && grid_ && grid_->hasFocus()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace zelkora::app

#include "moc_register_dialog.cpp"
