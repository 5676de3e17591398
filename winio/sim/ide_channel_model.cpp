#include "winio/sim/ide_channel_model.h"

#include "hardware/pc_addresses.h"

namespace zelkora::winio::sim {

void IdeChannel::setDrive(unsigned slot, std::unique_ptr<IdeDrive> drive) {
    slots_.at(slot).drive = std::move(drive);
}

bool IdeChannel::decodes(uint16_t port) const {
    return port >= base_ && port < base_ + hardware::kIdeTaskFileSize;
}

uint8_t IdeChannel::status(Slot& slot) {
    if (!slot.drive) return 0x00;
    const unsigned reads = slot.statusReads++;
    if (reads < slot.drive->busyReads) return hardware::kIdeBusy;
    uint8_t value = hardware::kIdeSeekComplete;
    if (reads >= slot.drive->busyReads + slot.drive->drdyDelay) value |= hardware::kIdeReady;
    if (slot.error) value |= hardware::kIdeError;
    if (slot.nextWord < 256) value |= hardware::kIdeDataRequest;
    return value;
}

uint16_t IdeChannel::nextDataWord(Slot& slot) {
    if (!slot.drive || slot.nextWord >= 256) return 0x0000;
    return slot.drive->words()[slot.nextWord++];
}

uint32_t IdeChannel::read(uint16_t port, unsigned size) {
    Slot& slot = slots_[selected_];
    switch (port - base_) {
        case hardware::kIdeDataRegister: {
            const uint16_t word = nextDataWord(slot);
            return size == 1 ? word & 0xFFu : word;
        }
        case hardware::kIdeDriveSelectRegister:
            return hardware::kIdeSelectMaster | selected_ << 4;
        case hardware::kIdeStatusRegister:
            return status(slot);
        default:
            return slot.drive ? 0x00 : 0xFF;
    }
}

void IdeChannel::write(uint16_t port, uint32_t value, unsigned /*size*/) {
    const unsigned offset = port - base_;
    if (offset == hardware::kIdeDriveSelectRegister) {
        selected_ = (value >> 4) & 1;
        return;
    }
    if (offset != hardware::kIdeStatusRegister) return;
    Slot& slot = slots_[selected_];
    if (!slot.drive) return;
    const auto command = static_cast<uint8_t>(value);
    slot.commands.push_back(command);
    slot.statusReads = 0;
    slot.error = !slot.drive->accepts(command);
    slot.nextWord = slot.error ? 256 : 0;
}

}  // namespace zelkora::winio::sim
