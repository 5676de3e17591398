#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zelkora::app {

// What the next typed character overwrites. The values are those the owner dialogs have
// always seen, so keep them.
enum class HexEntryMode : int { None = 0, Character = 1, HexHigh = 2, HexLow = 3 };

inline bool isHexMode(HexEntryMode mode) {
    return mode == HexEntryMode::HexHigh || mode == HexEntryMode::HexLow;
}

// A selection runs from the lower end up to, but not including, the higher end. Either end at
// -1 means there is none; an anchor may be left without an end by a Shift-click that misses.
struct HexSelection {
    int anchor = -1;
    int end = -1;

    bool exists() const { return anchor >= 0 && end >= 0; }
    int lower() const { return std::min(anchor, end); }
    int upper() const { return std::max(anchor, end); }
    bool covers(int index) const { return exists() && index >= lower() && index < upper(); }
};

// The keys with an effect of their own; every other key only reports the position.
enum class HexKey { Tab, PageUp, PageDown, Home, End, Left, Right, Up, Down, Insert, Delete };

struct HexByteChange {
    int offset;
    std::uint8_t value;
};

// The grid's bytes, caret position, entry mode and selection, and the editing rules that change
// them. Positions are 8-bit: every move wraps modulo 256, which with a 256-byte register space
// lets the caret run off one edge and come back at the other.
class HexGridModel {
  public:
    void setData(std::span<const std::uint8_t> bytes);
    void setBytesPerRow(int count);

    bool hasData() const { return !m_data.empty(); }
    int length() const { return m_length; }
    std::span<const std::uint8_t> bytes() const { return m_data; }
    int bytesPerRow() const { return m_bytesPerRow; }
    // The grid never scrolls, so the first byte shown is always byte 0.
    int topIndex() const { return 0; }
    std::uint8_t position() const { return m_position; }
    HexEntryMode entryMode() const { return m_mode; }
    const HexSelection& selection() const { return m_selection; }

    // Moves by a nibble (-1, 0, +1) and a row (-1, 0, +1) in the current entry mode.
    void move(int nibbleStep, int rowStep);
    void pressKey(HexKey key, bool shift, bool ctrl);
    // Returns the byte that the character overwrote, if it changed one.
    std::optional<HexByteChange> typeCharacter(char32_t code);
    // A left click that landed on `byte` in `mode`, or on no byte at all.
    void click(std::optional<int> byte, HexEntryMode mode, bool shift);
    void clearSelection() { m_selection = HexSelection{}; }
    // A press without Shift that turned into a drag: an empty selection at
    // the position, which hides the caret; moving on does not extend it.
    void startDragSelection() { m_selection = HexSelection{m_position, m_position}; }

  private:
    void setPositionWrapped(int position);

    std::vector<std::uint8_t> m_data;
    int m_length = 64;
    std::uint8_t m_position = 0;
    HexEntryMode m_mode = HexEntryMode::None;
    HexSelection m_selection;
    int m_bytesPerRow = 8;
};

}  // namespace zelkora::app
