#include "winio/sim/ide_drive.h"

#include "hardware/pc_addresses.h"

namespace zelkora::winio::sim {

IdeDrive::IdeDrive(Kind kind) : kind_(kind) {
    // General configuration: fixed ATA disk, or removable ATAPI CD-ROM.
    words_[0] = kind == Kind::Ata ? 0x0040 : 0x85C0;
    rejected_ = {kind == Kind::Ata ? hardware::kIdentifyPacketDevice : hardware::kIdentifyDevice};
}

void IdeDrive::putText(unsigned first, unsigned count, std::string_view text) {
    for (unsigned i = 0; i < count && first + i < words_.size(); ++i) {
        const auto at = [&](size_t index) {
            return static_cast<uint8_t>(index < text.size() ? text[index] : ' ');
        };
        words_[first + i] = static_cast<uint16_t>(at(2 * i) << 8 | at(2 * i + 1));
    }
}

bool IdeDrive::accepts(uint8_t command) const {
    if (rejected_.contains(command)) return false;
    return command == hardware::kIdentifyPacketDevice || command == hardware::kIdentifyDevice;
}

}  // namespace zelkora::winio::sim
