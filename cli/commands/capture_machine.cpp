// capture-machine FILE: this host described as a machine file, to replay it
// elsewhere through ZELKORA_MACHINE.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "capture/machine_capture.h"
#include "cli/commands/command.h"

namespace zelkora::cli {

Action defineCaptureMachine(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    command
        .add_option("FILE", *file, "The machine file (JSON); its registry goes beside it (.reg)")
        ->required();
    return [file] { return capture::captureMachine(*file, std::cerr); };
}

}  // namespace zelkora::cli
