#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "winio/sim/ide_drive.h"
#include "winio/sim/port_device.h"

namespace zelkora::winio::sim {

// The task file of one IDE channel with up to two drives. Selecting a
// position with no drive beside a present one reads status 00h: never
// busy, never ready. A channel with no drives at all is not attached, so
// its ports float (FFh: busy forever).
class IdeChannel : public PortDevice {
  public:
    explicit IdeChannel(uint16_t base) : base_(base) {}

    void setDrive(unsigned slot, std::unique_ptr<IdeDrive> drive);
    IdeDrive* drive(unsigned slot) const { return slots_[slot].drive.get(); }
    uint16_t base() const { return base_; }
    // The commands each slot received, in order.
    const std::vector<uint8_t>& commands(unsigned slot) const { return slots_[slot].commands; }

    bool decodes(uint16_t port) const override;
    uint32_t read(uint16_t port, unsigned size) override;
    void write(uint16_t port, uint32_t value, unsigned size) override;

  private:
    struct Slot {
        std::unique_ptr<IdeDrive> drive;
        std::vector<uint8_t> commands;
        bool error = false;
        unsigned statusReads = 0;  // since the last command
        unsigned nextWord = 256;   // 256: no data pending
    };

    uint8_t status(Slot& slot);
    uint16_t nextDataWord(Slot& slot);

    uint16_t base_;
    unsigned selected_ = 0;
    std::array<Slot, 2> slots_;
};

}  // namespace zelkora::winio::sim
