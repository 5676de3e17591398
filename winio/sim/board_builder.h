#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/machine/machine_file.h"
#include "winio/sim/simulated_board.h"

namespace zelkora::winio::sim {

// Builds the board a machine description names. Throws
// platform::machine::MachineError naming the file and field on bad input.
std::unique_ptr<SimulatedBoard> buildBoard(const platform::machine::MachineFile& file);
std::unique_ptr<SimulatedBoard> loadBoard(const std::filesystem::path& path);

// Each model reads its own section of the description and attaches itself
// (or fills physical memory). One function per model, each in the file named
// after its section (pci_section.cpp, ...), called in this order by
// buildBoard; a model whose section is absent adds nothing.
void attachBiosArea(SimulatedBoard& board, const platform::machine::Field& root);
void attachPciBus(SimulatedBoard& board, const platform::machine::Field& root);
void attachSmbiosTables(SimulatedBoard& board, const platform::machine::Field& root);
void attachIdeChannels(SimulatedBoard& board, const platform::machine::Field& root);
void attachSuperIoChip(SimulatedBoard& board, const platform::machine::Field& root);

}  // namespace zelkora::winio::sim
