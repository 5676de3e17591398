// zelkora-cli: the system report, the PCI configuration file and a quick
// listing, without a window.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/commands/command.h"
#include "cli/standard_streams.h"

int main(int argc, char** argv) {
    using namespace zelkora::cli;
    CLI::App app{"Hardware information of this machine, without a window.", "zelkora-cli"};
    app.set_version_flag("--version", "zelkora-cli " ZELKORA_VERSION);
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 done; 1 hardware access refused (the driver could not be opened, or "
        "refused reads or writes the command needs; pci-set: bits that did not stick; "
        "superio-dump: no Super-I/O chip answered), or for diff: the sources differ; 2 usage or "
        "file error; 3 pci-load: nothing in the file applies to this machine.\n"
        "A FILE of - is standard output (standard input for pci-load).\n"
        "zelkora-cli help [COMMAND] shows this help or a command's.");

    std::vector<std::pair<CLI::App*, Action>> commands;
    for (const Command& command : kCommands) {
        CLI::App* sub = app.add_subcommand(std::string(command.name), std::string(command.summary));
        commands.emplace_back(sub, command.define(*sub));
    }

    // "help" and "help COMMAND", as other command-line tools take them.
    if (argc >= 2 && std::string_view(argv[1]) == "help") {
        const CLI::App* about = &app;
        if (argc == 3) {
            for (const auto& [sub, action] : commands) {
                if (sub->get_name() == argv[2]) about = sub;
            }
        }
        if (argc > 3 || (argc == 3 && about == &app)) {
            complain(argc == 3 ? std::string("no command named ") + argv[2]
                               : std::string("help takes at most one command"));
            return kUsageOrFileError;
        }
        std::fputs(about == &app ? app.help().c_str() : about->help(app.get_name()).c_str(),
                   stdout);
        return standardOutputWritten() ? kSuccess : kUsageOrFileError;
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, with status 0.
        const int status = app.exit(error);
        if (!standardOutputWritten()) return kUsageOrFileError;
        return status == 0 ? kSuccess : kUsageOrFileError;
    }
    for (auto& [sub, action] : commands) {
        if (!sub->parsed()) continue;
        const int status = action();
        // What was printed must have arrived, or the command did not do its work.
        if (status == kSuccess && !standardOutputWritten()) return kUsageOrFileError;
        return status;
    }
    return kUsageOrFileError;
}
