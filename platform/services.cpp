#include "platform/services.h"

#include <cstdlib>

#include "platform/live/live_services.h"
#include "platform/registry/hive.h"
#include "platform/sim/simulated_services.h"

namespace zelkora::platform {

namespace {

// What a machine that failed to load answers: nothing is known.
class EmptyServices : public SystemServices {
  public:
    std::optional<std::string> computerName() override { return std::nullopt; }
    std::optional<std::string> userName() override { return std::nullopt; }
    LocalTime localTime() override { return {}; }
    uint16_t systemDefaultLanguage() override { return 0; }
    MemoryStatus memoryStatus() override { return {}; }
    std::optional<VersionInfo> version() override { return std::nullopt; }
    std::string windowsDirectory() override { return {}; }
    CpuidResult cpuid(uint32_t) override { return {}; }
    registry::Hive& registry() override { return *hive_; }

  private:
    std::unique_ptr<registry::Hive> hive_ = registry::emptyHive();
};

struct ServicesHolder {
    std::unique_ptr<SystemServices> services;
    std::string error;
};

ServicesHolder& holder() {
    static ServicesHolder instance;
    return instance;
}

void openFromEnvironment(ServicesHolder& held) {
    const char* machine = std::getenv("ZELKORA_MACHINE");
    if (!machine || !*machine) {
        held.services = makeLiveServices();
        return;
    }
    try {
        held.services = makeSimulatedServices(*machine::MachineFile::load(machine));
    } catch (const std::exception& failure) {
        held.error = failure.what();
        held.services = std::make_unique<EmptyServices>();
    }
}

}  // namespace

SystemServices& services() {
    auto& held = holder();
    if (!held.services) openFromEnvironment(held);
    return *held.services;
}

const std::string& servicesError() {
    services();
    return holder().error;
}

void setServices(std::unique_ptr<SystemServices> replacement) {
    holder().services = std::move(replacement);
    holder().error.clear();
}

}  // namespace zelkora::platform
