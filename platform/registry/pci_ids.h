#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <set>
#include <string>

namespace zelkora::platform::registry {

// Vendor and device names from a pci.ids database (the format lspci reads).
struct PciNames {
    std::map<uint16_t, std::string> vendors;
    std::map<uint32_t, std::string> devices;  // vendor << 16 | device

    static uint32_t deviceKey(uint16_t vendor, uint16_t device) {
        return uint32_t{vendor} << 16 | device;
    }
};

// Reads only the names of the given devices (vendor << 16 | device) and of
// their vendors; the rest of the database is skipped.
PciNames readPciNames(std::istream& database, const std::set<uint32_t>& wanted);

}  // namespace zelkora::platform::registry
