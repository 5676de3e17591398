#include "platform/registry/hive.h"

namespace zelkora::platform::registry {

std::unique_ptr<Hive> buildLiveHive() {
    return emptyHive();
}

}  // namespace zelkora::platform::registry
