#pragma once

#include <cstdint>

namespace zelkora::common {

// I/O port access for the register routines that both deliverables compile:
// the library hands them its bound driver, the program the library's
// pass-through of the driver's port calls.
class PortIo {
  public:
    virtual ~PortIo() = default;

    // Reads `size` bytes (1, 2 or 4) from a port.
    virtual uint32_t in(uint16_t port, uint8_t size) = 0;
    virtual void out(uint16_t port, uint32_t value, uint8_t size) = 0;

    // True when a write since the last call did not reach the hardware (the
    // driver refused it); clears the mark. Layers that cannot tell say false.
    virtual bool takeRefusedWrite() { return false; }
    // True when a read since the last call gave no reading (the host refused
    // it or does not serve the port; the value is FFh filler); clears the
    // mark. Layers that cannot tell say false.
    virtual bool takeRefusedRead() { return false; }
};

}  // namespace zelkora::common
