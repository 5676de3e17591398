// pci-set SLOT FIELD=VALUE[:MASK]... [--dry-run] [--undo FILE] [--all], or
// pci-set --from FILE: field-exact writes to configuration registers by name.
// Each write touches exactly the field's bytes and is read back; bits that
// did not take the written value are reported.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "app/persist/library_ports.h"
#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/pci_functions.h"
#include "cli/standard_streams.h"
#include "registers/pci_field_write.h"
#include "registers/register_book.h"

namespace zelkora::cli {

namespace {

using registers::FieldSpecError;

constexpr std::uintmax_t kMaxFromFileBytes = 1u << 20;

struct PciSetOptions {
    std::string slot;
    std::vector<std::string> writes;
    std::string from;
    std::string undo;
    bool dryRun = false;
    bool all = false;
};

// A slot and its writes, from the command line or one line of a --from file.
struct Request {
    std::string origin;  // "FILE:LINE: " for a file's line
    std::string slot;
    std::vector<std::string> writes;
};

struct PlannedWrite {
    std::string origin;
    std::string slot;  // "00:1f.0"
    registers::PciFieldWrite write;
};

uint32_t key(const registers::PciSlot& slot) {
    return uint32_t{slot.bus} << 8 | uint32_t{slot.device} << 3 | slot.function;
}

void storeField(PciFunctionView& view, const registers::ResolvedField& field, uint32_t value) {
    for (unsigned i = 0; i < field.width; ++i)
        view.config[field.offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

char widthLetter(uint8_t width) {
    return width == 1 ? 'b' : width == 2 ? 'w' : 'l';
}

// The line of an undo file that puts back what `before` held of the bits
// the write changes; write-1-to-clear bits cannot be put back. Empty when
// nothing can.
std::string undoLine(const registers::PciFieldWrite& write, uint32_t before) {
    const registers::ResolvedField& field = write.field;
    const uint32_t all = registers::fieldMask(field.width);
    const uint32_t mask = write.mask.value_or(all) & all & ~field.rw1cMask;
    if (mask == 0) return {};
    char text[64];
    const int digits = field.width * 2;
    int length = std::snprintf(text, sizeof text, "%02x:%02x.%x %02x.%c=%0*x", write.bus,
                               write.device, write.function, field.offset, widthLetter(field.width),
                               digits, before & mask);
    if (mask != all) std::snprintf(text + length, sizeof text - length, ":%0*x", digits, mask);
    return text;
}

// The lines of a --from file ("-": standard input); `name` names it in messages.
std::vector<Request> requestsFromFile(const std::string& path, const std::string& name) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) ||
        std::filesystem::file_size(path, error) > kMaxFromFileBytes) {
        throw FieldSpecError("cannot read " + name);
    }
    std::ifstream file(path);
    if (!file) throw FieldSpecError("cannot read " + name);
    std::vector<Request> requests;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (const std::size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        Request request{name + ":" + std::to_string(number) + ": ", {}, {}};
        if (!(words >> request.slot)) continue;
        for (std::string word; words >> word;)
            request.writes.push_back(word);
        if (request.writes.empty())
            throw FieldSpecError(request.origin + "no FIELD=VALUE after the slot");
        requests.push_back(std::move(request));
    }
    return requests;
}

class PciSet {
  public:
    PciSet(const PciSetOptions& options, const registers::RegisterBook& book, common::PortIo& ports)
        : options_(options), book_(book), ports_(ports) {}

    // Resolves every write and checks every value; throws FieldSpecError.
    void plan(const std::vector<Request>& requests) {
        for (const Request& request : requests) {
            try {
                const registers::PciSlot slot = registers::parsePciSlot(request.slot);
                const auto functions = functionsMatching(slot, options_.all, ports_);
                if (functions.empty()) throw FieldSpecError(noFunctionText(slot));
                for (const registers::PciSlot& function : functions)
                    planFunction(request, function);
            } catch (const FieldSpecError& error) {
                throw FieldSpecError(request.origin + error.what());
            } catch (const ReadRefused& error) {
                throw ReadRefused(request.origin + error.what());
            }
        }
    }

    // Into `path`, named `name` in its first line.
    bool writeUndoFile(const std::string& path, const std::string& name) const {
        std::ofstream file(path, std::ios::trunc);
        file << "# Restores what zelkora-cli pci-set changed: zelkora-cli pci-set --from " << name
             << "\n";
        for (auto line = undoLines_.rbegin(); line != undoLines_.rend(); ++line) {
            if (!line->empty()) file << *line << "\n";
        }
        file.flush();
        return static_cast<bool>(file);
    }

    // Shows what the writes would do, from the values read before.
    void dryRun() const {
        std::map<uint32_t, PciFunctionView> preview = views_;
        for (const PlannedWrite& planned : planned_) {
            PciFunctionView& view = preview.at(key(slotOf(planned)));
            const uint32_t before = fieldValue(view, planned.write.field);
            storeField(view, planned.write.field,
                       registers::mergedFieldValue(before, planned.write));
            redecode(view, book_);
            std::printf("%s %s (was %s)\n", planned.slot.c_str(),
                        fieldLine(view, planned.write.field).c_str(),
                        fieldValueText(before, planned.write.field.width).c_str());
        }
        std::printf("Dry run: nothing was written.\n");
    }

    // Writes, reads back and reports; false when a write was refused or did not stick.
    bool write() {
        bool allTook = true;
        for (const PlannedWrite& planned : planned_) {
            PciFunctionView& view = views_.at(key(slotOf(planned)));
            const registers::ResolvedField& field = planned.write.field;
            const uint32_t before = fieldValue(view, field);
            const registers::PciFieldWriteOutcome outcome =
                registers::applyPciFieldWrite(ports_, planned.write, false);
            const std::string where =
                "pci-set: " + planned.origin + planned.slot + " " + fieldLabel(field) + ": ";
            if (!outcome.wrote) {
                complain(where +
                         "the field could not be read to merge the mask into; nothing "
                         "was written");
                allTook = false;
                continue;
            }
            storeField(view, field, outcome.readBack);
            redecode(view, book_);
            std::printf("%s %s (was %s)\n", planned.slot.c_str(), fieldLine(view, field).c_str(),
                        fieldValueText(before, field.width).c_str());
            if (outcome.refused) {
                complain(where +
                         "the driver refused the write (writing PCI configuration space needs "
                         "root)");
                allTook = false;
            } else if (outcome.readRefused) {
                complain(where + "the field could not be read back to see whether it took");
                allTook = false;
            } else if (outcome.notStuck != 0) {
                complain(where + "bits " + fieldValueText(outcome.notStuck, field.width) +
                         " did not stick (wrote " + fieldValueText(outcome.written, field.width) +
                         ", reads " + fieldValueText(outcome.readBack, field.width) +
                         "): read-only or owned by the hardware");
                allTook = false;
            }
        }
        return allTook;
    }

  private:
    static registers::PciSlot slotOf(const PlannedWrite& planned) {
        return {true, planned.write.bus, planned.write.device, planned.write.function, 0, 0};
    }

    std::string fieldLabel(const registers::ResolvedField& field) const {
        char text[16];
        std::snprintf(text, sizeof text, "%02Xh.%c", field.offset, widthLetter(field.width));
        return text;
    }

    void planFunction(const Request& request, const registers::PciSlot& function) {
        const uint32_t id = key(function);
        if (!views_.count(id)) {
            views_.emplace(id, readFunction(function, book_, ports_));
            planning_.emplace(id, views_.at(id));
        }
        PciFunctionView& view = planning_.at(id);
        for (const std::string& text : request.writes) {
            const registers::FieldAssignment assignment = registers::parseFieldAssignment(text);
            const registers::ResolvedField field =
                resolveReadable(book_, views_.at(id), assignment.field);
            registers::checkFits(assignment.value, field.width, "the value", text);
            if (assignment.mask)
                registers::checkFits(*assignment.mask, field.width, "the mask", text);
            registers::PciFieldWrite write{function.bus, function.device,  function.function,
                                           field,        assignment.value, assignment.mask};
            // Undo lines from the values as they will be when this write comes.
            const uint32_t before = fieldValue(view, field);
            undoLines_.push_back(undoLine(write, before));
            storeField(view, field, registers::mergedFieldValue(before, write));
            planned_.push_back({request.origin, slotText(function), write});
        }
    }

    const PciSetOptions& options_;
    const registers::RegisterBook& book_;
    common::PortIo& ports_;
    std::map<uint32_t, PciFunctionView> views_;     // as read, then as written
    std::map<uint32_t, PciFunctionView> planning_;  // as the writes planned so far leave them
    std::vector<PlannedWrite> planned_;
    std::vector<std::string> undoLines_;
};

int runPciSet(const PciSetOptions& options) {
    return runFieldCommand("pci-set", [&] {
        std::vector<Request> requests;
        if (!options.from.empty()) {
            const InputFile input(options.from);
            if (!input.ready())
                throw FieldSpecError("cannot read " + input.name() + ": " + input.problem());
            requests = requestsFromFile(input.path(), input.name());
        } else {
            if (options.slot.empty() || options.writes.empty())
                throw FieldSpecError("give SLOT and FIELD=VALUE, or --from FILE");
            requests.push_back({"", options.slot, options.writes});
        }
        const registers::RegisterBook book = registers::readShippedRegisterBook();
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        persist::LibraryPorts ports;
        PciSet set(options, book, ports);
        set.plan(requests);
        if (options.dryRun) {
            set.dryRun();
            return kSuccess;
        }
        if (!options.undo.empty()) {
            OutputFile undo(options.undo);
            if (!undo.ready() || !set.writeUndoFile(undo.path(), options.undo) || !undo.finish()) {
                complain("cannot write " + undo.name() + "; nothing was written");
                return kUsageOrFileError;
            }
        }
        return set.write() ? kSuccess : kAccessRefused;
    });
}

}  // namespace

Action definePciSet(CLI::App& command) {
    auto options = std::make_shared<PciSetOptions>();
    auto* dryRun = command.add_flag("--dry-run", options->dryRun,
                                    "Show each field's value now and after; write nothing");
    command
        .add_option("--undo", options->undo,
                    "Before writing, save into FILE what --from FILE restores")
        ->type_name("FILE")
        ->excludes(dryRun);
    command.add_flag("--all", options->all,
                     "With vendor:device, every matching function (else the first)");
    auto* from = command
                     .add_option("--from", options->from,
                                 "Write the lines SLOT FIELD=VALUE... of FILE (as --undo saves)")
                     ->type_name("FILE");
    command.add_option("SLOT", options->slot, "bus:dev.fn or vendor:device (hexadecimal)")
        ->excludes(from);
    command
        .add_option("WRITE", options->writes,
                    "FIELD=VALUE or FIELD=VALUE:MASK (hexadecimal; with a mask only its bits "
                    "change); FIELD as for pci-get")
        ->excludes(from);
    return [options] { return runPciSet(*options); };
}

}  // namespace zelkora::cli
