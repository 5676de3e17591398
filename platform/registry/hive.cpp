#include "platform/registry/hive.h"

namespace zelkora::platform::registry {

std::unique_ptr<Hive> emptyHive() {
    return std::make_unique<Hive>();
}

std::unique_ptr<Hive> loadRegFiles(const std::vector<std::filesystem::path>& /*files*/) {
    return emptyHive();
}

std::unique_ptr<Hive> buildLiveHive() {
    return emptyHive();
}

}  // namespace zelkora::platform::registry
