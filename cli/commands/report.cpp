// report FILE: the system report, exactly as the program's Save Data writes
// it with no IDE view open.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "app/persist/system_report.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"

namespace zelkora::cli {

Action defineReport(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    command.add_option("FILE", *file, "The report file (INI); an existing one is updated")
        ->required();
    return [file] {
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        if (!persist::writeSystemReport(absolutePath(*file), {})) {
            std::fprintf(stderr, "zelkora-cli: cannot write %s\n", file->c_str());
            return kUsageOrFileError;
        }
        return kSuccess;
    };
}

}  // namespace zelkora::cli
