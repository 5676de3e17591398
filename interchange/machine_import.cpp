#include "interchange/machine_import.h"

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <span>

#include "capture/hex_text.h"
#include "interchange/identify_dump.h"
#include "interchange/input_file.h"
#include "interchange/pci_spaces.h"
#include "interchange/smbios_dump.h"
#include "interchange/superio_dump.h"
#include "platform/machine/machine_file.h"
#include "winio/sim/lspci_dump.h"
#include "winio/sim/machine_board.h"

namespace zelkora::interchange {

namespace {

using capture::hexBlob;
using capture::hexNumber;
using Json = nlohmann::ordered_json;

constexpr std::size_t kLargestText = 64u << 20;
constexpr std::size_t kLargestDmiDump = 1u << 20;

// The bytes a dump shows from 00h on; a replay refuses the rest, as the
// host refused them to the user who made the dump.
Json pciFunctions(const std::string& name) {
    const std::string text = readInputFile(name, winio::sim::kMaxLspciDumpBytes);
    const auto dumped = readLspciDump(text, name);
    Json functions = Json::array();
    std::set<unsigned> seen;
    for (const auto& function : dumped) {
        unsigned shown = 0;
        while (shown < 256 && function.shown.test(shown))
            ++shown;
        if (shown == 0) {
            failAt(name, function.line,
                   "no configuration bytes follow this function (lspci -x, -xxx or -xxxx prints "
                   "them)");
        }
        if (!seen.insert(function.bus << 8 | function.device << 3 | function.function).second)
            failAt(name, function.line, "the function is dumped twice");
        char address[16];
        std::snprintf(address, sizeof address, "%02x:%02x.%x", function.bus, function.device,
                      function.function);
        Json entry = {{"address", address},
                      {"config", hexBlob(std::span(function.config).first(shown))}};
        if (shown < 256) entry["readableBytes"] = shown;
        functions.push_back(std::move(entry));
    }
    return functions;
}

void addSmbios(Json& machine, const std::string& name) {
    const SmbiosDump dump = readSmbiosDump(readInputFile(name, kLargestDmiDump), name);
    Json structures = Json::array();
    for (const auto& structure : dump.structures)
        structures.push_back({{"type", structure[0]}, {"raw", hexBlob(structure)}});
    machine["smbios"] = {{"version", std::to_string(dump.major) + "." + std::to_string(dump.minor)},
                         {"structures", std::move(structures)}};
    if (!dump.identification.empty()) machine["bios"] = {{"identification", dump.identification}};
}

Json drives(const std::vector<std::string>& names) {
    constexpr std::array<std::pair<const char*, const char*>, kMaxIdentifyDumps> kPositions = {
        {{"primary", "master"},
         {"primary", "slave"},
         {"secondary", "master"},
         {"secondary", "slave"}}};
    Json ide = Json::object();
    for (std::size_t i = 0; i < names.size(); ++i) {
        // The kernel's text is 1,280 bytes; a raw block 512.
        const IdentifyWords words = readIdentifyDump(readInputFile(names[i], 64u << 10), names[i]);
        std::array<uint8_t, 512> bytes{};
        for (std::size_t w = 0; w < words.size(); ++w) {
            bytes[2 * w] = static_cast<uint8_t>(words[w]);
            bytes[2 * w + 1] = static_cast<uint8_t>(words[w] >> 8);
        }
        const auto [channel, position] = kPositions[i];
        ide[channel][position] = {{"type", identifyDriveType(words)},
                                  {"identifyHex", hexBlob(bytes)}};
    }
    return ide;
}

Json registers(const std::map<uint8_t, uint8_t>& values) {
    Json out = Json::object();
    for (const auto& [index, value] : values)
        out[hexNumber(index, 2)] = hexNumber(value, 2);
    return out;
}

Json superIoChips(const std::string& name) {
    Json chips = Json::array();
    for (const DumpedSuperIoChip& chip :
         parseSuperIoDump(readInputFile(name, kLargestText), name)) {
        const std::string_view method = superIoMethod(chip);
        if (method.empty()) {
            failAt(name, chip.line,
                   "no simulated configuration method for " + chip.vendor +
                       " chips (Winbond, Nuvoton, Fintek, SMSC and ITE chips can be replayed)");
        }
        Json devices = Json::object();
        for (const auto& [number, values] : chip.logicalDevices)
            devices[std::to_string(number)] = registers(values);
        chips.push_back({{"method", method},
                         {"port", hexNumber(chip.port, 2)},
                         {"id", hexNumber(chip.id, chip.id > 0xFF ? 4 : 2)},
                         {"revision", hexNumber(chip.revision & 0xFF, 2)},
                         {"globals", registers(chip.globals)},
                         {"logicalDevices", std::move(devices)}});
    }
    return chips;
}

std::string describedInputs(const ImportSources& sources) {
    std::string names;
    const auto add = [&](const std::string& file) {
        if (file.empty()) return;
        names += (names.empty() ? "" : ", ") + std::filesystem::path(file).filename().string();
    };
    add(sources.lspci);
    add(sources.dmi);
    for (const auto& file : sources.identify)
        add(file);
    add(sources.superio);
    return names;
}

}  // namespace

std::string importMachine(const ImportSources& sources) {
    if (sources.identify.size() > kMaxIdentifyDumps)
        throw InputError("at most four identify dumps: the IDE positions are four");
    Json machine = {{"name", "Imported from " + describedInputs(sources)}};
    if (!sources.lspci.empty()) machine["pci"] = {{"functions", pciFunctions(sources.lspci)}};
    if (!sources.dmi.empty()) addSmbios(machine, sources.dmi);
    if (!sources.identify.empty()) machine["ide"] = drives(sources.identify);
    if (!sources.superio.empty()) machine["superio"] = superIoChips(sources.superio);

    const std::string text = machine.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    try {
        // What is written must replay.
        const auto file = platform::machine::MachineFile::parse(text, "the imported machine", ".");
        winio::sim::machineBoard(*file);
    } catch (const platform::machine::MachineError& error) {
        throw InputError(std::string("the dumps describe no machine that can be replayed: ") +
                         error.what());
    }
    return text;
}

}  // namespace zelkora::interchange
