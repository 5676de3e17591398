// The driver's exported operations, each forwarding to one process-wide core.
#include "winio/winio.h"

#include <cstdio>

#include "winio/core/driver_core.h"

namespace {

zelkora::winio::DriverCore& core() {
    static zelkora::winio::DriverCore instance;
    return instance;
}

}  // namespace

extern "C" {

bool InitializeWinIo(void) {
    const bool opened = core().initialize();
    if (!opened && core().takeUnreportedError()) {
        // The only channel a driver has to say why it cannot open; said once,
        // not at every retry.
        std::fprintf(stderr, "winio: %s\n", core().lastError().c_str());
    }
    return opened;
}

int32_t ShutdownWinIo(void) {
    return core().shutdown();
}

bool GetPortVal(uint16_t port, uint32_t* value, uint8_t size) {
    return core().getPortVal(port, value, size);
}

bool GetPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread) {
    return core().getPortValChecked(port, value, size, unread);
}

bool SetPortVal(uint16_t port, uint32_t value, uint8_t size) {
    return core().setPortVal(port, value, size);
}

bool GetPhysByte(uint32_t address, uint8_t* value) {
    return core().getPhysByte(address, value);
}

bool GetPhysWord(uint32_t address, uint16_t* value) {
    return core().getPhysWord(address, value);
}

bool GetPhysLong(uint32_t address, uint32_t* value) {
    return core().getPhysLong(address, value);
}

bool GetPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) {
    return core().getPhysBlock(address, buffer, length);
}

void BeginConfigScan(void) {
    core().beginConfigScan();
}

void EndConfigScan(void) {
    core().endConfigScan();
}

}  // extern "C"
