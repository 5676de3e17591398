// pci-save FILE: the live configuration registers of every PCI function.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "app/persist/library_ports.h"
#include "app/persist/pci_config_file.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"

namespace zelkora::cli {

Action definePciSave(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    command.add_option("FILE", *file, "The configuration file (INI); an existing one is updated")
        ->required();
    return [file] {
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        const std::vector<persist::PciFunction> functions = persist::walkPciFunctions();
        if (functions.empty()) return kSuccess;  // nothing to keep: the file is left alone
        persist::LibraryPorts ports;
        if (!persist::savePciConfig(absolutePath(*file), functions, ports)) {
            std::fprintf(stderr, "zelkora-cli: cannot write %s\n", file->c_str());
            return kUsageOrFileError;
        }
        return kSuccess;
    };
}

}  // namespace zelkora::cli
