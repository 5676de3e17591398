#include "app/persist/library_ports.h"

#include "zelkora/sysinfo.h"

namespace zelkora::persist {

LibraryPorts::Reading LibraryPorts::readPort(uint16_t port, uint8_t size) {
    Reading reading;
    GetPortValChecked(port, &reading.value, size, &reading.unread);
    return reading;
}

bool LibraryPorts::writePort(uint16_t port, uint32_t value, uint8_t size) {
    return SetPortVal(port, value, size) != 0;
}

}  // namespace zelkora::persist
