#include "app/pages/ide_texts.h"

#include <bit>

namespace zelkora::app::ide {

namespace {

constexpr uint16_t kNotReported = 0x55AA;
constexpr uint8_t kAtaDevice = 0xAA;

QString unknown() {
    return QStringLiteral("Unknown");
}

}  // namespace

QString mediaTypeText(uint16_t genCfgInfo) {
    if (genCfgInfo & 0x80) return QStringLiteral("Removable device");
    if (genCfgInfo & 0x40) return QStringLiteral("Not removable");
    return unknown();
}

QString majorVersionText(uint16_t majorVersion) {
    if (majorVersion == kNotReported) return unknown();
    // Bits 2-14 name the supported standards; 0, 1 and 15 are ignored.
    const uint16_t standards = majorVersion & 0x7FFC;
    if (standards == 0 || majorVersion == 0xFFFF) return QStringLiteral("Not report");
    const int highest = std::bit_width(standards) - 1;
    if (highest >= 3) return QStringLiteral("ATA/ATAPI-%1").arg(highest);
    return QStringLiteral("SupportsATA-%1").arg(highest);
}

QString dmaModeText(uint16_t dmaCapability) {
    if (dmaCapability == kNotReported) return unknown();
    const uint8_t modes = dmaCapability & 0xFF;
    // A drive without Ultra DMA modes has no highest mode to show.
    if (modes == 0) return unknown();
    return QStringLiteral("Ultra DMA %1").arg(std::bit_width(modes) - 1);
}

QString pioModeText(uint16_t pioCapability) {
    if (pioCapability == kNotReported) return unknown();
    if (pioCapability & 0x02) return QStringLiteral("PIO mode 4");
    if (pioCapability & 0x01) return QStringLiteral("PIO mode 3");
    return unknown();
}

QString capacityText(const IDEDeviceInfo& device) {
    if (device.DeviceType != kAtaDevice) return QStringLiteral("-");
    const uint64_t megabytes = uint64_t{device.TotalSectors} * 512 / 1000 / 1000;
    return QString::number(megabytes);
}

}  // namespace zelkora::app::ide
