#include "winio/sim/board_builder.h"

namespace zelkora::winio::sim {

// Model of the two IDE channels and their drives.
void attachIdeChannels(SimulatedBoard& /*board*/, const platform::machine::Field& /*root*/) {}

}  // namespace zelkora::winio::sim
