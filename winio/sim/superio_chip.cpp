#include "winio/sim/board_builder.h"

namespace zelkora::winio::sim {

// Model of the Super-I/O chip at its configuration index port.
void attachSuperIoChip(SimulatedBoard& /*board*/, const platform::machine::Field& /*root*/) {}

}  // namespace zelkora::winio::sim
