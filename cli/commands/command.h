#pragma once

#include <array>
#include <functional>
#include <string_view>

namespace CLI {
class App;
}

namespace zelkora::cli {

// Exit statuses of every command.
inline constexpr int kSuccess = 0;
// Hardware access could not be opened, the driver refused writes, or the
// host refused reads that the command needs.
inline constexpr int kAccessRefused = 1;
inline constexpr int kUsageOrFileError = 2;
inline constexpr int kNothingApplies = 3;  // pci-load: no value in the file is for this machine
// diff, as diff(1): the two sources differ (0 the same, 2 trouble).
inline constexpr int kSourcesDiffer = 1;

// Runs a command once its arguments are parsed; gives the exit status.
using Action = std::function<int()>;

// One command: its name, a line of help, and the function that adds its
// arguments to its sub-command and returns what runs it.
struct Command {
    std::string_view name;
    std::string_view summary;
    Action (*define)(CLI::App& command);
};

Action defineList(CLI::App& command);
Action defineReport(CLI::App& command);
Action definePciSave(CLI::App& command);
Action definePciLoad(CLI::App& command);
Action defineCaptureMachine(CLI::App& command);
Action defineDiff(CLI::App& command);
Action defineImport(CLI::App& command);
Action definePciGet(CLI::App& command);
Action definePciSet(CLI::App& command);
Action defineSuperIoDump(CLI::App& command);

// Every command, in the order --help lists them. A new command is one more
// row here and its own file.
inline constexpr std::array kCommands{
    Command{"list", "Print what the library reports, section by section", defineList},
    Command{"report", "Write the system report into FILE", defineReport},
    Command{"pci-save", "Save the configuration registers of every PCI function into FILE",
            definePciSave},
    Command{"pci-load", "Write the PCI configuration registers stored in FILE", definePciLoad},
    Command{"capture-machine", "Describe this host as a machine file FILE", defineCaptureMachine},
    Command{"diff", "Compare the PCI configuration bytes of two sources", defineDiff},
    Command{"import", "Make a machine description of other tools' dumps", defineImport},
    Command{"pci-get", "Print configuration registers of a PCI function by name, decoded",
            definePciGet},
    Command{"pci-set", "Write configuration register fields of a PCI function by name",
            definePciSet},
    Command{"superio-dump", "Print the Super-I/O chip's configuration registers",
            defineSuperIoDump},
};

}  // namespace zelkora::cli
