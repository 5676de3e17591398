#include "tests/support/test_driver.h"

#include "platform/live/live_services.h"
#include "platform/services.h"
#include "winio/live/live_host.h"
#include "winio/sim/simulated_board.h"
#include "zelkora/sysinfo.h"

namespace zelkora::testing {

namespace {

bool applies(const PortFilter& filter, uint16_t port) {
    return filter && filter(port);
}

}  // namespace

TestDriver::TestDriver(std::shared_ptr<winio::Backend> source)
    : core_(source ? std::move(source) : std::make_shared<winio::sim::SimulatedBoard>()) {}

common::PortIo& TestDriver::ports() {
    openAccess();
    return ports_;
}

bool TestDriver::initializeWinIo() {
    ++calls.initialize;
    return !refuseOpen && core_.initialize();
}

int32_t TestDriver::shutdownWinIo() {
    ++calls.shutdown;
    const int32_t result = core_.shutdown();
    return shutdownResult.value_or(result);
}

bool TestDriver::getPortVal(uint16_t port, uint32_t* value, uint8_t size) {
    uint8_t unread = 0;
    return getPortValChecked(port, value, size, &unread);
}

bool TestDriver::getPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread) {
    ++calls.portReads;
    const bool read = core_.getPortValChecked(port, value, size, unread);
    if (read && applies(refuseRead, port)) {
        *value = size == 4 ? 0xFFFF'FFFFu : (1u << (8 * size)) - 1u;
        *unread = static_cast<uint8_t>((1u << size) - 1u);
    }
    return read;
}

bool TestDriver::setPortVal(uint16_t port, uint32_t value, uint8_t size) {
    ++calls.portWrites;
    if (applies(refuseWrite, port)) return false;
    if (applies(dropWrite, port)) return true;
    return core_.setPortVal(port, value, size);
}

bool TestDriver::getPhysByte(uint32_t address, uint8_t* value) {
    ++calls.physicalReads;
    return core_.getPhysByte(address, value);
}

bool TestDriver::getPhysWord(uint32_t address, uint16_t* value) {
    ++calls.physicalReads;
    return core_.getPhysWord(address, value);
}

bool TestDriver::getPhysLong(uint32_t address, uint32_t* value) {
    ++calls.physicalReads;
    return core_.getPhysLong(address, value);
}

bool TestDriver::getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) {
    ++calls.physicalReads;
    return core_.getPhysBlock(address, buffer, length);
}

bool openLiveLibrary() {
    UninitializeSysInfoLib();
    hw::setDriver(std::make_shared<TestDriver>(std::make_shared<winio::live::LiveHost>()));
    platform::setServices(platform::makeLiveServices());
    return InitializeSysInfoLib() == 1;
}

void resetLibrary() {
    UninitializeSysInfoLib();
    hw::setDriver(nullptr);
    platform::setServices(nullptr);
}

}  // namespace zelkora::testing
