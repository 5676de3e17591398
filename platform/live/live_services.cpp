#include "platform/live/live_services.h"

#include "platform/live/system_root.h"

#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "platform/registry/hive.h"
#include "platform/registry/live_hive.h"

namespace zelkora::platform {

namespace {

uint32_t saturate(unsigned long long bytes) {
    return bytes > 0xFFFF'FFFFULL ? 0xFFFF'FFFFu : static_cast<uint32_t>(bytes);
}

// What /proc/meminfo says, in bytes; 0 where the kernel lists nothing.
struct Meminfo {
    unsigned long long total = 0, available = 0, swap = 0;
};

Meminfo readMeminfo() {
    std::ifstream in(hostPath("proc/meminfo"));
    Meminfo info;
    // Lines "MemTotal:  16318112 kB"; some (HugePages_Total) have no unit.
    for (std::string line; std::getline(in, line);) {
        char key[64] = {};
        unsigned long long kilobytes = 0;
        if (std::sscanf(line.c_str(), "%63s %llu", key, &kilobytes) != 2) continue;
        const std::string_view name = key;
        if (name == "MemTotal:") info.total = kilobytes * 1024ULL;
        if (name == "MemAvailable:") info.available = kilobytes * 1024ULL;
        if (name == "SwapTotal:") info.swap = kilobytes * 1024ULL;
    }
    return info;
}

std::string distributionName() {
    std::ifstream in(hostPath("etc/os-release"));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("PRETTY_NAME=", 0) == 0) {
            std::string value = line.substr(12);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')) {
                value = value.substr(1, value.size() - 2);
            }
            return value;
        }
    }
    return "Linux";
}

class LiveServices : public SystemServices {
  public:
    std::optional<std::string> computerName() override {
        char name[256] = {};
        if (gethostname(name, sizeof name - 1) != 0) return std::nullopt;
        return std::string(name);
    }

    std::optional<std::string> userName() override {
        return loggedOnUser(hostPath("proc/self/loginuid"));
    }

    LocalTime localTime() override {
        const std::time_t now = std::time(nullptr);
        std::tm parts{};
        localtime_r(&now, &parts);
        return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                parts.tm_hour,        parts.tm_min,     parts.tm_sec};
    }

    uint16_t systemDefaultLanguage() override {
        for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            if (const char* value = std::getenv(variable); value && *value) {
                return languageFromLocale(value);
            }
        }
        return languageFromLocale("");
    }

    // From the system root's /proc/meminfo (so a fake root can describe any
    // size), else from sysinfo.
    MemoryStatus memoryStatus() override {
        Meminfo memory = readMeminfo();
        if (memory.total == 0 || memory.available == 0) {
            struct sysinfo info {};
            if (sysinfo(&info) != 0) return {};
            const unsigned long long unit = info.mem_unit ? info.mem_unit : 1;
            if (memory.total == 0) {
                memory.total = info.totalram * unit;
                memory.swap = info.totalswap * unit;
            }
            if (memory.available == 0) memory.available = (info.freeram + info.bufferram) * unit;
        }
        // Committable memory: RAM plus swap, as the page file total counts it.
        return {saturate(memory.total), saturate(memory.available),
                saturate(memory.total + memory.swap)};
    }

    std::optional<VersionInfo> version() override {
        utsname names{};
        if (uname(&names) != 0) return std::nullopt;
        VersionInfo info;
        info.platformId = kPlatformLinux;
        unsigned major = 0, minor = 0, patch = 0;
        std::sscanf(names.release, "%u.%u.%u", &major, &minor, &patch);
        info.major = major;
        info.minor = minor;
        info.build = patch;
        info.servicePack = std::string("Linux ") + names.release;
        info.systemName = distributionName();
        return info;
    }

    std::string windowsDirectory() override { return "/etc"; }

    CpuidResult cpuid(uint32_t leaf) override {
        CpuidResult result;
#if defined(__x86_64__) || defined(__i386__)
        __cpuid(leaf, result.eax, result.ebx, result.ecx, result.edx);
#else
        (void)leaf;
#endif
        return result;
    }

    registry::Hive& registry() override {
        if (!hive_) {
            const registry::LiveHiveSources sources;
            builtFrom_ = registry::liveDeviceSignature(sources);
            hive_ = registry::buildLiveHive(sources);
        }
        return *hive_;
    }

    // Rebuilt only when the devices changed: a build reads pci.ids.
    void refreshDevices() override {
        if (hive_ && registry::liveDeviceSignature({}) != builtFrom_) hive_.reset();
    }

  private:
    std::unique_ptr<registry::Hive> hive_;
    std::string builtFrom_;
};

}  // namespace

std::optional<std::string> loggedOnUser(const std::filesystem::path& loginUidFile) {
    const uid_t effective = geteuid();
    if (effective == 0) {
        if (const char* user = std::getenv("SUDO_USER"); user && *user) return std::string(user);
        // 4294967295 (no login uid) and 0 say nothing more than root does.
        unsigned long loginUid = 0;
        std::error_code error;
        if (std::filesystem::is_regular_file(loginUidFile, error)) {
            std::ifstream in(loginUidFile);
            if (!(in >> loginUid)) loginUid = 0;
        }
        if (loginUid != 0 && loginUid < 0xFFFF'FFFFul) {
            if (const passwd* entry = getpwuid(static_cast<uid_t>(loginUid));
                entry && entry->pw_name)
                return std::string(entry->pw_name);
        }
    }
    if (const passwd* entry = getpwuid(effective); entry && entry->pw_name) {
        return std::string(entry->pw_name);
    }
    if (const char* user = std::getenv("USER"); user && *user) return std::string(user);
    return std::nullopt;
}

std::unique_ptr<SystemServices> makeLiveServices() {
    return std::make_unique<LiveServices>();
}

}  // namespace zelkora::platform
