// pci-load [--dry-run] FILE: writes the stored configuration registers back,
// or only shows which registers that would change; "-" reads standard input.
#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "app/persist/library_ports.h"
#include "app/persist/pci_config_file.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/standard_streams.h"
#include "common/pci_config.h"

namespace zelkora::cli {

namespace {

struct PciLoadOptions {
    std::string file;
    bool dryRun = false;
};

bool sameFunction(const persist::RegisterWrite& write, const persist::PciFunction& function) {
    return write.bus == function.bus && write.device == function.device &&
           write.function == function.function;
}

std::string plural(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// Per function, each register whose value the load would change: reads only.
std::size_t printChanges(std::span<const persist::RegisterWrite> writes,
                         std::span<const persist::PciFunction> functions, common::PortIo& ports) {
    std::size_t changes = 0;
    for (const persist::PciFunction& function : functions) {
        std::array<uint8_t, 256> config{};
        bool read = false;
        bool named = false;
        for (const persist::RegisterWrite& write : writes) {
            if (!sameFunction(write, function)) continue;
            if (!read) {
                common::ReadPCIConfigByteBlock(ports, function.bus, function.device,
                                               function.function, config);
                read = true;
            }
            if (config[write.offset] == write.value) continue;
            if (!named) {
                std::printf("Bus%2.2X Dev%2.2X Fun%2.2X %s\n", function.bus, function.device,
                            function.function, function.description.c_str());
                named = true;
            }
            std::printf("  Register %2.2Xh: %2.2Xh -> %2.2Xh\n", write.offset, config[write.offset],
                        write.value);
            // The later writes of this function see the new byte.
            config[write.offset] = write.value;
            ++changes;
        }
    }
    return changes;
}

void reportNotes(const std::string& file, const persist::PciLoadNotes& notes) {
    for (const persist::SkippedValue& value : notes.skipped) {
        complain(file + ": [" + value.section + "] " + value.key + ": \"" + value.value +
                 "\" is not one or two hexadecimal digits (optionally followed by h); not written");
    }
    for (const std::string& section : notes.unmatchedSections)
        complain(file + ": [" + section + "] names no PCI function of this machine");
}

}  // namespace

Action definePciLoad(CLI::App& command) {
    auto options = std::make_shared<PciLoadOptions>();
    command.add_flag("--dry-run", options->dryRun,
                     "Show the registers that would change (offset, old, new); write nothing");
    command.add_option("FILE", options->file, "The configuration file (INI); - for standard input")
        ->required();
    return [options] {
        const InputFile input(options->file);
        if (!input.ready()) {
            complain("cannot read " + input.name() + ": " + input.problem());
            return kUsageOrFileError;
        }
        if (const std::string problem = persist::loadProblem(input.path()); !problem.empty()) {
            complain("cannot read " + input.name() + ": " + problem);
            return kUsageOrFileError;
        }
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        const std::vector<persist::PciFunction> functions = persist::walkPciFunctions();
        persist::PciLoadNotes notes;
        const std::vector<persist::RegisterWrite> writes =
            persist::planPciLoad(input.path(), functions, &notes);
        if (!notes.readProblem.empty()) {
            complain("cannot read " + input.name() + ": " + notes.readProblem);
            return kUsageOrFileError;
        }
        reportNotes(input.name(), notes);
        const std::string planned = plural(writes.size(), "register") + " of " +
                                    plural(persist::touchedFunctions(writes), "function");
        const std::string skipped = plural(notes.skipped.size(), "value") + " skipped, " +
                                    plural(notes.unmatchedSections.size(), "section") +
                                    " matching no function";
        if (writes.empty()) {
            complain("nothing in " + input.name() + " applies to this machine (" + skipped +
                     "); nothing was written");
            return kNothingApplies;
        }
        persist::LibraryPorts ports;
        if (options->dryRun) {
            const std::size_t changes = printChanges(writes, functions, ports);
            std::printf("%s would change; nothing was written.\n",
                        plural(changes, "register").c_str());
            complain("the load would write " + planned + " (unchanged ones included; " + skipped +
                     ")");
            return kSuccess;
        }
        const std::size_t refused = persist::applyPciLoad(writes, ports);
        if (refused > 0) {
            complain("the driver refused " + std::to_string(refused) + " of " +
                     plural(writes.size(), "register write") +
                     " (writing PCI configuration space needs root); " + input.name() +
                     " was not loaded completely");
            return kAccessRefused;
        }
        complain("wrote " + planned + " from " + input.name() + " (" + skipped + ")");
        return kSuccess;
    };
}

}  // namespace zelkora::cli
