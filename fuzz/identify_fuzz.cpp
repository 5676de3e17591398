// Identify data of any content, answered by a drive that passes every status
// check: the record's texts must stay inside their fields and end in NUL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "hardware/pc_addresses.h"
#include "lib/devices/ide_devices.h"
#include "tests/support/test_driver.h"

namespace {

class IdentifyingDrive : public zelkora::winio::Backend {
  public:
    IdentifyingDrive(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    PortReading readPortChecked(uint16_t port, unsigned size) override {
        if ((port & 7) == 7) return {drq_ ? 0x58u : 0x50u, 0};
        if (size == 1) return {0, 0};
        const size_t at = 2 * next_++;
        if (next_ >= 256) drq_ = false;
        const uint8_t low = at < size_ ? data_[at] : 0;
        const uint8_t high = at + 1 < size_ ? data_[at + 1] : 0;
        return {static_cast<uint32_t>(low | high << 8), 0};
    }
    bool writePort(uint16_t port, uint32_t, unsigned) override {
        if ((port & 7) == 7) drq_ = true;
        return true;
    }
    bool readPhysical(uint32_t, std::span<uint8_t>) override { return false; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
    bool drq_ = false;
};

template <size_t N>
void requireTerminated(const char (&field)[N]) {
    if (!std::memchr(field, 0, N)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zelkora::testing::TestDriver driver(std::make_shared<IdentifyingDrive>(data, size));
    IDEDeviceInfo record{};
    record.Position = 1;
    if (!zelkora::devices::IdentifyDrive(driver.ports(), record,
                                         zelkora::hardware::kIdentifyDevice))
        std::abort();
    requireTerminated(record.SerialNumber);
    requireTerminated(record.FirmwareRev);
    requireTerminated(record.ModelNumber);
    return 0;
}
