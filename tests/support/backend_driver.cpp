#include "tests/support/backend_driver.h"

#include "platform/live/live_services.h"
#include "platform/services.h"
#include "winio/core/driver_core.h"
#include "winio/live/live_host.h"
#include "zelkora/sysinfo.h"

namespace zelkora::testing {

namespace {

class BackendDriver : public hw::Driver {
  public:
    BackendDriver(std::shared_ptr<winio::Backend> backend, PortFilter refuseWrite)
        : core_(std::move(backend)), refuseWrite_(std::move(refuseWrite)) {}

    bool initializeWinIo() override { return core_.initialize(); }
    int32_t shutdownWinIo() override { return core_.shutdown(); }
    bool getPortVal(uint16_t port, uint32_t* value, uint8_t size) override {
        return core_.getPortVal(port, value, size);
    }
    bool getPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread) override {
        return core_.getPortValChecked(port, value, size, unread);
    }
    bool setPortVal(uint16_t port, uint32_t value, uint8_t size) override {
        return !(refuseWrite_ && refuseWrite_(port)) && core_.setPortVal(port, value, size);
    }
    bool getPhysByte(uint32_t address, uint8_t* value) override {
        return core_.getPhysByte(address, value);
    }
    bool getPhysWord(uint32_t address, uint16_t* value) override {
        return core_.getPhysWord(address, value);
    }
    bool getPhysLong(uint32_t address, uint32_t* value) override {
        return core_.getPhysLong(address, value);
    }
    bool getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) override {
        return core_.getPhysBlock(address, buffer, length);
    }
    void beginConfigScan() override { core_.beginConfigScan(); }
    void endConfigScan() override { core_.endConfigScan(); }

  private:
    winio::DriverCore core_;
    PortFilter refuseWrite_;
};

}  // namespace

std::unique_ptr<hw::Driver> makeBackendDriver(std::shared_ptr<winio::Backend> backend,
                                              PortFilter refuseWrite) {
    return std::make_unique<BackendDriver>(std::move(backend), std::move(refuseWrite));
}

bool openLiveLibrary() {
    UninitializeSysInfoLib();
    hw::setDriver(makeBackendDriver(std::make_shared<winio::live::LiveHost>()));
    platform::setServices(platform::makeLiveServices());
    return InitializeSysInfoLib() == 1;
}

void resetLibrary() {
    UninitializeSysInfoLib();
    hw::setDriver(nullptr);
    platform::setServices(nullptr);
}

}  // namespace zelkora::testing
