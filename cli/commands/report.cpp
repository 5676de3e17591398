// report FILE: the system report, exactly as the program's Save Data writes
// it with no IDE view open; "-" writes it to standard output.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/persist/system_report.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/standard_streams.h"

namespace zelkora::cli {

Action defineReport(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    command
        .add_option("FILE", *file,
                    "The report file (INI); an existing one is updated; - for standard output")
        ->required();
    return [file] {
        OutputFile output(*file);
        if (!output.ready()) {
            complain("cannot write " + output.name() + ": " + output.problem());
            return kUsageOrFileError;
        }
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        std::string problem;
        if (!persist::writeSystemReport(output.path(), {}, &problem) || !output.finish()) {
            complain("cannot write " + output.name() + ": " +
                     (problem.empty() ? output.problem() : problem));
            return kUsageOrFileError;
        }
        complain("wrote the system report into " + output.name());
        return kSuccess;
    };
}

}  // namespace zelkora::cli
