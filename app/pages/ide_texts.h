#pragma once

#include <cstdint>

#include <QString>

#include "zelkora/sysinfo.h"

namespace zelkora::app::ide {

// The IDE page's value texts, the same in every language. 55AAh marks a word
// that the drive did not report.
QString mediaTypeText(uint16_t genCfgInfo);
QString majorVersionText(uint16_t majorVersion);
QString dmaModeText(uint16_t dmaCapability);
QString pioModeText(uint16_t pioCapability);
// Decimal megabytes of an ATA disk; "-" for any other device.
QString capacityText(const IDEDeviceInfo& device);

inline constexpr const char* kNone = "None";

}  // namespace zelkora::app::ide
