#include "app/editors/superio_register_dialog.h"

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
#include "common/superio_access.h"
#include "ui_superio_register_dialog.h"

namespace zelkora::app {

namespace {

// Templates 176, 175 and 177: English 410 x 279 dialog units, the Chinese
// ones 410 x 291 with a taller list and grid.
constexpr int kWidthDlu = 410;
constexpr std::array<int, 3> kHeightDlu{279, 291, 291};

constexpr std::array<TranslatedText, 13> kTexts{{
    {"SuperIORegisterDialog", {"Super-I/O", "Super-I/O设备", "Super-I/O裝置"}},
    {"descriptionLabel", {"Device Description", "设  备  描  述", "裝  置  說  明"}},
    {"detailGroup", {"Detail Information", "详细信息", "詳細資料"}},
    {"hexGroup", {"Hex Information", "寄存器信息", "寄存器資料"}},
    {"refreshButton", {"Refresh", "刷新", "刷新"}},
    {"typeLabel", {"Super-I/O Type", "Super-I/O 类型", "Super-I/O 類型"}},
    {"chipIdLabel", {"Device ID", "设备 ID ", "裝置 ID "}},
    {"chipIdNote", {"(Chip ID)", "(芯片 ID)", "(芯片 ID)"}},
    {"chipRevisionLabel", {"Device Revision", "设备修订版本", "裝置版本 "}},
    {"chipRevisionNote", {"(Chip Version)", "(芯片版本) ", "(芯片版本)"}},
    {"classLabel", {"Device Class", "所属设备类", "所屬裝置類"}},
    {"addressLabel", {"I/O Address", "I/O 地址范围", "I/O 地址范圍"}},
    {"offsetLabel", {"Current Offset", "当前偏移地址", "當前偏移地址"}},
}};

constexpr std::array<int, 8> kValueFields{
    superio_control::kChipType,      superio_control::kChipId,
    superio_control::kChipRevision,  superio_control::kIoAddress,
    superio_control::kDeviceClass,   register_control::kCurrentOffset,
    register_control::kPendingValue, register_control::kPendingOffset};

QString ioAddressText(const SuperIODeviceInfo& record) {
    const auto range = [](unsigned start, unsigned end) {
        return hexWordText(start) + QStringLiteral(" - ") + hexWordText(end);
    };
    if (record.IOStart2 != 0) {
        return range(record.IOStart, record.IOEnd) + QLatin1Char(';') +
               range(record.IOStart2, record.IOEnd2);
    }
    if (record.IOStart != 0) return range(record.IOStart, record.IOEnd);
    return QStringLiteral("-");
}

// A chip is reachable when its manufacturer names one of the access methods
// and, for the south bridge's Super-I/O, the bridge is there to enable it.
bool reachable(common::PortIo& ports, const std::string& manufacturer) {
    const auto method = common::superIoMethodFor(manufacturer);
    if (method == common::SuperIoMethod::None) return false;
    return method != common::SuperIoMethod::Via || common::viaSuperIoBridgePresent(ports);
}

// Registers 20h and 21h once the 8-bit section named no manufacturer, as
// both look-ups have for a chip the file does not list.
QString unlistedChipId(const SuperIODeviceInfo& record) {
    if (record.Manufacturer[0] == '\0') return hexWordText(record.ChipID16);
    return hexByteText(record.ChipID);
}

}  // namespace

SuperIORegisterDialog::SuperIORegisterDialog(Language language, QWidget* parent,
                                             std::string_view descriptionFile)
    : RegisterDialog(language, parent), ui_(std::make_unique<Ui::SuperIORegisterDialog>()) {
    loadResources();
    ui_->setupUi(this);
    useWindowFont(*this, language);
    applyTexts(this, kTexts, language);
    setProperty("templateId", templateId(WindowRole::SuperIo, language));
    setWindowIcon(QIcon(QStringLiteral(":/images/icon-130.png")));
    setFixedSize(dluToPixelsX(kWidthDlu),
                 dluToPixelsY(kHeightDlu[static_cast<std::size_t>(language)]));
    attachForm(superio_control::kDeviceList, superio_control::kGrid);

    enumerate(descriptionFile);
    for (int id : {register_control::kCurrentOffset, register_control::kPendingOffset,
                   register_control::kPendingValue})
        setField(id, QStringLiteral("-"));
    if (listing_.records.empty()) {
        setNotice(listing_.portsReachable ? Notice::NoChip : Notice::NoPortAccess);
        return;
    }
    chipReachable_ = reachable(ports_, listing_.manufacturer);
    unlistedChip_ = !chipReachable_ && listing_.keyMethod != common::SuperIoMethod::None &&
                    common::superIoMethodFor(listing_.manufacturer) == common::SuperIoMethod::None;
    if (unlistedChip_) {
        setNotice(Notice::UnknownChip, unlistedChipId(listing_.records.back()),
                  QString::number(listing_.configPort, 16).toUpper() + QLatin1Char('h'));
    } else if (!chipReachable_) {
        // The VIA path without its bridge: nothing answered anywhere.
        setNotice(Notice::NoChip);
    }
    deviceList().setCurrentRow(0);
}

SuperIORegisterDialog::~SuperIORegisterDialog() = default;

void SuperIORegisterDialog::enumerate(std::string_view descriptionFile) {
    for (int id : kValueFields)
        setField(id, QString());
    deviceList().clear();
    listing_ = listSuperIoDevices(ports_, descriptionFile);
    for (const auto& record : listing_.records)
        addEntry(recordText(record.Description));
    if (listing_.records.empty()) return;

    // Every entry belongs to the same chip: the last one's findings are shown.
    const SuperIODeviceInfo& last = listing_.records.back();
    setField(superio_control::kChipType, QString::fromUtf8(listing_.chipType.c_str()));
    if (showsSixteenBitId(last)) {
        setField(superio_control::kChipId, hexWordText(last.ChipID16));
        setField(superio_control::kChipRevision, hexByteText(last.ChipRevision16));
    } else {
        setField(superio_control::kChipId, hexByteText(last.ChipID));
        setField(superio_control::kChipRevision, hexByteText(last.ChipRevision));
    }
}

void SuperIORegisterDialog::loadSelected() {
    SuperIODeviceInfo& record = listing_.records.at(static_cast<std::size_t>(selectedEntry()));
    if (chipReachable_) {
        std::span<uint8_t, 256> registers(record.Registers);
        common::ReadLogicalDeviceRegisters(ports_, listing_.manufacturer, listing_.configPort,
                                           record.LogicalDevice, registers);
        showRegisters(registers);
    } else if (unlistedChip_) {
        for (unsigned reg = 0; reg < globals_.size(); ++reg) {
            globals_[reg] = common::readGlobalRegister(
                ports_, listing_.keyMethod, listing_.configPort, static_cast<uint8_t>(reg));
        }
        showRegisters(globals_);
    } else {
        // Nothing defined was read: no bytes to show or to type over.
        showRegisters({});
    }
    setField(superio_control::kIoAddress, ioAddressText(record));
    setField(superio_control::kDeviceClass, recordText(record.DeviceClass));
}

bool SuperIORegisterDialog::writeRegister(uint8_t offset, uint8_t value) {
    if (unlistedChip_) {
        // Nothing is written to a chip of unknown layout: the grid goes back
        // to the bytes read and no edit is left pending for Refresh.
        showRegisters(globals_);
        for (int id : {register_control::kCurrentOffset, register_control::kPendingOffset,
                       register_control::kPendingValue})
            setField(id, QStringLiteral("-"));
        return true;
    }
    if (!chipReachable_) return true;
    const SuperIODeviceInfo& record =
        listing_.records.at(static_cast<std::size_t>(selectedEntry()));
    ports_.takeRefusedWrite();
    common::WriteSuperIORegister(ports_, listing_.manufacturer, listing_.configPort,
                                 record.LogicalDevice, offset, value);
    return !ports_.takeRefusedWrite();
}

}  // namespace zelkora::app

#include "moc_superio_register_dialog.cpp"
