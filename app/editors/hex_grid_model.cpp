#include "app/editors/hex_grid_model.h"

namespace zelkora::app {

namespace {

std::optional<int> hexDigitValue(char32_t code) {
    if (code >= U'0' && code <= U'9') return static_cast<int>(code - U'0');
    if (code >= U'A' && code <= U'F') return static_cast<int>(code - U'A') + 10;
    if (code >= U'a' && code <= U'f') return static_cast<int>(code - U'a') + 10;
    return std::nullopt;
}

constexpr char32_t kBackspace = 8;
constexpr char32_t kTab = 9;

}  // namespace

void HexGridModel::setData(std::span<const std::uint8_t> bytes) {
    data_.assign(bytes.begin(), bytes.end());
    length_ = static_cast<int>(bytes.size());
    position_ = 0;
    mode_ = HexEntryMode::HexHigh;
    clearSelection();
}

void HexGridModel::setBytesPerRow(int count) {
    // Row arithmetic divides by this; a row of no bytes cannot be laid out.
    if (count > 0) bytesPerRow_ = count;
}

void HexGridModel::setPositionWrapped(int position) {
    const int wrapped = ((position % 256) + 256) % 256;
    // Past the end of a short buffer the move is taken back; the mode change stays.
    if (wrapped < length_) position_ = static_cast<std::uint8_t>(wrapped);
}

void HexGridModel::move(int nibbleStep, int rowStep) {
    int position = position_;
    switch (mode_) {
        case HexEntryMode::None:
            return;
        case HexEntryMode::Character:
            position += nibbleStep;
            break;
        case HexEntryMode::HexHigh:
            if (nibbleStep != 0) {
                mode_ = HexEntryMode::HexLow;
                if (nibbleStep < 0) --position;
            }
            break;
        case HexEntryMode::HexLow:
            if (nibbleStep != 0) {
                mode_ = HexEntryMode::HexHigh;
                if (nibbleStep > 0) ++position;
            }
            break;
    }
    setPositionWrapped(position + rowStep * bytesPerRow_);
}

void HexGridModel::pressKey(HexKey key, bool shift, bool ctrl) {
    switch (key) {
        case HexKey::Tab:
            mode_ = (mode_ == HexEntryMode::None || mode_ == HexEntryMode::Character)
                        ? HexEntryMode::HexHigh
                        : HexEntryMode::Character;
            return;
        case HexKey::Insert:
        case HexKey::Delete:
            return;
        default:
            break;
    }

    if (!shift) {
        clearSelection();
    } else if (!selection_.exists()) {
        selection_.anchor = position_;
    }

    const int rowStart = topIndex() + (position_ - topIndex()) / bytesPerRow_ * bytesPerRow_;
    switch (key) {
        case HexKey::Home:
            // Shift+Ctrl+Home keeps the position and selects the byte under the caret.
            if (!ctrl) {
                position_ = static_cast<std::uint8_t>(rowStart);
            } else if (!shift) {
                position_ = 0;
            }
            break;
        case HexKey::End:
            if (length_ > 0) {
                const int rowEnd =
                    ctrl ? length_ - 1 : std::min(rowStart + bytesPerRow_ - 1, length_ - 1);
                position_ = static_cast<std::uint8_t>(rowEnd);
            }
            break;
        case HexKey::Left:
            move(-1, 0);
            break;
        case HexKey::Right:
            move(+1, 0);
            break;
        case HexKey::Up:
            move(0, -1);
            break;
        case HexKey::Down:
            move(0, +1);
            break;
        default:  // Page Up and Page Down: the grid never scrolls.
            break;
    }

    if (shift) {
        // Going right or down in a hex mode takes the byte under the caret into the selection.
        const bool takesCaretByte =
            (key == HexKey::Right || key == HexKey::Down) && isHexMode(mode_);
        selection_.end = position_ + (takesCaretByte ? 1 : 0);
    }
}

std::optional<HexByteChange> HexGridModel::typeCharacter(char32_t code) {
    if (!hasData() || code == kTab) return std::nullopt;
    if (code == kBackspace) {
        if (position_ > 0) --position_;
        return std::nullopt;
    }

    clearSelection();
    const int offset = position_;
    if (offset >= length_) return std::nullopt;
    std::uint8_t& byte = data_[static_cast<std::size_t>(offset)];
    switch (mode_) {
        case HexEntryMode::None:
            return std::nullopt;
        case HexEntryMode::Character:
            // Only printable characters are data: Escape, Enter and other
            // control codes (and text beyond ASCII) must never reach a
            // register, as in hex entry a key that is no digit changes nothing.
            if (code < 0x20 || code > 0x7E) return std::nullopt;
            byte = static_cast<std::uint8_t>(code);
            break;
        case HexEntryMode::HexHigh: {
            const auto digit = hexDigitValue(code);
            if (!digit) return std::nullopt;
            byte = static_cast<std::uint8_t>((*digit << 4) | (byte & 0x0F));
            break;
        }
        case HexEntryMode::HexLow: {
            const auto digit = hexDigitValue(code);
            if (!digit) return std::nullopt;
            byte = static_cast<std::uint8_t>((byte & 0xF0) | *digit);
            break;
        }
    }
    const HexByteChange change{offset, byte};
    move(+1, 0);
    return change;
}

void HexGridModel::click(std::optional<int> byte, HexEntryMode mode, bool shift) {
    if (shift) selection_.anchor = position_;
    if (byte) {
        position_ = static_cast<std::uint8_t>(*byte);
        mode_ = mode;
        if (shift) selection_.end = position_ + (isHexMode(mode) ? 1 : 0);
    }
    if (!shift) clearSelection();
}

}  // namespace zelkora::app
