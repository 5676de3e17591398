#pragma once

#include <cstdint>
#include <vector>

namespace zelkora::winio::sim {

struct PortAccess {
    enum class Direction : uint8_t { Read, Write };

    uint16_t port = 0;
    uint8_t size = 0;
    uint32_t value = 0;
    Direction direction = Direction::Read;

    friend bool operator==(const PortAccess&, const PortAccess&) = default;
};

// Records every port operation the board sees while recording is on, so that
// tests can assert exact register sequences.
class PortRecorder {
  public:
    void start() { recording_ = true; }
    void stop() { recording_ = false; }
    void clear() { accesses_.clear(); }
    bool recording() const { return recording_; }

    void record(const PortAccess& access) {
        if (recording_) accesses_.push_back(access);
    }
    const std::vector<PortAccess>& accesses() const { return accesses_; }

  private:
    bool recording_ = false;
    std::vector<PortAccess> accesses_;
};

// Shorthands for expected sequences in tests.
inline PortAccess portRead(uint16_t port, uint32_t value, uint8_t size = 1) {
    return {port, size, value, PortAccess::Direction::Read};
}
inline PortAccess portWrite(uint16_t port, uint32_t value, uint8_t size = 1) {
    return {port, size, value, PortAccess::Direction::Write};
}

}  // namespace zelkora::winio::sim
