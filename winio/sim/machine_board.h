#pragma once

#include <filesystem>
#include <memory>

#include "platform/machine/machine_file.h"
#include "winio/core/backend.h"

namespace zelkora::winio::sim {

// The board a machine description names, as the driver uses it: what other
// modules need of a simulated machine, its models staying inside. Throws
// platform::machine::MachineError naming the file and field on bad input.
std::unique_ptr<Backend> machineBoard(const platform::machine::MachineFile& file);
std::unique_ptr<Backend> loadMachineBoard(const std::filesystem::path& path);

}  // namespace zelkora::winio::sim
