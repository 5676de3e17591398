#include "winio/sim/superio_chip_model.h"

#include "hardware/pc_addresses.h"

namespace zelkora::winio::sim {

namespace {

constexpr uint8_t kDeviceSelect = 0x07;
constexpr uint8_t kFirstDeviceRegister = 0x30;
constexpr uint8_t kIteConfigControl = 0x02;

}  // namespace

SuperIoChip::SuperIoChip(Method method, uint16_t port) : method_(method), port_(port) {
    switch (method) {
        case Method::Winbond:
            enterKey_ = {0x87, 0x87};
            break;
        case Method::Smsc:
            enterKey_ = {0x55};
            break;
        // ITE chips expect the last key byte to match their own port.
        case Method::Ite:
            enterKey_ = {0x87, 0x01, 0x55,
                         static_cast<uint8_t>(port == hardware::kSuperIoPort2E ? 0x55 : 0xAA)};
            break;
    }
}

SuperIoRegisters& SuperIoChip::logicalDevice(uint8_t number) {
    auto [it, added] = devices_.try_emplace(number);
    if (added) it->second.fill(0);
    return it->second;
}

uint8_t SuperIoChip::registerValue(uint8_t device, uint8_t reg) const {
    if (reg == kDeviceSelect) return globals_[kDeviceSelect];
    if (reg < kFirstDeviceRegister) return globals_[reg];
    auto it = devices_.find(device);
    return it == devices_.end() ? 0xFF : it->second[reg];
}

bool SuperIoChip::decodes(uint16_t port) const {
    return port == port_ || port == port_ + 1;
}

void SuperIoChip::feedKey(uint8_t value) {
    if (value == enterKey_[keyProgress_]) {
        ++keyProgress_;
    } else {
        keyProgress_ = value == enterKey_[0] ? 1 : 0;
    }
    if (keyProgress_ == enterKey_.size()) {
        configuring_ = true;
        keyProgress_ = 0;
    }
}

uint32_t SuperIoChip::read(uint16_t port, unsigned /*size*/) {
    if (!configuring_) return 0xFF;
    if (port == port_) return index_;
    return registerValue(globals_[kDeviceSelect], index_);
}

void SuperIoChip::write(uint16_t port, uint32_t value, unsigned /*size*/) {
    const auto byte = static_cast<uint8_t>(value);
    if (!configuring_) {
        if (port == port_) feedKey(byte);
        return;
    }
    if (port == port_) {
        if (byte == 0xAA && method_ != Method::Ite) {
            configuring_ = false;
            return;
        }
        index_ = byte;
        return;
    }
    if (method_ == Method::Ite && index_ == kIteConfigControl && (byte & 0x02)) {
        configuring_ = false;
        return;
    }
    if (index_ < kFirstDeviceRegister) {
        globals_[index_] = byte;
    } else if (auto it = devices_.find(globals_[kDeviceSelect]); it != devices_.end()) {
        it->second[index_] = byte;
    }
}

}  // namespace zelkora::winio::sim
