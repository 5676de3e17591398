#include "winio/sim/pci_mechanism1.h"

#include "hardware/pc_addresses.h"

namespace zelkora::winio::sim {

using hardware::kPciAddressPort;
using hardware::kPciDataPort;

void PciConfigMechanism1::attach(uint8_t bus, uint8_t device, uint8_t function,
                                 std::shared_ptr<ConfigSpace> space) {
    functions_[key(bus, device & 0x1F, function & 7)] = std::move(space);
}

void PciConfigMechanism1::refuseReads(uint8_t bus, uint8_t device, uint8_t function,
                                      std::bitset<256> unreadable) {
    if (unreadable.any()) unreadable_[key(bus, device & 0x1F, function & 7)] = unreadable;
}

ConfigSpace* PciConfigMechanism1::space(uint8_t bus, uint8_t device, uint8_t function) const {
    auto it = functions_.find(key(bus, device & 0x1F, function & 7));
    return it == functions_.end() ? nullptr : it->second.get();
}

bool PciConfigMechanism1::decodes(uint16_t port) const {
    return (port >= kPciAddressPort && port < kPciAddressPort + 4) ||
           (port >= kPciDataPort && port < kPciDataPort + 4);
}

ConfigSpace* PciConfigMechanism1::selected(unsigned& offset) const {
    if (!(address_ & hardware::kPciConfigEnable)) return nullptr;
    const auto bus = static_cast<uint8_t>(address_ >> 16);
    const auto device = static_cast<uint8_t>((address_ >> 11) & 0x1F);
    const auto function = static_cast<uint8_t>((address_ >> 8) & 7);
    offset = address_ & 0xFC;
    return space(bus, device, function);
}

uint8_t PciConfigMechanism1::unreadBytes(uint16_t port, unsigned size) const {
    if (port < kPciDataPort || !(address_ & hardware::kPciConfigEnable)) return 0;
    const auto found = unreadable_.find((address_ >> 8) & 0xFFFF);
    if (found == unreadable_.end()) return 0;
    const unsigned lane = port - kPciDataPort;
    uint8_t unread = 0;
    for (unsigned i = 0; i < size && lane + i < 4; ++i) {
        if (found->second[(address_ & 0xFC) + lane + i]) unread |= static_cast<uint8_t>(1u << i);
    }
    return unread;
}

uint32_t PciConfigMechanism1::read(uint16_t port, unsigned size) {
    if (port >= kPciAddressPort && port < kPciAddressPort + 4) {
        return port == kPciAddressPort && size == 4 ? address_ : 0xFFFF'FFFFu;
    }
    unsigned offset = 0;
    const ConfigSpace* config = selected(offset);
    if (!config) return 0xFFFF'FFFFu;
    uint32_t value = 0;
    const unsigned lane = port - kPciDataPort;
    for (unsigned i = 0; i < size && lane + i < 4; ++i) {
        value |= uint32_t{(*config)[offset + lane + i]} << (8 * i);
    }
    // Bytes past the dword window float.
    for (unsigned i = 4 - lane; i < size; ++i)
        value |= 0xFFu << (8 * i);
    const uint8_t unread = unreadBytes(port, size);
    for (unsigned i = 0; i < size; ++i) {
        if (unread & (1u << i)) value |= 0xFFu << (8 * i);
    }
    return value;
}

void PciConfigMechanism1::write(uint16_t port, uint32_t value, unsigned size) {
    if (port == kPciAddressPort && size == 4) {
        address_ = value;
        return;
    }
    if (port < kPciDataPort) return;
    unsigned offset = 0;
    ConfigSpace* config = selected(offset);
    if (!config) return;
    const unsigned lane = port - kPciDataPort;
    for (unsigned i = 0; i < size && lane + i < 4; ++i) {
        (*config)[offset + lane + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace zelkora::winio::sim
