#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>

#include "winio/sim/port_device.h"

namespace zelkora::winio::sim {

using ConfigSpace = std::array<uint8_t, 256>;

// PCI configuration mechanism 1: the address register at 0CF8h and the data
// window at 0CFCh-0CFFh. Functions that are not attached read FFFFFFFFh;
// writes land in the function's configuration space.
class PciConfigMechanism1 : public PortDevice {
  public:
    // Attaches a function. Several function numbers may share one space (a
    // single-function device that answers on all eight numbers).
    void attach(uint8_t bus, uint8_t device, uint8_t function, std::shared_ptr<ConfigSpace> space);
    // Reads of the marked bytes of the function are refused, as the kernel
    // refuses an ordinary user all but the first 64: they read FFh and are
    // reported unread. Writes still land.
    void refuseReads(uint8_t bus, uint8_t device, uint8_t function, std::bitset<256> unreadable);
    // The function's configuration space, or null when nothing answers there.
    ConfigSpace* space(uint8_t bus, uint8_t device, uint8_t function) const;
    uint32_t addressRegister() const { return address_; }
    size_t functionCount() const { return functions_.size(); }

    bool decodes(uint16_t port) const override;
    uint32_t read(uint16_t port, unsigned size) override;
    uint8_t unreadBytes(uint16_t port, unsigned size) const override;
    void write(uint16_t port, uint32_t value, unsigned size) override;

  private:
    static uint32_t key(uint8_t bus, uint8_t device, uint8_t function) {
        return uint32_t{bus} << 8 | uint32_t{device} << 3 | function;
    }
    // The space and byte offset that the address register selects, or null.
    ConfigSpace* selected(unsigned& offset) const;

    uint32_t address_ = 0;
    std::map<uint32_t, std::shared_ptr<ConfigSpace>> functions_;
    std::map<uint32_t, std::bitset<256>> unreadable_;
};

}  // namespace zelkora::winio::sim
