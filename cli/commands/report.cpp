// report FILE: the system report, exactly as the program's Save Data writes
// it with no IDE view open; "-" writes it to standard output. With --json the
// same model as one JSON object, replacing FILE whole.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/persist/machine_json.h"
#include "app/persist/system_report.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/standard_streams.h"

namespace zelkora::cli {

namespace {

struct ReportOptions {
    std::string file;
    bool json = false;
};

int writeJsonReport(const std::string& file) {
    const HardwareAccess access;
    if (!access.opened()) return kAccessRefused;
    const auto model = persist::readMachineModel(persist::allMachineSections());
    if (!writeWholeOutput(file, persist::machineJson(model))) return kUsageOrFileError;
    complain("wrote the system report as JSON into " + (file == "-" ? "standard output" : file));
    return kSuccess;
}

}  // namespace

Action defineReport(CLI::App& command) {
    auto options = std::make_shared<ReportOptions>();
    command
        .add_option("FILE", options->file,
                    "The report file (INI); an existing one is updated; - for standard output")
        ->required();
    command.add_flag("--json", options->json,
                     "Write the report as one JSON object (share/zelkora/zelkora.schema.json), "
                     "replacing FILE whole");
    return [options] {
        if (options->json) return writeJsonReport(options->file);
        OutputFile output(options->file);
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
