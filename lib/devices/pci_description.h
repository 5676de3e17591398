#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "lib/devices/pci_description_source.h"

namespace zelkora::devices {

inline constexpr char kNT4DescriptionText[] = "WinNT4.0 do not report this information!";

// Finds the device's "DeviceDesc" in the device registry: the key named
// "VEN_vvvv&DEV_dddd&SUBSYS_ssssssss&REV_rr" first met in a depth-first walk
// from the system's device enumeration root, then the first key below it
// that holds the value. Clears `text` and fills it (cut to 49 characters).
bool LookUpPCIDescription(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem,
                          uint8_t revision, char (&text)[50]);

// Every look-up walks the registry again, as LookUpPCIDescription does.
class DirectPciDescriptions final : public PciDescriptionSource {
  public:
    bool describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem, uint8_t revision,
                  char (&text)[50]) override;
};

// The same answers for one scan, at the cost of a single walk: the first
// look-up indexes every key below the enumeration root by its depth-first
// rank and the names of its subkeys; later look-ups are table look-ups.
class IndexedPciDescriptions final : public PciDescriptionSource {
  public:
    IndexedPciDescriptions();
    ~IndexedPciDescriptions() override;
    IndexedPciDescriptions(const IndexedPciDescriptions&) = delete;
    IndexedPciDescriptions& operator=(const IndexedPciDescriptions&) = delete;

    bool describe(uint16_t vendorId, uint16_t deviceId, uint32_t subsystem, uint8_t revision,
                  char (&text)[50]) override;

  private:
    class Index;
    std::unique_ptr<Index> index_;
};

}  // namespace zelkora::devices
