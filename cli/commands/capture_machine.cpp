// capture-machine FILE: this host described as a machine file, to replay it
// elsewhere through ZELKORA_MACHINE; what names the computer, its user or
// the unit is left out unless --keep-serials keeps it.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "capture/machine_capture.h"
#include "cli/commands/command.h"

namespace zelkora::cli {

namespace {

struct CaptureOptions {
    std::string file;
    bool keepSerials = false;
};

}  // namespace

Action defineCaptureMachine(CLI::App& command) {
    auto options = std::make_shared<CaptureOptions>();
    command
        .add_option("FILE", options->file,
                    "The machine file (JSON); its registry goes beside it (.reg)")
        ->required();
    command.add_flag("--keep-serials", options->keepSerials,
                     "Keep the computer and user names, the SMBIOS serial numbers, asset tags "
                     "and UUID and the drives' serial numbers (left out by default)");
    return [options] {
        return capture::captureMachine(options->file, std::cerr,
                                       options->keepSerials ? capture::Privacy::KeepEverything
                                                            : capture::Privacy::LeaveOutSerials);
    };
}

}  // namespace zelkora::cli
