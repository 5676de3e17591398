#include "lib/probes/os_table.h"

#include <array>

#include "platform/services.h"

namespace zelkora::probes {

namespace {

constexpr uint32_t kMarker = 0x55AA;

constexpr std::array<OSTableRow, 8> kOSTable = {{
    {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0, "Unkown OS", kMarker},
    {2, 5, 0, 0, 4, "Microsoft Windows 2000", kMarker},
    {1, 4, 10, 10, 2, "Microsoft Windows 98 second", kMarker},
    {1, 4, 0, 0, 1, "Microsoft Windows 98", kMarker},
    {1, 4, 80, 90, 5, "Microsoft Windows Me", kMarker},
    {2, 4, 0, 10, 3, "Microsoft Windows NT", kMarker},
    {2, 5, 1, 1, 6, "Microsoft Windows XP", kMarker},
    {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, nullptr, 0},
}};

const OSTableRow* findRow(uint32_t platformId, uint32_t major, uint32_t minor) {
    for (const auto& row : kOSTable) {
        if (row.marker == 0) break;
        if (row.platformId == platformId && row.majorVersion == major && row.minorFrom <= minor &&
            minor <= row.minorTo) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

const OSTableRow& lookUpOSTable(uint32_t platformId, uint32_t major, uint32_t minor) {
    const OSTableRow* row = findRow(platformId, major, minor);
    return row ? *row : kOSTable.front();
}

bool osTableHasRow(uint32_t platformId, uint32_t major, uint32_t minor) {
    return findRow(platformId, major, minor) != nullptr;
}

std::optional<RunningSystem> identifyRunningSystem() {
    const auto version = platform::services().version();
    if (!version) return std::nullopt;
    const auto& row = lookUpOSTable(version->platformId, version->major, version->minor);
    return RunningSystem{row.platformId, row.osCode};
}

std::string_view deviceEnumRoot(uint32_t platformId) {
    if (platformId == 1) return "Enum";
    if (platformId == 2) return "SYSTEM\\ControlSet001\\Enum";
    return {};
}

std::string_view driverClassRoot(uint32_t platformId) {
    if (platformId == 1) return "System\\CurrentControlSet\\Services\\Class";
    if (platformId == 2) return "SYSTEM\\ControlSet001\\Control\\Class";
    return {};
}

}  // namespace zelkora::probes
