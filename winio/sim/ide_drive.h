#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string_view>

namespace zelkora::winio::sim {

// One drive on an IDE channel: its 256 identify words and how it answers
// the two identify commands.
class IdeDrive {
  public:
    enum class Kind : uint8_t { Ata, Atapi };

    explicit IdeDrive(Kind kind);

    Kind kind() const { return kind_; }
    std::array<uint16_t, 256>& words() { return words_; }
    const std::array<uint16_t, 256>& words() const { return words_; }

    // Puts text into words [first, first + count) in the ATA string order
    // (high byte first), padded with blanks; longer text is cut.
    void putText(unsigned first, unsigned count, std::string_view text);

    // An ATA drive aborts A1h and an ATAPI drive ECh unless told otherwise.
    void setRejected(std::set<uint8_t> commands) { rejected_ = std::move(commands); }
    bool accepts(uint8_t command) const;

    // Status reads after a command that still show BSY, then reads that
    // show everything but DRDY.
    unsigned busyReads = 0;
    unsigned drdyDelay = 0;

  private:
    Kind kind_;
    std::array<uint16_t, 256> words_{};
    std::set<uint8_t> rejected_;
};

}  // namespace zelkora::winio::sim
