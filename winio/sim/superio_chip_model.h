#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "winio/sim/port_device.h"

namespace zelkora::winio::sim {

using SuperIoRegisters = std::array<uint8_t, 256>;

// A Super-I/O chip at its configuration index port P (data at P + 1). Until
// its vendor's enter key has been written to P the chip ignores both ports
// (reads float). In configuration mode P takes a register index, register
// 07h selects the logical device, 00h-2Fh are the chip's global registers
// and 30h-FFh belong to the selected logical device; an absent logical
// device reads FFh. Winbond and SMSC chips leave on AAh written to P, ITE
// and SiS chips on bit 1 written to register 02h.
class SuperIoChip : public PortDevice {
  public:
    enum class Method : uint8_t { Winbond, Smsc, Ite };

    SuperIoChip(Method method, uint16_t port);

    SuperIoRegisters& globals() { return globals_; }
    SuperIoRegisters& logicalDevice(uint8_t number);
    // The register as the chip holds it now (absent devices read FFh).
    uint8_t registerValue(uint8_t device, uint8_t reg) const;
    bool inConfigurationMode() const { return configuring_; }
    uint16_t port() const { return port_; }

    bool decodes(uint16_t port) const override;
    uint32_t read(uint16_t port, unsigned size) override;
    void write(uint16_t port, uint32_t value, unsigned size) override;

  private:
    void feedKey(uint8_t value);

    Method method_;
    uint16_t port_;
    std::vector<uint8_t> enterKey_;
    std::size_t keyProgress_ = 0;
    bool configuring_ = false;
    uint8_t index_ = 0;
    SuperIoRegisters globals_{};
    std::map<uint8_t, SuperIoRegisters> devices_;
};

}  // namespace zelkora::winio::sim
