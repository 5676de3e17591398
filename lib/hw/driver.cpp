#include "lib/hw/driver.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "winio/winio.h"

namespace zelkora::hw {

namespace {

// The driver bound with dlopen/dlsym by name (Linux has no ordinals).
class DynamicDriver : public Driver {
  public:
    DynamicDriver() { bind(); }
    ~DynamicDriver() override {
        if (handle_) dlclose(handle_);
    }
    DynamicDriver(const DynamicDriver&) = delete;
    DynamicDriver& operator=(const DynamicDriver&) = delete;

    bool initializeWinIo() override { return initialize_ && initialize_(); }
    int32_t shutdownWinIo() override { return shutdown_ ? shutdown_() : 0; }
    bool getPortVal(uint16_t port, uint32_t* value, uint8_t size) override {
        if (getPortVal_) return getPortVal_(port, value, size);
        if (value) *value = 0xFFFF'FFFFu;
        return false;
    }
    bool getPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread) override {
        if (getPortValChecked_) return getPortValChecked_(port, value, size, unread);
        return Driver::getPortValChecked(port, value, size, unread);
    }
    bool setPortVal(uint16_t port, uint32_t value, uint8_t size) override {
        return setPortVal_ && setPortVal_(port, value, size);
    }
    bool getPhysByte(uint32_t address, uint8_t* value) override {
        return getPhysByte_ && getPhysByte_(address, value);
    }
    bool getPhysWord(uint32_t address, uint16_t* value) override {
        return getPhysWord_ && getPhysWord_(address, value);
    }
    bool getPhysLong(uint32_t address, uint32_t* value) override {
        return getPhysLong_ && getPhysLong_(address, value);
    }
    bool getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) override {
        return getPhysBlock_ && getPhysBlock_(address, buffer, length);
    }
    void beginConfigScan() override {
        if (beginConfigScan_) beginConfigScan_();
    }
    void endConfigScan() override {
        if (endConfigScan_) endConfigScan_();
    }

  private:
    static std::string defaultPath() {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&defaultPath), &info) && info.dli_fname) {
            std::string self = info.dli_fname;
            const auto slash = self.rfind('/');
            if (slash != std::string::npos) return self.substr(0, slash + 1) + "libwinio.so";
        }
        return "libwinio.so";
    }

    template <typename Function>
    void resolve(Function& target, const char* name) {
        target = reinterpret_cast<Function>(dlsym(handle_, name));
    }

    void bind() {
        const char* named = std::getenv("ZELKORA_WINIO");
        const std::string path = named && *named ? std::string(named) : defaultPath();
        // RTLD_LOCAL keeps the driver's GetPortVal from standing in for ours.
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) return;
        resolve(initialize_, "InitializeWinIo");
        resolve(shutdown_, "ShutdownWinIo");
        resolve(getPortVal_, "GetPortVal");
        resolve(setPortVal_, "SetPortVal");
        resolve(getPhysByte_, "GetPhysByte");
        resolve(getPhysWord_, "GetPhysWord");
        resolve(getPhysLong_, "GetPhysLong");
        resolve(getPhysBlock_, "GetPhysBlock");
        // Optional: a driver without them serves every access directly and
        // reads every byte it is asked for.
        resolve(getPortValChecked_, "GetPortValChecked");
        resolve(beginConfigScan_, "BeginConfigScan");
        resolve(endConfigScan_, "EndConfigScan");
        if (!beginConfigScan_ || !endConfigScan_) beginConfigScan_ = endConfigScan_ = nullptr;
        if (!initialize_ || !shutdown_ || !getPortVal_ || !setPortVal_ || !getPhysByte_ ||
            !getPhysWord_ || !getPhysLong_ || !getPhysBlock_) {
            // A library that lacks any of the eight is no driver.
            initialize_ = nullptr;
        }
    }

    void* handle_ = nullptr;
    decltype(&::InitializeWinIo) initialize_ = nullptr;
    decltype(&::ShutdownWinIo) shutdown_ = nullptr;
    decltype(&::GetPortVal) getPortVal_ = nullptr;
    decltype(&::GetPortValChecked) getPortValChecked_ = nullptr;
    decltype(&::SetPortVal) setPortVal_ = nullptr;
    decltype(&::GetPhysByte) getPhysByte_ = nullptr;
    decltype(&::GetPhysWord) getPhysWord_ = nullptr;
    decltype(&::GetPhysLong) getPhysLong_ = nullptr;
    decltype(&::GetPhysBlock) getPhysBlock_ = nullptr;
    decltype(&::BeginConfigScan) beginConfigScan_ = nullptr;
    decltype(&::EndConfigScan) endConfigScan_ = nullptr;
};

std::shared_ptr<Driver>& boundDriver() {
    static std::shared_ptr<Driver> instance;
    return instance;
}

}  // namespace

Driver& driver() {
    auto& bound = boundDriver();
    if (!bound) bound = std::make_shared<DynamicDriver>();
    return *bound;
}

void setDriver(std::shared_ptr<Driver> replacement) {
    boundDriver() = std::move(replacement);
}

DriverPorts::Reading DriverPorts::readPort(uint16_t port, uint8_t size) {
    Reading reading;
    target().getPortValChecked(port, &reading.value, size, &reading.unread);
    return reading;
}

bool DriverPorts::writePort(uint16_t port, uint32_t value, uint8_t size) {
    return target().setPortVal(port, value, size);
}

common::PortIo& driverPorts() {
    static DriverPorts ports;
    return ports;
}

}  // namespace zelkora::hw
