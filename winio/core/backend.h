#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace zelkora::winio {

// One source of I/O ports and physical memory behind the driver's eight
// operations: a simulated board or the live Linux host.
class Backend {
  public:
    virtual ~Backend() = default;

    // What a port read gave: the value, and which of its bytes (bit n: byte
    // n) are no reading because the host refused the read (configuration
    // bytes an ordinary user may not read) or does not serve the port (a
    // legacy port without raw access). Such bytes hold FFh.
    struct PortReading {
        uint32_t value = 0;
        uint8_t unread = 0;
    };

    // Reads a port with an access of `size` bytes (1, 2 or 4).
    virtual PortReading readPortChecked(uint16_t port, unsigned size) = 0;
    uint32_t readPort(uint16_t port, unsigned size) { return readPortChecked(port, size).value; }
    // Writes the low `size` bytes of `value` to a port. False when the write
    // was refused and did not reach the hardware (the driver's SetPortVal
    // then answers 0); a write that the bus simply drops is not refused.
    virtual bool writePort(uint16_t port, uint32_t value, unsigned size) = 0;
    // Copies physical memory into `out`; false when any byte is unreadable.
    virtual bool readPhysical(uint32_t address, std::span<uint8_t> out) = 0;

    // The caller starts a walk of the PCI bus and ends it. In between a source
    // may list its functions once and answer configuration reads from one
    // snapshot per function taken at its first read; any port write drops the
    // snapshots. Outside a walk every access reaches the hardware.
    virtual void beginConfigScan() {}
    virtual void endConfigScan() {}
};

// The source the environment names: the machine file of ZELKORA_MACHINE, or
// the live host when it is unset. On failure returns null and says why.
std::unique_ptr<Backend> openBackendFromEnvironment(std::string& error);

}  // namespace zelkora::winio
