#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zelkora::platform {

namespace registry {
class Hive;
}

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Global memory status, in bytes; values that do not fit saturate at FFFFFFFFh.
struct MemoryStatus {
    uint32_t totalPhysical = 0;
    uint32_t availablePhysical = 0;
    uint32_t totalPageFile = 0;
};

// Platform identifier the live Linux host reports to the version query; the
// table of Windows versions knows no row for it.
inline constexpr uint32_t kPlatformLinux = 0x4C;

// The extended version query's answer.
struct VersionInfo {
    uint32_t platformId = 0;  // 1 the 95/98/Me family, 2 the NT family
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    std::string servicePack;  // "Service Pack 1", or empty
    // A name for a system the version table does not know (a Linux host),
    // shown instead of the table's default name; empty for Windows.
    std::string systemName;
};

struct CpuidResult {
    uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// The operating system services the library relies on. Two sources: a
// simulated machine (ZELKORA_MACHINE) and the live Linux host.
class SystemServices {
  public:
    virtual ~SystemServices() = default;

    virtual std::optional<std::string> computerName() = 0;
    virtual std::optional<std::string> userName() = 0;
    virtual LocalTime localTime() = 0;
    // The system default language identifier; 0 when the system reports none.
    virtual uint16_t systemDefaultLanguage() = 0;
    virtual MemoryStatus memoryStatus() = 0;
    // Empty when the version query fails.
    virtual std::optional<VersionInfo> version() = 0;
    // The Windows directory as a path of this host (its "inf" folder holds
    // driver information files).
    virtual std::string windowsDirectory() = 0;
    virtual CpuidResult cpuid(uint32_t leaf) = 0;
    virtual registry::Hive& registry() = 0;
    // A walk of the devices starts: a source that mirrors the host's device
    // tree takes up what was added or removed since the last walk.
    virtual void refreshDevices() {}
};

// The services of this process: chosen on first use from the environment
// (a machine file named by ZELKORA_MACHINE, else the live host). A machine
// file that cannot be loaded leaves an empty machine and records the error.
SystemServices& services();
// The error met while loading the machine file, empty when there was none.
const std::string& servicesError();

// Replaces the services of this process (tests); null returns to the default.
void setServices(std::unique_ptr<SystemServices> replacement);

}  // namespace zelkora::platform
