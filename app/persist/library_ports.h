#pragma once

#include "common/port_io.h"

namespace zelkora::persist {

// The register routines over the library's pass-through of the driver's
// port calls, as the program's commands use them.
class LibraryPorts : public common::PortIo {
  public:
    uint32_t in(uint16_t port, uint8_t size) override;
    void out(uint16_t port, uint32_t value, uint8_t size) override;
};

}  // namespace zelkora::persist
