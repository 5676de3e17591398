// Registry export files: any bytes either merge into a hive or are refused
// with a RegFileError; the hive they leave must then survive the library's
// depth-first searches.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "lib/probes/registry_key.h"
#include "platform/registry/hive.h"
#include "platform/registry/reg_file.h"
#include "platform/services.h"

namespace {

using namespace zelkora;

class HiveServices : public platform::SystemServices {
  public:
    explicit HiveServices(std::unique_ptr<platform::registry::Hive> hive)
        : hive_(std::move(hive)) {}
    std::optional<std::string> computerName() override { return std::nullopt; }
    std::optional<std::string> userName() override { return std::nullopt; }
    platform::LocalTime localTime() override { return {}; }
    uint16_t systemDefaultLanguage() override { return 0; }
    platform::MemoryStatus memoryStatus() override { return {}; }
    std::optional<platform::VersionInfo> version() override { return std::nullopt; }
    std::string windowsDirectory() override { return {}; }
    platform::CpuidResult cpuid(uint32_t) override { return {}; }
    platform::registry::Hive& registry() override { return *hive_; }

  private:
    std::unique_ptr<platform::registry::Hive> hive_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto hive = platform::registry::emptyHive();
    try {
        platform::registry::parseRegText(
            std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.reg", *hive);
    } catch (const platform::registry::RegFileError&) {
        // Refused input keeps what merged before the fault; search that too.
    }
    platform::setServices(std::make_unique<HiveServices>(std::move(hive)));
    {
        probes::RegistryKey key(probes::kHKeyLocalMachine, "", probes::kRegistryRead);
        std::string path;
        key.FindSubKey("VEN_8086&DEV_2570", path);
        path.clear();
        key.FindKeyWithValue("DeviceDesc", path);
        std::string text;
        key.Reopen(probes::kHKeyLocalMachine, path);
        key.QueryString("DeviceDesc", text);
    }
    platform::setServices(nullptr);
    return 0;
}
