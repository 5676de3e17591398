#pragma once

#include <cstdint>

namespace zelkora::winio::sim {

// A device model on the simulated port bus. Each model decodes a fixed set
// of ports; the bus hands it every access to them.
class PortDevice {
  public:
    virtual ~PortDevice() = default;

    virtual bool decodes(uint16_t port) const = 0;
    virtual uint32_t read(uint16_t port, unsigned size) = 0;
    // Bytes of the next read of `port` that the model refuses to give (bit n:
    // byte n); they read FFh.
    virtual uint8_t unreadBytes(uint16_t /*port*/, unsigned /*size*/) const { return 0; }
    virtual void write(uint16_t port, uint32_t value, unsigned size) = 0;
};

}  // namespace zelkora::winio::sim
