#pragma once

#include <cstdint>

namespace zelkora::devices {

// Where the bus scan gets device descriptions from: LookUpPCIDescription's
// contract (clear the field, fill it, report whether the device was found).
class PciDescriptionSource {
  public:
    virtual ~PciDescriptionSource() = default;
    virtual bool describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem,
                          uint8_t revision, char (&text)[50]) = 0;
};

}  // namespace zelkora::devices
