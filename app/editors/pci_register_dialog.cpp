#include "app/editors/pci_register_dialog.h"

#include <array>

#include <QListWidget>

#include "app/editors/hex_grid_ctrl.h"
#include "app/pages/record_text.h"
#include "app/pages/translated_texts.h"
#include "app/shell/app_resources.h"
#include "app/shell/control_ids.h"
#include "app/shell/dialog_units.h"
#include "app/shell/fonts.h"
#include "app/shell/window_templates.h"
#include "common/pci_config.h"
#include "ui_pci_register_dialog.h"

namespace zelkora::app {

namespace {

// Templates 173, 172 and 174: English 455 x 277 dialog units, the Chinese
// ones 455 x 292 with a taller list and grid.
constexpr int kWidthDlu = 455;
constexpr std::array<int, 3> kHeightDlu{277, 292, 292};

constexpr std::array<TranslatedText, 16> kTexts{{
    {"PCIRegisterDialog", {"PCI Device", "PCI设备", "PCI裝置"}},
    {"descriptionLabel", {"Device Description", "设  备  描  述", "裝  置  說  明"}},
    {"detailGroup", {"Detail Information", "详细信息", "詳細資料"}},
    {"hexGroup", {"Hex Information", "寄存器信息", "寄存器資料"}},
    {"refreshButton", {"Refresh", "刷新", "刷新"}},
    {"vendorLabel", {"Vendor ID", "制造商 ID", "製造商 ID"}},
    {"deviceIdLabel", {"Device ID", "设备 ID", "裝置 ID"}},
    {"revisionLabel", {"Revision", "修订版本", "修訂版本"}},
    {"subsystemLabel", {"SubSystem", "子系统号", "子系統號"}},
    {"classLabel", {"Device Class", "所属设备类", "所屬裝置類"}},
    {"busLabel", {"Bus Number", "总线号", "通道號"}},
    {"deviceLabel", {"Device Number", "设备号", "裝置號"}},
    {"functionLabel", {"Function Number", "功能号", "功能號"}},
    {"offsetLabel", {"Current Offset", "当前偏移地址", "當前偏移地址"}},
    {"irqLabel", {"IRQ", "IRQ", "IRQ"}},
    {"originalValueLabel", {"Original Value", "Original Value", "Original Value"}},
}};

// Value fields, emptied before the bus is walked.
constexpr std::array<int, 12> kValueFields{pci_control::kIrq,
                                           pci_control::kVendorId,
                                           pci_control::kRevision,
                                           pci_control::kDeviceId,
                                           pci_control::kSubsystem,
                                           pci_control::kDeviceClass,
                                           pci_control::kBusNumber,
                                           pci_control::kDeviceNumber,
                                           pci_control::kFunctionNumber,
                                           register_control::kCurrentOffset,
                                           register_control::kPendingOffset,
                                           register_control::kPendingValue};

uint32_t configDword(const uint8_t* config, unsigned offset) {
    return uint32_t{config[offset]} | uint32_t{config[offset + 1]} << 8 |
           uint32_t{config[offset + 2]} << 16 | uint32_t{config[offset + 3]} << 24;
}

}  // namespace

PCIRegisterDialog::PCIRegisterDialog(Language language, QWidget* parent)
    : RegisterDialog(language, parent), ui_(std::make_unique<Ui::PCIRegisterDialog>()) {
    loadResources();
    ui_->setupUi(this);
    useWindowFont(*this, language);
    applyTexts(this, kTexts, language);
    setProperty("templateId", templateId(WindowRole::PciDevice, language));
    setWindowIcon(QIcon(QStringLiteral(":/images/icon-130.png")));
    setFixedSize(dluToPixelsX(kWidthDlu),
                 dluToPixelsY(kHeightDlu[static_cast<std::size_t>(language)]));
    attachForm(pci_control::kDeviceList, pci_control::kGrid);

    enumerate();
    for (int id : {register_control::kCurrentOffset, register_control::kPendingOffset,
                   register_control::kPendingValue})
        setField(id, QStringLiteral("-"));
    // An empty bus leaves the grid and the fields empty.
    if (!records_.empty()) deviceList().setCurrentRow(0);
}

PCIRegisterDialog::~PCIRegisterDialog() = default;

void PCIRegisterDialog::enumerate() {
    for (int id : kValueFields)
        setField(id, QString());
    records_.clear();
    deviceList().clear();
    DevicePos pos = GetFirstPCIDevicePos();
    while (pos != nullptr) {
        PCIDeviceInfo record{};
        GetNextPCIDevice(&record, &pos);
        records_.push_back(record);
        addEntry(recordText(record.Description));
    }
}

void PCIRegisterDialog::loadSelected() {
    PCIDeviceInfo& record = records_.at(static_cast<std::size_t>(selectedEntry()));
    std::span<uint8_t, 256> config(record.Config);
    const common::UnreadDwords unread =
        common::ReadPCIConfigByteBlock(ports_, record.Bus, record.Device, record.Function, config);
    showRegisters(config);
    // FFh that the host put in place of bytes it would not read is no value:
    // say so, rather than let it pass for the device's contents.
    if (unread.any()) {
        setNotice(Notice::UnreadBytes, QString::fromStdString(common::unreadBytesText(unread)));
    } else if (currentNotice() == Notice::UnreadBytes) {
        setNotice(Notice::None);
    }

    const uint8_t* bytes = record.Config;
    setField(pci_control::kBusNumber, hexByteText(record.Bus));
    setField(pci_control::kDeviceNumber, hexByteText(record.Device));
    setField(pci_control::kFunctionNumber, hexByteText(record.Function));
    setField(pci_control::kVendorId, hexWordText(bytes[0x00] | bytes[0x01] << 8));
    setField(pci_control::kDeviceId, hexWordText(bytes[0x02] | bytes[0x03] << 8));
    setField(pci_control::kRevision, hexByteText(bytes[0x08]));
    // Double word 2Ch whatever the header type.
    setField(pci_control::kSubsystem, hexDwordText(configDword(bytes, 0x2C)));
    const uint8_t irq = bytes[0x3C];
    setField(pci_control::kIrq,
             irq == 0x00 || irq == 0xFF ? QStringLiteral("-") : hexByteText(irq));
    setField(pci_control::kDeviceClass, recordText(record.ClassText));
}

bool PCIRegisterDialog::writeRegister(uint8_t offset, uint8_t value) {
    const PCIDeviceInfo& record = records_.at(static_cast<std::size_t>(selectedEntry()));
    ports_.takeRefusedWrite();
    common::WritePCIConfigByte(ports_, record.Bus, record.Device, record.Function, offset, value);
    return !ports_.takeRefusedWrite();
}

}  // namespace zelkora::app

#include "moc_pci_register_dialog.cpp"
