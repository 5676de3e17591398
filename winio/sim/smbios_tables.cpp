#include "winio/sim/board_builder.h"

namespace zelkora::winio::sim {

// Model of SMBIOS entry point and structure table, built into the BIOS area.
void attachSmbiosTables(SimulatedBoard& /*board*/, const platform::machine::Field& /*root*/) {}

}  // namespace zelkora::winio::sim
