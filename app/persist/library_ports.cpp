#include "app/persist/library_ports.h"

#include <utility>

#include "zelkora/sysinfo.h"

namespace zelkora::persist {

uint32_t LibraryPorts::in(uint16_t port, uint8_t size) {
    uint32_t value = 0;
    uint8_t unread = 0;
    GetPortValChecked(port, &value, size, &unread);
    if (unread != 0) refusedRead_ = true;
    return value;
}

void LibraryPorts::out(uint16_t port, uint32_t value, uint8_t size) {
    if (SetPortVal(port, value, size) == 0) refusedWrite_ = true;
}

bool LibraryPorts::takeRefusedWrite() {
    return std::exchange(refusedWrite_, false);
}

bool LibraryPorts::takeRefusedRead() {
    return std::exchange(refusedRead_, false);
}

}  // namespace zelkora::persist
