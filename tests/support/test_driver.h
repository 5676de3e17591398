#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "lib/hw/driver.h"
#include "winio/core/backend.h"
#include "winio/core/driver_core.h"

namespace zelkora::testing {

// Ports a fault hook applies to (true: this port).
using PortFilter = std::function<bool(uint16_t port)>;
// The configuration data ports, whose writes the live host refuses to a user
// who may not write configuration space.
inline bool configDataPort(uint16_t port) {
    return port >= 0xCFC && port <= 0xCFF;
}

// How often a TestDriver was called.
struct DriverCalls {
    int initialize = 0;
    int shutdown = 0;
    int portReads = 0;
    int portWrites = 0;
    int physicalReads = 0;
};

// The one driver double: the driver's own operations (winio::DriverCore) over
// a source of ports and memory (a simulated board, a live host on a fake root,
// or none: ports float and memory is unreadable), with fault hooks and counts.
// Hand it to the library with hw::setDriver, or drive the shared register
// routines straight through ports().
class TestDriver : public hw::Driver {
  public:
    explicit TestDriver(std::shared_ptr<winio::Backend> source = {});

    // Fault hooks, applied from the next call on.
    bool refuseOpen = false;                // InitializeWinIo fails
    PortFilter refuseWrite;                 // SetPortVal answers 0 and the write is lost
    PortFilter dropWrite;                   // the write is lost, though SetPortVal answers 1
    PortFilter refuseRead;                  // the read gives FFh filler marked as no reading
    std::optional<int32_t> shutdownResult;  // ShutdownWinIo's answer instead of the core's
    DriverCalls calls;

    // Opens access to the source as an open library's driver has it, without
    // counting a call (for code that reads through the driver before opening).
    void openAccess() { core_.initialize(); }
    // The shared register routines' port access over this driver, opened.
    common::PortIo& ports();

    bool initializeWinIo() override;
    int32_t shutdownWinIo() override;
    bool getPortVal(uint16_t port, uint32_t* value, uint8_t size) override;
    bool getPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread) override;
    bool setPortVal(uint16_t port, uint32_t value, uint8_t size) override;
    bool getPhysByte(uint32_t address, uint8_t* value) override;
    bool getPhysWord(uint32_t address, uint16_t* value) override;
    bool getPhysLong(uint32_t address, uint32_t* value) override;
    bool getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) override;
    void beginConfigScan() override { core_.beginConfigScan(); }
    void endConfigScan() override { core_.endConfigScan(); }

  private:
    winio::DriverCore core_;
    hw::DriverPorts ports_{this};
};

// Opens the library over the live host (no raw port access) with the live
// services, both reading ZELKORA_SYSROOT as it is now; true when it opened.
bool openLiveLibrary();
// Closes the library and gives it back its own driver and services.
void resetLibrary();

}  // namespace zelkora::testing
