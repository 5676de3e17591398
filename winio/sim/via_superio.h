#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "winio/sim/pci_mechanism1.h"
#include "winio/sim/port_device.h"

namespace zelkora::winio::sim {

// The Super-I/O function built into a VIA south bridge: an index/data pair
// at 3F0h/3F1h that answers only while bit 1 of configuration byte 85h of
// function 00:07.0 is set. Registers it does not implement echo the index.
class ViaSuperIo : public PortDevice {
  public:
    explicit ViaSuperIo(const PciConfigMechanism1* pci) : pci_(pci) {}

    void setRegister(uint8_t reg, uint8_t value) { registers_[reg] = value; }
    std::optional<uint8_t> registerValue(uint8_t reg) const { return registers_[reg]; }
    bool enabled() const;

    bool decodes(uint16_t port) const override;
    uint32_t read(uint16_t port, unsigned size) override;
    void write(uint16_t port, uint32_t value, unsigned size) override;

  private:
    const PciConfigMechanism1* pci_;
    uint8_t index_ = 0;
    std::array<std::optional<uint8_t>, 256> registers_{};
};

}  // namespace zelkora::winio::sim
