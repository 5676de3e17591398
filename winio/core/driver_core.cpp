#include "winio/core/driver_core.h"

#include <array>
#include <cstring>

namespace zelkora::winio {

namespace {

bool validSize(uint8_t size) {
    return size == 1 || size == 2 || size == 4;
}

}  // namespace

bool DriverCore::initialize() {
    if (backend_) return true;
    lastError_.clear();
    if (fixedBackend_) {
        backend_ = fixedBackend_;
        return true;
    }
    std::unique_ptr<Backend> opened = openBackendFromEnvironment(lastError_);
    if (!opened) return false;
    backend_ = std::move(opened);
    return true;
}

int32_t DriverCore::shutdown() {
    backend_.reset();
    return 1;
}

bool DriverCore::getPortVal(uint16_t port, uint32_t* value, uint8_t size) {
    uint8_t unread = 0;
    return getPortValChecked(port, value, size, &unread);
}

bool DriverCore::getPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread) {
    if (!value || !unread || !validSize(size)) return false;
    if (!backend_) {
        // Without access the ports float, and nothing was read.
        *value = size == 4 ? 0xFFFF'FFFFu : (1u << (8 * size)) - 1u;
        *unread = static_cast<uint8_t>((1u << size) - 1u);
        return false;
    }
    const Backend::PortReading reading = backend_->readPortChecked(port, size);
    *value = reading.value;
    *unread = reading.unread;
    return true;
}

bool DriverCore::setPortVal(uint16_t port, uint32_t value, uint8_t size) {
    if (!validSize(size) || !backend_) return false;
    return backend_->writePort(port, value, size);
}

bool DriverCore::getPhysByte(uint32_t address, uint8_t* value) {
    return getPhysBlock(address, value, 1);
}

bool DriverCore::getPhysWord(uint32_t address, uint16_t* value) {
    std::array<uint8_t, 2> bytes{};
    if (!value || !getPhysBlock(address, bytes.data(), bytes.size())) return false;
    *value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
}

bool DriverCore::getPhysLong(uint32_t address, uint32_t* value) {
    std::array<uint8_t, 4> bytes{};
    if (!value || !getPhysBlock(address, bytes.data(), bytes.size())) return false;
    *value = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
             uint32_t{bytes[3]} << 24;
    return true;
}

bool DriverCore::getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) {
    if (!backend_ || !buffer) return false;
    if (length == 0) return true;
    return backend_->readPhysical(address, std::span<uint8_t>(buffer, length));
}

void DriverCore::beginConfigScan() {
    if (backend_) backend_->beginConfigScan();
}

void DriverCore::endConfigScan() {
    if (backend_) backend_->endConfigScan();
}

}  // namespace zelkora::winio
