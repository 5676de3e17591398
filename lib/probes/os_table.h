#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zelkora::probes {

// One row of the table of known Windows versions.
struct OSTableRow {
    uint32_t platformId;
    uint32_t majorVersion;
    uint32_t minorFrom;
    uint32_t minorTo;
    uint32_t osCode;
    const char* name;
    uint32_t marker;  // 55AAh in every real row, 0 in the closing row
};

inline constexpr uint32_t kOSCodeWindowsNT = 3;

// The row matching a version, or the first row ("Unkown OS") when none does.
const OSTableRow& lookUpOSTable(uint32_t platformId, uint32_t major, uint32_t minor);
// True when a real row (not the default) matches.
bool osTableHasRow(uint32_t platformId, uint32_t major, uint32_t minor);

// The running system's platform identifier and OS code from the version
// query and the table (an unlisted system gives platform FFFFh, code 0);
// empty when the version query fails.
struct RunningSystem {
    uint32_t platformId;
    uint32_t osCode;
};
std::optional<RunningSystem> identifyRunningSystem();

// Registry roots by platform: "Enum" for platform 1,
// "SYSTEM\ControlSet001\Enum" for platform 2, empty otherwise.
std::string_view deviceEnumRoot(uint32_t platformId);
// "System\CurrentControlSet\Services\Class" for platform 1,
// "SYSTEM\ControlSet001\Control\Class" for platform 2, empty otherwise.
std::string_view driverClassRoot(uint32_t platformId);

}  // namespace zelkora::probes
