// zelkora-cli: the system report, the PCI configuration file and a quick
// listing, without a window.
#include <CLI/CLI.hpp>

#include <vector>

#include "cli/commands/command.h"

int main(int argc, char** argv) {
    using namespace zelkora::cli;
    CLI::App app{"Hardware information of this machine, without a window.", "zelkora-cli"};
    app.set_version_flag("--version", "zelkora-cli " ZELKORA_VERSION);
    app.require_subcommand(1);

    std::vector<std::pair<CLI::App*, Action>> commands;
    for (const Command& command : kCommands) {
        CLI::App* sub = app.add_subcommand(std::string(command.name), std::string(command.summary));
        commands.emplace_back(sub, command.define(*sub));
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end here too, with status 0.
        const int status = app.exit(error);
        return status == 0 ? kSuccess : kUsageOrFileError;
    }
    for (auto& [sub, action] : commands) {
        if (sub->parsed()) return action();
    }
    return kUsageOrFileError;
}
