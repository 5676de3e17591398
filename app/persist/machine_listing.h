#pragma once

#include <string>

#include "app/persist/machine_model.h"

namespace zelkora::persist {

// The model as text, laid out as the report is in a new file: the report's
// sections in its order, "[Section]" and "Key=Value" lines with the report's
// values, a blank line between sections; and beside the report's keys the
// chipset driver's fields, each Super-I/O chip's keys once, and texts with
// the leading blanks an INI file drops (a right-aligned drive serial).
std::string machineListing(const MachineModel& model);

}  // namespace zelkora::persist
