// Opening and closing hardware access, and the driver's port calls passed through.
#include <cstdio>

#include "lib/hw/driver.h"
#include "lib/hw/library_state.h"
#include "platform/services.h"
#include "zelkora/sysinfo.h"

using zelkora::hw::driver;
using zelkora::hw::state;

extern "C" {

int32_t InitializeSysInfoLib(void) {
    if (state().hardwareReady) return 1;
    // A machine file whose operating system part is wrong is refused as a
    // wrong board is: answering "Unknown" everywhere would hide the mistake.
    if (const auto& error = zelkora::platform::servicesError(); !error.empty()) {
        if (state().reportedMachineError != error) {
            std::fprintf(stderr, "zelkora-sysinfo: %s\n", error.c_str());
            state().reportedMachineError = error;
        }
        return 0;
    }
    if (!driver().initializeWinIo()) return 0;
    state().hardwareReady = 1;
    return 1;
}

int32_t UninitializeSysInfoLib(void) {
    if (!state().hardwareReady) return 0;
    const int32_t result = driver().shutdownWinIo();
    state().hardwareReady = 0;
    return result;
}

int32_t GetPortVal(uint16_t port, uint32_t* value, uint8_t size) {
    return driver().getPortVal(port, value, size) ? 1 : 0;
}

int32_t GetPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread) {
    return driver().getPortValChecked(port, value, size, unread) ? 1 : 0;
}

int32_t SetPortVal(uint16_t port, uint32_t value, uint8_t size) {
    return driver().setPortVal(port, value, size) ? 1 : 0;
}

}  // extern "C"
