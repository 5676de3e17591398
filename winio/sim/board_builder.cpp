#include "winio/sim/board_builder.h"

#include "winio/sim/machine_board.h"

namespace zelkora::winio::sim {

std::unique_ptr<SimulatedBoard> buildBoard(const platform::machine::MachineFile& file) {
    auto board = std::make_unique<SimulatedBoard>();
    const auto root = platform::machine::rootField(file);
    platform::machine::expectTopLevelKeys(root);
    attachBiosArea(*board, root);
    attachPciBus(*board, root);
    attachSmbiosTables(*board, root);
    attachIdeChannels(*board, root);
    attachSuperIoChip(*board, root);
    return board;
}

std::unique_ptr<SimulatedBoard> loadBoard(const std::filesystem::path& path) {
    return buildBoard(*platform::machine::MachineFile::load(path));
}

std::unique_ptr<Backend> machineBoard(const platform::machine::MachineFile& file) {
    return buildBoard(file);
}

std::unique_ptr<Backend> loadMachineBoard(const std::filesystem::path& path) {
    return loadBoard(path);
}

}  // namespace zelkora::winio::sim
