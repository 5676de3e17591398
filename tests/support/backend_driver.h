#pragma once

#include <memory>

#include "lib/hw/driver.h"
#include "winio/core/backend.h"

namespace zelkora::testing {

// The library's view of a driver whose operations run over `backend` (a
// simulated board, or the live host without raw port access).
std::unique_ptr<hw::Driver> makeBackendDriver(std::shared_ptr<winio::Backend> backend);

// Opens the library over the live host (no raw port access) with the live
// services, both reading ZELKORA_SYSROOT as it is now; true when it opened.
bool openLiveLibrary();
// Closes the library and gives it back its own driver and services.
void resetLibrary();

}  // namespace zelkora::testing
