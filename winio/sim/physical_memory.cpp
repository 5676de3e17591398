#include "winio/sim/physical_memory.h"

#include <algorithm>

namespace zelkora::winio::sim {

bool PhysicalMemory::addRegion(uint32_t base, std::vector<uint8_t> bytes) {
    if (bytes.empty()) return false;
    const uint64_t end = uint64_t{base} + bytes.size();
    if (end > 0x1'0000'0000ULL) return false;
    for (const auto& [otherBase, otherBytes] : regions_) {
        const uint64_t otherEnd = uint64_t{otherBase} + otherBytes.size();
        if (base < otherEnd && otherBase < end) return false;
    }
    regions_.emplace(base, std::move(bytes));
    return true;
}

const std::vector<uint8_t>* PhysicalMemory::regionAt(uint32_t address, uint32_t& base) const {
    auto it = regions_.upper_bound(address);
    if (it == regions_.begin()) return nullptr;
    --it;
    if (uint64_t{address} >= uint64_t{it->first} + it->second.size()) return nullptr;
    base = it->first;
    return &it->second;
}

bool PhysicalMemory::contains(uint32_t address, size_t length) const {
    uint64_t cursor = address;
    const uint64_t end = cursor + length;
    while (cursor < end) {
        if (cursor > 0xFFFF'FFFFULL) return false;
        uint32_t base = 0;
        const auto* region = regionAt(static_cast<uint32_t>(cursor), base);
        if (!region) return false;
        cursor = uint64_t{base} + region->size();
    }
    return true;
}

bool PhysicalMemory::read(uint32_t address, std::span<uint8_t> out) const {
    if (!contains(address, out.size())) return false;
    size_t done = 0;
    while (done < out.size()) {
        uint32_t base = 0;
        const auto* region = regionAt(static_cast<uint32_t>(address + done), base);
        const size_t offset = address + done - base;
        const size_t count = std::min(out.size() - done, region->size() - offset);
        std::copy_n(region->begin() + static_cast<std::ptrdiff_t>(offset), count,
                    out.begin() + static_cast<std::ptrdiff_t>(done));
        done += count;
    }
    return true;
}

bool PhysicalMemory::write(uint32_t address, std::span<const uint8_t> bytes) {
    if (!contains(address, bytes.size())) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        uint32_t base = 0;
        auto* region = const_cast<std::vector<uint8_t>*>(
            regionAt(static_cast<uint32_t>(address + done), base));
        const size_t offset = address + done - base;
        const size_t count = std::min(bytes.size() - done, region->size() - offset);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(done), count,
                    region->begin() + static_cast<std::ptrdiff_t>(offset));
        done += count;
    }
    return true;
}

}  // namespace zelkora::winio::sim
