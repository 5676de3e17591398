// pci-get SLOT FIELD...: configuration registers of a PCI function by name,
// decoded into their fields.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "app/persist/library_ports.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/pci_functions.h"
#include "cli/standard_streams.h"
#include "registers/register_book.h"

namespace zelkora::cli {

namespace {

struct PciGetOptions {
    std::string slot;
    std::vector<std::string> fields;
    bool all = false;
};

int runPciGet(const PciGetOptions& options) {
    return runFieldCommand("pci-get", [&] {
        const registers::PciSlot slot = registers::parsePciSlot(options.slot);
        const registers::RegisterBook book = registers::readShippedRegisterBook();
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        persist::LibraryPorts ports;
        const std::vector<registers::PciSlot> functions =
            functionsMatching(slot, options.all, ports);
        if (functions.empty()) throw registers::FieldSpecError(noFunctionText(slot));

        // Every name is resolved before anything is printed.
        std::vector<std::string> lines;
        for (const registers::PciSlot& function : functions) {
            const PciFunctionView view = readFunction(function, book, ports);
            for (const std::string& name : options.fields) {
                const registers::ResolvedField field = resolveReadable(book, view, name);
                lines.push_back(slotText(function) + " " + fieldLine(view, field));
            }
        }
        for (const std::string& line : lines)
            std::printf("%s\n", line.c_str());
        return kSuccess;
    });
}

}  // namespace

Action definePciGet(CLI::App& command) {
    auto options = std::make_shared<PciGetOptions>();
    command.add_flag("--all", options->all,
                     "With vendor:device, every matching function (else the first)");
    command.add_option("SLOT", options->slot, "bus:dev.fn or vendor:device (hexadecimal)")
        ->required();
    command
        .add_option("FIELD", options->fields,
                    "A register name (COMMAND, BAR0), CAP_name+offset[.b|.w|.l] (CAP_EXP+8.w) or "
                    "a hexadecimal offset with .b, .w or .l (3c.b)")
        ->required();
    return [options] { return runPciGet(*options); };
}

}  // namespace zelkora::cli
