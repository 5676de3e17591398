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
    m_data.assign(bytes.begin(), bytes.end());
    m_length = static_cast<int>(bytes.size());
    m_position = 0;
    m_mode = HexEntryMode::HexHigh;
    clearSelection();
}

void HexGridModel::setBytesPerRow(int count) {
    // Row arithmetic divides by this; a row of no bytes cannot be laid out.
    if (count > 0) m_bytesPerRow = count;
}

void HexGridModel::setPositionWrapped(int position) {
    const int wrapped = ((position % 256) + 256) % 256;
    // Past the end of a short buffer the move is taken back; the mode change stays.
    if (wrapped < m_length) m_position = static_cast<std::uint8_t>(wrapped);
}

void HexGridModel::move(int nibbleStep, int rowStep) {
    int position = m_position;
    switch (m_mode) {
        case HexEntryMode::None:
            return;
        case HexEntryMode::Character:
            position += nibbleStep;
            break;
        case HexEntryMode::HexHigh:
            if (nibbleStep != 0) {
                m_mode = HexEntryMode::HexLow;
                if (nibbleStep < 0) --position;
            }
            break;
        case HexEntryMode::HexLow:
            if (nibbleStep != 0) {
                m_mode = HexEntryMode::HexHigh;
                if (nibbleStep > 0) ++position;
            }
            break;
    }
    setPositionWrapped(position + rowStep * m_bytesPerRow);
}

void HexGridModel::pressKey(HexKey key, bool shift, bool ctrl) {
    switch (key) {
        case HexKey::Tab:
            m_mode = (m_mode == HexEntryMode::None || m_mode == HexEntryMode::Character)
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
    } else if (!m_selection.exists()) {
        m_selection.anchor = m_position;
    }

    const int rowStart = topIndex() + (m_position - topIndex()) / m_bytesPerRow * m_bytesPerRow;
    switch (key) {
        case HexKey::Home:
            // Shift+Ctrl+Home keeps the position and selects the byte under the caret.
            if (!ctrl) {
                m_position = static_cast<std::uint8_t>(rowStart);
            } else if (!shift) {
                m_position = 0;
            }
            break;
        case HexKey::End:
            if (m_length > 0) {
                const int rowEnd =
                    ctrl ? m_length - 1 : std::min(rowStart + m_bytesPerRow - 1, m_length - 1);
                m_position = static_cast<std::uint8_t>(rowEnd);
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
            (key == HexKey::Right || key == HexKey::Down) && isHexMode(m_mode);
        m_selection.end = m_position + (takesCaretByte ? 1 : 0);
    }
}

std::optional<HexByteChange> HexGridModel::typeCharacter(char32_t code) {
    if (!hasData() || code == kTab) return std::nullopt;
    if (code == kBackspace) {
        if (m_position > 0) --m_position;
        return std::nullopt;
    }

    clearSelection();
    const int offset = m_position;
    if (offset >= m_length) return std::nullopt;
    std::uint8_t& byte = m_data[static_cast<std::size_t>(offset)];
    switch (m_mode) {
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
    if (shift) m_selection.anchor = m_position;
    if (byte) {
        m_position = static_cast<std::uint8_t>(*byte);
        m_mode = mode;
        if (shift) m_selection.end = m_position + (isHexMode(mode) ? 1 : 0);
    }
    if (!shift) clearSelection();
}

}  // namespace zelkora::app
