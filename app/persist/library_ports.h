#pragma once

#include "common/port_io.h"

namespace zelkora::persist {

// The register routines over the library's pass-through of the driver's
// port calls, as the program's commands and register dialogs use them. The
// driver answers 0 to a write it refuses (on the live host, for instance, a
// configuration write without the right to write it) and marks the bytes of
// a read that are no reading (GetPortValChecked).
class LibraryPorts : public common::PortIo {
  protected:
    Reading readPort(uint16_t port, uint8_t size) override;
    bool writePort(uint16_t port, uint32_t value, uint8_t size) override;
};

}  // namespace zelkora::persist
