// pci-load [--dry-run] FILE: writes the stored configuration registers back,
// or only shows which registers that would change.
#include <CLI/CLI.hpp>

#include <array>
#include <cstdio>
#include <memory>

#include "app/persist/library_ports.h"
#include "app/persist/pci_config_file.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "common/pci_config.h"

namespace zelkora::cli {

namespace {

struct Options {
    std::string file;
    bool dryRun = false;
};

bool sameFunction(const persist::RegisterWrite& write, const persist::PciFunction& function) {
    return write.bus == function.bus && write.device == function.device &&
           write.function == function.function;
}

// Per function, each register whose value the load would change: reads only.
void printChanges(std::span<const persist::RegisterWrite> writes,
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
    std::printf("%zu register%s would change; nothing was written.\n", changes,
                changes == 1 ? "" : "s");
}

}  // namespace

Action definePciLoad(CLI::App& command) {
    auto options = std::make_shared<Options>();
    command.add_flag("--dry-run", options->dryRun,
                     "Show the registers that would change (offset, old, new); write nothing");
    command.add_option("FILE", options->file, "The configuration file (INI)")->required();
    return [options] {
        const std::string path = absolutePath(options->file);
        if (!persist::isReadableFile(path)) {
            std::fprintf(stderr, "zelkora-cli: cannot read %s\n", options->file.c_str());
            return kUsageOrFileError;
        }
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        const std::vector<persist::PciFunction> functions = persist::walkPciFunctions();
        std::vector<persist::SkippedValue> skipped;
        const std::vector<persist::RegisterWrite> writes =
            persist::planPciLoad(path, functions, &skipped);
        for (const persist::SkippedValue& value : skipped) {
            std::fprintf(stderr,
                         "zelkora-cli: %s: [%s] %s: \"%s\" is not one or two hexadecimal digits "
                         "(optionally followed by h); not written\n",
                         options->file.c_str(), value.section.c_str(), value.key.c_str(),
                         value.value.c_str());
        }
        persist::LibraryPorts ports;
        if (options->dryRun) {
            printChanges(writes, functions, ports);
            return kSuccess;
        }
        if (const std::size_t refused = persist::applyPciLoad(writes, ports); refused > 0) {
            std::fprintf(stderr,
                         "zelkora-cli: the driver refused %zu of %zu register writes (writing "
                         "PCI configuration space needs root); %s was not loaded completely\n",
                         refused, writes.size(), options->file.c_str());
            return kAccessRefused;
        }
        return kSuccess;
    };
}

}  // namespace zelkora::cli
