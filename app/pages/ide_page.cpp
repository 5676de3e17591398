#include "app/pages/ide_page.h"

#include <QLabel>

#include "app/controls/control_id.h"
#include "app/pages/ide_texts.h"
#include "app/pages/record_text.h"
#include "app/pages/translated_texts.h"
#include "app/shell/control_ids.h"
#include "app/shell/fonts.h"
#include "ui_ide_page.h"

namespace zelkora::app {

namespace {

constexpr std::array<TranslatedText, 8> kTexts{{
    {"serialLabel", {"Serial Number", "产品序号", "產品序號"}},
    {"modelLabel", {"Model Number", "产品型号", "產品型號"}},
    {"firmwareLabel", {"Firmware Rev", "固件版本", "韌體版本"}},
    {"mediaLabel", {"Media Type", "介质类型", "媒體類型"}},
    {"majorLabel", {"Major Ver.", "版本支持", "介面支援"}},
    {"dmaLabel", {"DMA Mode(H)", "DMA模式(H)", "DMA模式(H)"}},
    {"pioLabel", {"PIO Mode(H)", "PIO模式(H)", "PIO模式(H)"}},
    {"capacityLabel", {"Capacity", "容量大小", "容量大小"}},
}};

}  // namespace

IdePage::IdePage(Language language, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::IdePage>()) {
    ui_->setupUi(this);
    useWindowFont(*this, language);
    applyTexts(this, kTexts, language);
}

IdePage::~IdePage() = default;

void IdePage::setField(int id, const QString& text) {
    if (auto* field = control<QLabel>(this, id)) field->setText(text);
}

void IdePage::refresh() {
    records_.clear();
    DevicePos position = GetFirstIDEDevicePos();
    while (position) {
        IDEDeviceInfo device{};
        if (!GetNextIDEDevice(&device, &position)) break;
        records_.push_back(device);
    }
    if (!records_.empty()) showRecords(records_);
}

void IdePage::showRecords(std::span<const IDEDeviceInfo> records) {
    const std::size_t shown = std::min(records.size(), ide_control::kValueFields.size());
    for (std::size_t group = 0; group < shown; ++group) {
        const IDEDeviceInfo& device = records[group];
        const auto& fields = ide_control::kValueFields[group];
        if (device.DeviceType == 0) {
            for (int id : fields)
                setField(id, QString::fromLatin1(ide::kNone));
            continue;
        }
        setField(fields[ide_control::kSerialNumber], recordText(device.SerialNumber));
        setField(fields[ide_control::kModelNumber], recordText(device.ModelNumber));
        setField(fields[ide_control::kFirmwareRev], recordText(device.FirmwareRev));
        setField(fields[ide_control::kMediaType], ide::mediaTypeText(device.GenCfgInfo));
        setField(fields[ide_control::kMajorVersion], ide::majorVersionText(device.MajorVersion));
        setField(fields[ide_control::kDmaMode], ide::dmaModeText(device.DMACapability));
        setField(fields[ide_control::kPioMode], ide::pioModeText(device.PIOCapability));
        setField(fields[ide_control::kCapacity], ide::capacityText(device));
    }
}

}  // namespace zelkora::app

// The meta-object code stays in this object, so a program that uses only some
// of the windows links only those.
#include "moc_ide_page.cpp"
