#include "platform/sim/simulated_services.h"

#include <cstdio>
#include <ctime>

#include "platform/registry/hive.h"
#include "platform/registry/reg_file.h"

namespace zelkora::platform {

namespace {

using machine::Field;

// The clock of a simulated machine: frozen at the file's time, or the host's.
LocalTime parseClock(const Field& field) {
    const std::string text = field.string();
    LocalTime time;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &time.year, &time.month, &time.day,
                    &time.hour, &time.minute, &time.second, &tail) != 6 &&
        std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d%c", &time.year, &time.month, &time.day,
                    &time.hour, &time.minute, &time.second, &tail) != 6) {
        field.fail("must be a local time written as \"2003-03-05 09:07:02\"");
    }
    const bool leap = time.year % 4 == 0 && (time.year % 100 != 0 || time.year % 400 == 0);
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (time.year < 1601 || time.year > 30827 || time.month < 1 || time.month > 12 ||
        time.day < 1 || time.day > kDays[time.month - 1] + (time.month == 2 && leap ? 1 : 0) ||
        time.hour > 23 || time.minute > 59 || time.second > 59 || time.hour < 0 ||
        time.minute < 0 || time.second < 0) {
        field.fail("is not a valid date and time: \"" + text + "\"");
    }
    return time;
}

LocalTime hostClock() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

uint32_t vendorWord(const std::string& vendor, size_t at) {
    uint32_t word = 0;
    for (size_t i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(at + i < vendor.size() ? vendor[at + i] : ' ');
        word |= uint32_t{c} << (8 * i);
    }
    return word;
}

class SimulatedServices : public SystemServices {
  public:
    explicit SimulatedServices(const machine::MachineFile& file) {
        const Field root = machine::rootField(file);
        machine::expectTopLevelKeys(root);
        const auto system = root.optional("system");
        if (system) {
            system->expectKeys({"computerName", "computerNameFails", "userName", "userNameFails",
                                "clock", "language", "memory", "version", "windowsDirectory",
                                "cpuid"});
        }
        auto read = [&](std::string_view key) {
            return system ? system->optional(key) : std::nullopt;
        };

        computerName_ = "ZELKORA-DEMO";
        if (auto field = read("computerName")) computerName_ = field->string();
        if (system && system->booleanOr("computerNameFails", false)) computerName_.reset();
        userName_ = "engineer";
        if (auto field = read("userName")) userName_ = field->string();
        if (system && system->booleanOr("userNameFails", false)) userName_.reset();
        if (auto field = read("clock")) clock_ = parseClock(*field);
        language_ = 0x0409;
        if (auto field = read("language")) language_ = static_cast<uint16_t>(field->number(0xFFFF));

        memory_ = {0x2000'0000u, 0x1400'0000u, 0x4C00'0000u};
        if (auto field = read("memory")) {
            field->expectKeys({"totalPhysical", "availablePhysical", "totalPageFile"});
            memory_.totalPhysical = static_cast<uint32_t>(
                field->numberOr("totalPhysical", memory_.totalPhysical, 0xFFFF'FFFF));
            memory_.availablePhysical = static_cast<uint32_t>(
                field->numberOr("availablePhysical", memory_.availablePhysical, 0xFFFF'FFFF));
            memory_.totalPageFile = static_cast<uint32_t>(
                field->numberOr("totalPageFile", memory_.totalPageFile, 0xFFFF'FFFF));
        }

        version_ = VersionInfo{2, 5, 1, 2600, "Service Pack 1", ""};
        if (auto field = read("version")) {
            field->expectKeys({"platformId", "major", "minor", "build", "servicePack", "systemName",
                               "queryFails"});
            version_->platformId =
                static_cast<uint32_t>(field->numberOr("platformId", 2, 0xFFFF'FFFF));
            version_->major = static_cast<uint32_t>(field->numberOr("major", 5, 0xFFFF'FFFF));
            version_->minor = static_cast<uint32_t>(field->numberOr("minor", 1, 0xFFFF'FFFF));
            version_->build = static_cast<uint32_t>(field->numberOr("build", 2600, 0xFFFF'FFFF));
            version_->servicePack = field->stringOr("servicePack", "");
            version_->systemName = field->stringOr("systemName", "");
            if (field->booleanOr("queryFails", false)) version_.reset();
        }

        if (auto field = read("windowsDirectory")) {
            std::error_code error;
            if (!std::filesystem::is_directory(field->filePath(), error)) {
                field->fail("names no folder: " + field->fileDisplayName());
            }
            windowsDirectory_ = field->filePath().string();
        }

        std::string vendor = "GenuineIntel";
        uint32_t signature = 0x0F29, features = 0xBFEB'FBFF, brand = 0x0001'0809, maxLeaf = 2;
        if (auto cpu = read("cpuid")) {
            cpu->expectKeys({"vendor", "signature", "features", "ebx", "maxLeaf"});
            vendor = cpu->stringOr("vendor", vendor);
            if (vendor.size() != 12) (*cpu)["vendor"].fail("must be 12 characters");
            signature = static_cast<uint32_t>(cpu->numberOr("signature", signature, 0xFFFF'FFFF));
            features = static_cast<uint32_t>(cpu->numberOr("features", features, 0xFFFF'FFFF));
            brand = static_cast<uint32_t>(cpu->numberOr("ebx", brand, 0xFFFF'FFFF));
            maxLeaf = static_cast<uint32_t>(cpu->numberOr("maxLeaf", maxLeaf, 0xFFFF'FFFF));
        }
        leaf0_ = {maxLeaf, vendorWord(vendor, 0), vendorWord(vendor, 8), vendorWord(vendor, 4)};
        leaf1_ = {signature, brand, 0, features};

        // Each export file merges into one hive; a fault refuses the machine
        // with the file and line (RegFileError).
        hive_ = registry::emptyHive();
        if (auto registry = root.optional("registry")) {
            for (size_t i = 0; i < registry->size(); ++i) {
                const Field name = registry->at(i);
                registry::parseRegText(name.readFile(registry::kMaxRegFileBytes),
                                       name.fileDisplayName(), *hive_);
            }
        }
    }

    std::optional<std::string> computerName() override { return computerName_; }
    std::optional<std::string> userName() override { return userName_; }
    LocalTime localTime() override { return clock_ ? *clock_ : hostClock(); }
    uint16_t systemDefaultLanguage() override { return language_; }
    MemoryStatus memoryStatus() override { return memory_; }
    std::optional<VersionInfo> version() override { return version_; }
    std::string windowsDirectory() override { return windowsDirectory_; }
    CpuidResult cpuid(uint32_t leaf) override {
        if (leaf == 0) return leaf0_;
        if (leaf == 1) return leaf1_;
        return {};
    }
    registry::Hive& registry() override { return *hive_; }

  private:
    std::optional<std::string> computerName_;
    std::optional<std::string> userName_;
    std::optional<LocalTime> clock_;
    uint16_t language_ = 0;
    MemoryStatus memory_;
    std::optional<VersionInfo> version_;
    std::string windowsDirectory_;
    CpuidResult leaf0_, leaf1_;
    std::unique_ptr<registry::Hive> hive_;
};

}  // namespace

std::unique_ptr<SystemServices> makeSimulatedServices(const machine::MachineFile& file) {
    return std::make_unique<SimulatedServices>(file);
}

}  // namespace zelkora::platform
