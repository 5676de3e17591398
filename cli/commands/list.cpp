// list [SECTION...]: what the library reports, as text or JSON.
#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/persist/machine_json.h"
#include "app/persist/machine_listing.h"
#include "app/persist/machine_model.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/standard_streams.h"
#include "registers/register_book.h"

namespace zelkora::cli {

namespace {

struct ListOptions {
    std::vector<std::string> sections;
    bool json = false;
    bool decode = false;
    std::string file = "-";
};

// The named sections, all of them when none is named.
persist::MachineSections chosenSections(const std::vector<std::string>& names) {
    if (names.empty()) return persist::allMachineSections();
    persist::MachineSections sections;
    for (const std::string& name : names)
        sections.set(static_cast<unsigned>(*persist::machineSectionNamed(name)));
    return sections;
}

std::vector<std::string> sectionNames() {
    std::vector<std::string> names;
    for (unsigned i = 0; i < persist::kMachineSectionCount; ++i)
        names.emplace_back(persist::machineSectionName(static_cast<persist::MachineSection>(i)));
    return names;
}

}  // namespace

Action defineList(CLI::App& command) {
    auto options = std::make_shared<ListOptions>();
    command
        .add_option("SECTION", options->sections,
                    "Only these sections, and only the probing they need: general os memory cpu "
                    "board ide pci superio (all when none is named)")
        ->check(CLI::IsMember(sectionNames()));
    command.add_flag("--json", options->json,
                     "Write one JSON object (share/zelkora/zelkora.schema.json) instead of text");
    command.add_flag("--decode", options->decode,
                     "With --json: each PCI function's header registers and capabilities, "
                     "decoded into their fields (share/zelkora/registers.json)");
    command
        .add_option("-o,--output", options->file,
                    "Write the listing into FILE (made whole, by rename) instead of standard "
                    "output; - is standard output")
        ->option_text("FILE");
    return [options] {
        std::optional<registers::RegisterBook> book;
        if (options->decode) {
            if (!options->json) {
                complain("list: --decode goes with --json");
                return kUsageOrFileError;
            }
            try {
                book = registers::readShippedRegisterBook();
            } catch (const registers::RegisterFileError& error) {
                complain(error.what());
                return kUsageOrFileError;
            }
        }
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        const persist::MachineModel model =
            persist::readMachineModel(chosenSections(options->sections));
        const std::string text = options->json
                                     ? persist::machineJson(model, book ? &*book : nullptr)
                                     : persist::machineListing(model);
        return writeWholeOutput(options->file, text) ? kSuccess : kUsageOrFileError;
    };
}

}  // namespace zelkora::cli
