#pragma once

#include <functional>
#include <memory>

#include "lib/hw/driver.h"
#include "winio/core/backend.h"

namespace zelkora::testing {

// Ports whose writes a driver refuses (true: refused).
using PortFilter = std::function<bool(uint16_t port)>;
// The configuration data ports, whose writes the live host refuses to a user
// who may not write configuration space.
inline bool configDataPort(uint16_t port) {
    return port >= 0xCFC && port <= 0xCFF;
}

// The library's view of a driver whose operations run over `backend` (a
// simulated board, or the live host without raw port access), refusing the
// writes to the ports `refuseWrite` names.
std::unique_ptr<hw::Driver> makeBackendDriver(std::shared_ptr<winio::Backend> backend,
                                              PortFilter refuseWrite = {});

// Opens the library over the live host (no raw port access) with the live
// services, both reading ZELKORA_SYSROOT as it is now; true when it opened.
bool openLiveLibrary();
// Closes the library and gives it back its own driver and services.
void resetLibrary();

}  // namespace zelkora::testing
