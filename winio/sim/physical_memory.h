#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace zelkora::winio::sim {

// Physical memory of a simulated board: the regions the board defines, and
// nothing else. A read that touches a byte outside every region fails.
class PhysicalMemory {
  public:
    // Adds a region; overlapping an existing region is refused (false).
    bool addRegion(uint32_t base, std::vector<uint8_t> bytes);

    bool read(uint32_t address, std::span<uint8_t> out) const;
    // Board models (BIOS text, SMBIOS builder) fill their regions through this.
    bool write(uint32_t address, std::span<const uint8_t> bytes);

    bool contains(uint32_t address, size_t length) const;

  private:
    // Region holding `address`, or null.
    const std::vector<uint8_t>* regionAt(uint32_t address, uint32_t& base) const;

    std::map<uint32_t, std::vector<uint8_t>> regions_;  // by base address
};

}  // namespace zelkora::winio::sim
