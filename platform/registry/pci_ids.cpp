#include "platform/registry/pci_ids.h"

#include <optional>
#include <string_view>

namespace zelkora::platform::registry {

namespace {

// "8086  Intel Corporation" after any leading tabs: the id and the name.
std::optional<std::pair<uint16_t, std::string_view>> idAndName(std::string_view line) {
    if (line.size() < 6) return std::nullopt;
    uint16_t id = 0;
    for (size_t i = 0; i < 4; ++i) {
        const char c = line[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        id = static_cast<uint16_t>(id << 4 | digit);
    }
    std::string_view name = line.substr(4);
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\r'))
        name.remove_suffix(1);
    return std::make_pair(id, name);
}

}  // namespace

PciNames readPciNames(std::istream& database, const std::set<uint32_t>& wanted) {
    PciNames names;
    if (wanted.empty()) return names;
    std::set<uint16_t> vendors;
    for (uint32_t key : wanted)
        vendors.insert(static_cast<uint16_t>(key >> 16));
    const uint16_t lastVendor = *vendors.rbegin();

    bool inWantedVendor = false;  // the devices that follow belong to a wanted vendor
    uint16_t vendor = 0;
    std::string line;
    while (std::getline(database, line)) {
        if (line.empty() || line.front() == '#') continue;
        if (line.front() != '\t') {
            const auto entry = idAndName(line);
            // The device classes come after the last vendor.
            if (!entry) break;
            // Vendors are listed in ascending order.
            if (entry->first > lastVendor) break;
            inWantedVendor = vendors.contains(entry->first);
            if (inWantedVendor) {
                vendor = entry->first;
                names.vendors[entry->first] = std::string(entry->second);
            }
            continue;
        }
        if (!inWantedVendor || line.size() < 2 || line[1] == '\t') continue;
        const auto entry = idAndName(std::string_view(line).substr(1));
        if (!entry) continue;
        const uint32_t key = PciNames::deviceKey(vendor, entry->first);
        if (wanted.contains(key)) names.devices[key] = std::string(entry->second);
    }
    return names;
}

}  // namespace zelkora::platform::registry
