#include "app/persist/library_ports.h"

#include "zelkora/sysinfo.h"

namespace zelkora::persist {

uint32_t LibraryPorts::in(uint16_t port, uint8_t size) {
    uint32_t value = 0;
    GetPortVal(port, &value, size);
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

}  // namespace zelkora::persist
