#include "winio/sim/via_superio.h"

#include "hardware/pc_addresses.h"

namespace zelkora::winio::sim {

namespace {

constexpr unsigned kFunctionControl = 0x85;
constexpr uint8_t kSuperIoEnable = 0x02;

}  // namespace

bool ViaSuperIo::enabled() const {
    const ConfigSpace* bridge = pci_ ? pci_->space(0, 7, 0) : nullptr;
    return bridge && ((*bridge)[kFunctionControl] & kSuperIoEnable);
}

bool ViaSuperIo::decodes(uint16_t port) const {
    return port == hardware::kSuperIoPort3F0 || port == hardware::kSuperIoPort3F0 + 1;
}

uint32_t ViaSuperIo::read(uint16_t port, unsigned /*size*/) {
    if (!enabled()) return 0xFF;
    if (port == hardware::kSuperIoPort3F0) return index_;
    return registers_[index_].value_or(index_);
}

void ViaSuperIo::write(uint16_t port, uint32_t value, unsigned /*size*/) {
    if (!enabled()) return;
    if (port == hardware::kSuperIoPort3F0) {
        index_ = static_cast<uint8_t>(value);
    } else {
        registers_[index_] = static_cast<uint8_t>(value);
    }
}

}  // namespace zelkora::winio::sim
