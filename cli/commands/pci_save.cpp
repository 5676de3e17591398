// pci-save FILE: the live configuration registers of every PCI function; "-"
// writes them to standard output.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "app/persist/library_ports.h"
#include "app/persist/pci_config_file.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/standard_streams.h"

namespace zelkora::cli {

Action definePciSave(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    command
        .add_option("FILE", *file,
                    "The configuration file (INI); an existing one is updated; - for standard "
                    "output")
        ->required();
    return [file] {
        OutputFile output(*file);
        if (!output.ready()) {
            complain("cannot write " + output.name() + ": " + output.problem());
            return kUsageOrFileError;
        }
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        const std::vector<persist::PciFunction> functions = persist::walkPciFunctions();
        if (functions.empty()) {
            complain("no PCI function was found; " + output.name() + " was not written");
            return kAccessRefused;
        }
        persist::LibraryPorts ports;
        persist::PciSaveProblem problem;
        if (persist::savePciConfig(output.path(), functions, ports, &problem) && output.finish()) {
            complain("saved the configuration registers of " + std::to_string(functions.size()) +
                     " PCI functions into " + output.name());
            return kSuccess;
        }
        if (const auto& function = problem.unreadFunction) {
            char offset[8];
            std::snprintf(offset, sizeof offset, "%2.2Xh", problem.firstUnreadOffset);
            complain("cannot read configuration register " + std::string(offset) + " of " +
                     persist::functionName(*function) + " (" + function->description + "): bytes " +
                     problem.unreadBytes +
                     " are refused to this user; saving every register needs root. " +
                     output.name() + " was not written");
            return kAccessRefused;
        }
        complain("cannot write " + output.name() + ": " +
                 (problem.fileProblem.empty() ? output.problem() : problem.fileProblem));
        return kUsageOrFileError;
    };
}

}  // namespace zelkora::cli
