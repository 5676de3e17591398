#include "app/editors/library_ports.h"

#include "zelkora/sysinfo.h"

namespace zelkora::app {

uint32_t LibraryPorts::in(uint16_t port, uint8_t size) {
    uint32_t value = 0;
    // A refused read leaves the value as the driver left it; the registers
    // then show what a floating bus gives.
    if (GetPortVal(port, &value, size) == 0) value = size == 1 ? 0xFF : size == 2 ? 0xFFFF : ~0u;
    return value;
}

void LibraryPorts::out(uint16_t port, uint32_t value, uint8_t size) {
    if (SetPortVal(port, value, size) == 0) refusedWrite_ = true;
}

bool LibraryPorts::takeRefusedWrite() {
    const bool refused = refusedWrite_;
    refusedWrite_ = false;
    return refused;
}

}  // namespace zelkora::app
