#pragma once

#include <cstdint>
#include <utility>

namespace zelkora::common {

// I/O port access for the register routines that both deliverables compile.
// Two kinds exist: the library's, over its bound driver (hw::DriverPorts), and
// the program's, over the library's pass-through of the driver's port calls
// (persist::LibraryPorts). A source says per access whether it reached the
// hardware; the marks collect here until a caller takes them, so a routine
// can tell a write that reached the device from one that did not.
class PortIo {
  public:
    virtual ~PortIo() = default;

    // Reads `size` bytes (1, 2 or 4) from a port.
    uint32_t in(uint16_t port, uint8_t size) {
        const Reading reading = readPort(port, size);
        if (reading.unread != 0) refusedRead_ = true;
        return reading.value;
    }
    void out(uint16_t port, uint32_t value, uint8_t size) {
        if (!writePort(port, value, size)) refusedWrite_ = true;
    }

    // True when a write since the last call did not reach the hardware (the
    // driver refused it); clears the mark.
    bool takeRefusedWrite() { return std::exchange(refusedWrite_, false); }
    // True when a read since the last call gave no reading (the host refused
    // it or does not serve the port; the value is FFh filler); clears the mark.
    bool takeRefusedRead() { return std::exchange(refusedRead_, false); }

  protected:
    // A port read: the value, and the bytes of it (bit n: byte n) that are no
    // reading but FFh filler.
    struct Reading {
        uint32_t value = 0;
        uint8_t unread = 0;
    };
    virtual Reading readPort(uint16_t port, uint8_t size) = 0;
    // False when the write was refused and did not reach the hardware.
    virtual bool writePort(uint16_t port, uint32_t value, uint8_t size) = 0;

  private:
    bool refusedWrite_ = false;
    bool refusedRead_ = false;
};

}  // namespace zelkora::common
