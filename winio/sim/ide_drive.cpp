#include "winio/sim/ide_drive.h"

namespace zelkora::winio::sim {

IdeDrive::IdeDrive(Kind kind) : kind_(kind) {
    // General configuration: fixed ATA disk, or removable ATAPI CD-ROM.
    words_[0] = kind == Kind::Ata ? 0x0040 : 0x85C0;
    rejected_ = {kind == Kind::Ata ? kIdentifyPacket : kIdentifyDevice};
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
    return command == kIdentifyPacket || command == kIdentifyDevice;
}

}  // namespace zelkora::winio::sim
