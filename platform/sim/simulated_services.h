#pragma once

#include <memory>

#include "platform/machine/machine_file.h"
#include "platform/services.h"

namespace zelkora::platform {

// The services of a simulated machine, answered from its description file.
// Throws machine::MachineError (or registry::RegFileError) on bad input.
std::unique_ptr<SystemServices> makeSimulatedServices(const machine::MachineFile& file);

}  // namespace zelkora::platform
