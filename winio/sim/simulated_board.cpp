#include "winio/sim/simulated_board.h"

namespace zelkora::winio::sim {

namespace {

uint32_t sizeMask(unsigned size) {
    return size >= 4 ? 0xFFFF'FFFFu : (1u << (8 * size)) - 1u;
}

}  // namespace

PortDevice* SimulatedBoard::deviceFor(uint16_t port) const {
    for (const auto& device : devices_) {
        if (device->decodes(port)) return device.get();
    }
    return nullptr;
}

Backend::PortReading SimulatedBoard::readPortChecked(uint16_t port, unsigned size) {
    PortReading reading{sizeMask(size), 0};
    if (auto* device = deviceFor(port)) {
        reading.unread = device->unreadBytes(port, size);
        reading.value = device->read(port, size) & sizeMask(size);
    }
    recorder_.record(
        {port, static_cast<uint8_t>(size), reading.value, PortAccess::Direction::Read});
    return reading;
}

bool SimulatedBoard::writePort(uint16_t port, uint32_t value, unsigned size) {
    value &= sizeMask(size);
    recorder_.record({port, static_cast<uint8_t>(size), value, PortAccess::Direction::Write});
    if (auto* device = deviceFor(port)) device->write(port, value, size);
    return true;
}

bool SimulatedBoard::readPhysical(uint32_t address, std::span<uint8_t> out) {
    return memory_.read(address, out);
}

}  // namespace zelkora::winio::sim
