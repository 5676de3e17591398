#include "app/persist/library_ports.h"

#include "zelkora/sysinfo.h"

namespace zelkora::persist {

uint32_t LibraryPorts::in(uint16_t port, uint8_t size) {
    uint32_t value = 0;
    GetPortVal(port, &value, size);
    return value;
}

void LibraryPorts::out(uint16_t port, uint32_t value, uint8_t size) {
    SetPortVal(port, value, size);
}

}  // namespace zelkora::persist
