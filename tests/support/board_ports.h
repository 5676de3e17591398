#pragma once

#include <utility>

#include "common/port_io.h"
#include "winio/core/backend.h"

namespace zelkora::testing {

// The shared register routines talking straight to a simulated board, or to
// any other source of ports, without the library.
class BoardPorts : public common::PortIo {
  public:
    explicit BoardPorts(winio::Backend& board) : board_(board) {}
    uint32_t in(uint16_t port, uint8_t size) override {
        const auto reading = board_.readPortChecked(port, size);
        refusedRead_ = refusedRead_ || reading.unread != 0;
        return reading.value;
    }
    void out(uint16_t port, uint32_t value, uint8_t size) override {
        board_.writePort(port, value, size);
    }
    bool takeRefusedRead() override { return std::exchange(refusedRead_, false); }

  private:
    winio::Backend& board_;
    bool refusedRead_ = false;
};

}  // namespace zelkora::testing
