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

    bool hasData() const { return !data_.empty(); }
    int length() const { return length_; }
    std::span<const std::uint8_t> bytes() const { return data_; }
    int bytesPerRow() const { return bytesPerRow_; }
    // The grid never scrolls, so the first byte shown is always byte 0.
    int topIndex() const { return 0; }
    std::uint8_t position() const { return position_; }
    HexEntryMode entryMode() const { return mode_; }
    const HexSelection& selection() const { return selection_; }

    // Moves by a nibble (-1, 0, +1) and a row (-1, 0, +1) in the current entry mode.
    void move(int nibbleStep, int rowStep);
    void pressKey(HexKey key, bool shift, bool ctrl);
    // Returns the byte that the character overwrote, if it changed one.
    std::optional<HexByteChange> typeCharacter(char32_t code);
    // A left click that landed on `byte` in `mode`, or on no byte at all.
    void click(std::optional<int> byte, HexEntryMode mode, bool shift);
    void clearSelection() { selection_ = HexSelection{}; }
    // A press without Shift that turned into a drag: an empty selection at
    // the position, which hides the caret; moving on does not extend it.
    void startDragSelection() { selection_ = HexSelection{position_, position_}; }

  private:
    void setPositionWrapped(int position);

    std::vector<std::uint8_t> data_;
    int length_ = 64;
    std::uint8_t position_ = 0;
    HexEntryMode mode_ = HexEntryMode::None;
    HexSelection selection_;
    int bytesPerRow_ = 8;
};

}  // namespace zelkora::app
