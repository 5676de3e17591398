#pragma once

#include <cstdint>
#include <memory>

#include "common/port_io.h"

namespace zelkora::hw {

// The port driver's eight operations as the library binds them.
class Driver {
  public:
    virtual ~Driver() = default;

    virtual bool initializeWinIo() = 0;
    virtual int32_t shutdownWinIo() = 0;
    virtual bool getPortVal(uint16_t port, uint32_t* value, uint8_t size) = 0;
    // As getPortVal, marking in `unread` the bytes that are no reading (an
    // optional operation; a driver without it is taken to read every byte).
    virtual bool getPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread) {
        if (unread) *unread = 0;
        return getPortVal(port, value, size);
    }
    virtual bool setPortVal(uint16_t port, uint32_t value, uint8_t size) = 0;
    virtual bool getPhysByte(uint32_t address, uint8_t* value) = 0;
    virtual bool getPhysWord(uint32_t address, uint16_t* value) = 0;
    virtual bool getPhysLong(uint32_t address, uint32_t* value) = 0;
    virtual bool getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) = 0;
    // A walk of the whole PCI bus starts or ends; a driver may then list the
    // functions once and read each one's space once (optional operations).
    virtual void beginConfigScan() {}
    virtual void endConfigScan() {}
};

// Brackets one walk of the PCI bus.
class ConfigScanScope {
  public:
    explicit ConfigScanScope(Driver& driver) : driver_(driver) { driver_.beginConfigScan(); }
    ~ConfigScanScope() { driver_.endConfigScan(); }
    ConfigScanScope(const ConfigScanScope&) = delete;
    ConfigScanScope& operator=(const ConfigScanScope&) = delete;

  private:
    Driver& driver_;
};

// The bound driver: the library named by ZELKORA_WINIO, else libwinio.so
// beside this library. When it cannot be bound every operation fails and
// ports read as all ones.
Driver& driver();
// Replaces the bound driver (tests hand in a simulated board); null binds
// the dynamic driver again.
void setDriver(std::shared_ptr<Driver> replacement);

// The shared register routines' port access through a driver: the one given,
// or, without one, whichever driver the library has bound at each access.
class DriverPorts : public common::PortIo {
  public:
    explicit DriverPorts(Driver* driver = nullptr) : driver_(driver) {}

  protected:
    Reading readPort(uint16_t port, uint8_t size) override;
    bool writePort(uint16_t port, uint32_t value, uint8_t size) override;

  private:
    Driver& target() { return driver_ ? *driver_ : driver(); }
    Driver* driver_;
};

// Port access through the bound driver.
common::PortIo& driverPorts();

// The library's hardware-ready flag.
bool hardwareReady();

}  // namespace zelkora::hw
