#include "winio/sim/board_builder.h"

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

}  // namespace zelkora::winio::sim
