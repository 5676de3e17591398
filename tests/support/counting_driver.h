#pragma once

#include "lib/hw/driver.h"

namespace zelkora::testing {

// How often the library called a CountingDriver.
struct DriverCalls {
    int initialize = 0;
    int shutdown = 0;
    int portReads = 0;
};

// A driver without hardware that opens or refuses as told and counts the
// library's calls; a port read answers port + size, shutting down 1234h.
class CountingDriver : public hw::Driver {
  public:
    CountingDriver(DriverCalls& calls, bool opens) : calls_(calls), opens_(opens) {}
    bool initializeWinIo() override { return ++calls_.initialize, opens_; }
    int32_t shutdownWinIo() override { return ++calls_.shutdown, 0x1234; }
    bool getPortVal(uint16_t port, uint32_t* value, uint8_t size) override {
        ++calls_.portReads;
        *value = port + size;
        return true;
    }
    bool setPortVal(uint16_t, uint32_t, uint8_t) override { return true; }
    bool getPhysByte(uint32_t, uint8_t*) override { return false; }
    bool getPhysWord(uint32_t, uint16_t*) override { return false; }
    bool getPhysLong(uint32_t, uint32_t*) override { return false; }
    bool getPhysBlock(uint32_t, uint8_t*, uint32_t) override { return false; }

  private:
    DriverCalls& calls_;
    bool opens_;
};

}  // namespace zelkora::testing
