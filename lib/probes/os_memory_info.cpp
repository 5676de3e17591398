// GetOSVersionInfo and GetMemoryInfo: the version table and the memory status.
#include <cstring>

#include "common/fixed_text.h"
#include "lib/probes/os_table.h"
#include "platform/services.h"
#include "zelkora/sysinfo.h"

using zelkora::common::copyText;

extern "C" {

int32_t GetMemoryInfo(MemoryInfo* info) {
    if (!info) return 0;
    const auto status = zelkora::platform::services().memoryStatus();
    info->TotalPhysicalMem = status.totalPhysical;
    info->AvailPhysicalMem = status.availablePhysical;
    info->TotalPageFiles = status.totalPageFile;
    return 1;
}

int32_t GetOSVersionInfo(OSVersionInfo* info) {
    if (!info) return 0;
    std::memset(info, 0, sizeof *info);
    const auto version = zelkora::platform::services().version();
    if (!version) return 0;
    const auto& row =
        zelkora::probes::lookUpOSTable(version->platformId, version->major, version->minor);
    if (zelkora::probes::osTableHasRow(version->platformId, version->major, version->minor)) {
        copyText(info->OSNameString, row.name);
        info->MajorVersion = version->major;
    } else if (!version->systemName.empty()) {
        // A system that is not Windows names itself rather than "Unkown OS".
        copyText(info->OSNameString, version->systemName);
        info->MajorVersion = version->major;
    } else {
        copyText(info->OSNameString, row.name);
    }
    info->MinorVersion = version->minor;
    info->BuildNumber = version->platformId == 2 ? version->build : version->build & 0xFFFF;
    copyText(info->OtherInfo, version->servicePack);
    return 1;
}

}  // extern "C"
