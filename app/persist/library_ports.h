#pragma once

#include "common/port_io.h"

namespace zelkora::persist {

// The register routines over the library's pass-through of the driver's
// port calls, as the program's commands and register dialogs use them. The
// driver answers 0 to a write it refuses (on the live host, for instance, a
// configuration write without the right to write it); the refusal is kept
// until taken, so a caller can tell a write that reached the device from one
// that did not.
class LibraryPorts : public common::PortIo {
  public:
    uint32_t in(uint16_t port, uint8_t size) override;
    void out(uint16_t port, uint32_t value, uint8_t size) override;

    // True when any write since the last call was refused; clears the mark.
    bool takeRefusedWrite() override;
    // True when any read since the last call gave FFh filler instead of a
    // reading (GetPortValChecked); clears the mark.
    bool takeRefusedRead() override;

  private:
    bool refusedWrite_ = false;
    bool refusedRead_ = false;
};

}  // namespace zelkora::persist
