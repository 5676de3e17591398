#pragma once

#include "zelkora/sysinfo.h"

namespace zelkora::devices {

// The width and writability of every register of the two header layouts.
void fillType0Registers(PCIRegisterField (&fields)[76]);
void fillType1Registers(PCIRegisterField (&fields)[82]);

}  // namespace zelkora::devices
