#pragma once

#include <cstdint>

#include <QString>

#include "zelkora/sysinfo.h"

namespace zelkora::app::system {

// "%d.%d.%d" of the major, minor and build numbers.
QString versionText(const OSVersionInfo& os);
// A byte count as kilobytes (an unsigned shift by 10 bits), "%d".
QString kilobytesText(uint32_t bytes);
// "%X".
QString hexText(unsigned value);
// "%.1f".
QString ratioText(float ratio);

}  // namespace zelkora::app::system
