#pragma once

#include "common/port_io.h"
#include "winio/sim/simulated_board.h"

namespace zelkora::testing {

// The shared register routines talking straight to a simulated board.
class BoardPorts : public common::PortIo {
  public:
    explicit BoardPorts(winio::sim::SimulatedBoard& board) : board_(board) {}
    uint32_t in(uint16_t port, uint8_t size) override { return board_.readPort(port, size); }
    void out(uint16_t port, uint32_t value, uint8_t size) override {
        board_.writePort(port, value, size);
    }

  private:
    winio::sim::SimulatedBoard& board_;
};

}  // namespace zelkora::testing
