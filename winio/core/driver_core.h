#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "winio/core/backend.h"

namespace zelkora::winio {

// The eight driver operations over one backend. The exported C functions use
// a process-wide instance; tests make their own around a simulated board.
class DriverCore {
  public:
    DriverCore() = default;
    // A core that opens `backend` instead of the one the environment names.
    explicit DriverCore(std::shared_ptr<Backend> backend) : fixedBackend_(std::move(backend)) {}

    bool initialize();
    int32_t shutdown();
    bool getPortVal(uint16_t port, uint32_t* value, uint8_t size);
    // As getPortVal; `unread` marks the bytes that are no reading (Backend::PortReading).
    bool getPortValChecked(uint16_t port, uint32_t* value, uint8_t size, uint8_t* unread);
    bool setPortVal(uint16_t port, uint32_t value, uint8_t size);
    bool getPhysByte(uint32_t address, uint8_t* value);
    bool getPhysWord(uint32_t address, uint16_t* value);
    bool getPhysLong(uint32_t address, uint32_t* value);
    bool getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length);
    // A walk of the PCI bus starts or ends (Backend::beginConfigScan).
    void beginConfigScan();
    void endConfigScan();

    bool open() const { return static_cast<bool>(backend_); }
    // Why the last initialize failed.
    const std::string& lastError() const { return lastError_; }
    // True once for each new lastError (the caller reports it).
    bool takeUnreportedError() {
        if (lastError_.empty() || lastError_ == reportedError_) return false;
        reportedError_ = lastError_;
        return true;
    }

  private:
    std::shared_ptr<Backend> fixedBackend_;
    std::shared_ptr<Backend> backend_;
    std::string lastError_;
    std::string reportedError_;
};

}  // namespace zelkora::winio
