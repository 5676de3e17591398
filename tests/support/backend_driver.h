#pragma once

#include <memory>

#include "lib/hw/driver.h"
#include "winio/core/backend.h"

namespace zelkora::testing {

// The library's view of a driver whose operations run over `backend` (a
// simulated board, or the live host without raw port access).
std::unique_ptr<hw::Driver> makeBackendDriver(std::shared_ptr<winio::Backend> backend);

}  // namespace zelkora::testing
