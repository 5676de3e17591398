#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelkora::capture {

// What stands in a private capture for the computer's and the user's names.
inline constexpr std::string_view kComputerNamePlaceholder = "COMPUTER";
inline constexpr std::string_view kUserNamePlaceholder = "user";

// The kinds of facts a private capture replaced, each named once, in the
// order first met ("the board serial number").
class Redactions {
  public:
    void note(std::string_view what);
    const std::vector<std::string>& replaced() const { return replaced_; }

  private:
    std::vector<std::string> replaced_;
};

// Replaces in place, in an SMBIOS structure table, what identifies the unit:
// the serial numbers and asset tags of the system, board, chassis, processor
// and memory devices become as many "X" as they had characters, and the
// system UUID becomes zeros (no UUID). The table keeps its length, so the
// entry point pointing at it stays right. A malformed structure ends the walk.
void redactSmbiosTable(std::span<uint8_t> table, Redactions& redactions);

// Replaces the serial number in identify words 10-19 (every character but
// the padding blanks becomes "X") and mends the checksum in word 255 where
// the drive keeps one. False when there was no serial to replace.
bool redactDriveSerial(std::array<uint16_t, 256>& words);

}  // namespace zelkora::capture
