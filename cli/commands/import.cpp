// import -o MACHINE.json: a machine description made of other tools' dumps.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "cli/commands/command.h"
#include "cli/standard_streams.h"
#include "interchange/input_file.h"
#include "interchange/machine_import.h"

namespace zelkora::cli {

namespace {

struct ImportOptions {
    std::string output;
    interchange::ImportSources sources;
};

}  // namespace

Action defineImport(CLI::App& command) {
    auto options = std::make_shared<ImportOptions>();
    auto& sources = options->sources;
    command
        .add_option("-o,--output", options->output,
                    "The machine description to write (JSON, made whole, by rename); - is "
                    "standard output")
        ->option_text("MACHINE.json")
        ->required();
    command.add_option("--lspci", sources.lspci, "lspci -x, -xxx or -xxxx output")
        ->option_text("FILE");
    command.add_option("--dmi", sources.dmi, "An SMBIOS table that dmidecode --dump-bin wrote")
        ->option_text("FILE");
    command
        .add_option("--identify", sources.identify,
                    "A drive's identify words: /sys/class/ata_device/*/id, hdparm --Istdout "
                    "output or 512 raw bytes; up to four, in position order (primary master, "
                    "primary slave, secondary master, secondary slave)")
        ->option_text("FILE")
        ->allow_extra_args(false);
    command
        .add_option("--superio", sources.superio,
                    "superiotool -d or zelkora-cli superio-dump output")
        ->option_text("FILE");
    return [options] {
        const auto& given = options->sources;
        if (given.lspci.empty() && given.dmi.empty() && given.identify.empty() &&
            given.superio.empty()) {
            complain("import needs at least one dump: --lspci, --dmi, --identify or --superio");
            return kUsageOrFileError;
        }
        std::string machine;
        try {
            machine = interchange::importMachine(given);
        } catch (const interchange::InputError& error) {
            complain(std::string(error.what()) + "; nothing was written");
            return kUsageOrFileError;
        }
        if (!writeWholeOutput(options->output, machine)) return kUsageOrFileError;
        complain("wrote a machine description that replays the dumps into " +
                 (options->output == "-" ? std::string("standard output") : options->output));
        return kSuccess;
    };
}

}  // namespace zelkora::cli
