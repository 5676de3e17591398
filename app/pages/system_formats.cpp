#include "app/pages/system_formats.h"

namespace zelkora::app::system {

QString versionText(const OSVersionInfo& os) {
    // The record's numbers are shown as signed values.
    return QString::asprintf("%d.%d.%d", static_cast<int>(os.MajorVersion),
                             static_cast<int>(os.MinorVersion), static_cast<int>(os.BuildNumber));
}

QString kilobytesText(uint32_t bytes) {
    return QString::number(bytes >> 10);
}

QString hexText(unsigned value) {
    return QString::asprintf("%X", value);
}

QString ratioText(float ratio) {
    return QString::asprintf("%.1f", static_cast<double>(ratio));
}

}  // namespace zelkora::app::system
