#include "interchange/pci_spaces.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>

#include "app/persist/pci_config_file.h"
#include "capture/config_spaces.h"
#include "common/profile_line.h"
#include "interchange/input_file.h"
#include "platform/machine/machine_file.h"
#include "platform/registry/utf16.h"
#include "winio/core/backend.h"
#include "winio/sim/lspci_dump.h"
#include "winio/sim/machine_board.h"

namespace zelkora::interchange {

namespace {

constexpr std::size_t kLargestInput = 64u << 20;

using Spaces = std::map<unsigned, FunctionSpace>;

std::vector<FunctionSpace> inOrder(Spaces spaces) {
    std::vector<FunctionSpace> ordered;
    for (auto& [address, space] : spaces)
        ordered.push_back(space);
    return ordered;
}

FunctionSpace spaceAt(unsigned bus, unsigned device, unsigned function) {
    FunctionSpace space;
    space.bus = static_cast<uint8_t>(bus);
    space.device = static_cast<uint8_t>(device);
    space.function = static_cast<uint8_t>(function);
    return space;
}

std::vector<FunctionSpace> fromBackend(winio::Backend& ports) {
    std::vector<FunctionSpace> functions;
    for (const capture::ConfigSpace& read : capture::readConfigSpaces(ports)) {
        FunctionSpace space = spaceAt(read.bus, read.device, read.function);
        space.bytes = read.bytes;
        for (unsigned offset = 0; offset < read.readable; ++offset)
            space.known.set(offset);
        functions.push_back(space);
    }
    return functions;
}

std::vector<FunctionSpace> fromLive() {
    std::string problem;
    const auto backend = winio::openBackendFromEnvironment(problem);
    if (!backend) throw InputError("live: " + problem);
    return fromBackend(*backend);
}

std::vector<FunctionSpace> fromMachineFile(const std::string& path) {
    try {
        return fromBackend(*winio::sim::loadMachineBoard(path));
    } catch (const platform::machine::MachineError& error) {
        throw InputError(error.what());
    }
}

// "00:1f.3" (lspci's form, as listings name functions).
bool parseAddress(const std::string& text, unsigned& bus, unsigned& device, unsigned& function) {
    char tail = 0;
    return std::sscanf(text.c_str(), "%2x:%2x.%1x%c", &bus, &device, &function, &tail) == 3 &&
           text.size() == 7 && device <= 0x1F && function <= 7;
}

std::vector<FunctionSpace> fromListing(const nlohmann::json& listing, const std::string& name) {
    Spaces spaces;
    const auto pci = listing.find("pci");
    if (pci == listing.end() || !pci->is_array())
        fail(name, "is a listing without its pci section (list --json pci writes one)");
    for (std::size_t i = 0; i < pci->size(); ++i) {
        const nlohmann::json& entry = (*pci)[i];
        const std::string field = "pci[" + std::to_string(i) + "]";
        unsigned bus = 0, device = 0, function = 0;
        const std::string address = entry.value("address", "");
        if (!parseAddress(address, bus, device, function))
            fail(name, field + ".address: not a function address such as \"00:1f.3\"");
        const std::string config = entry.value("config", "");
        FunctionSpace space = spaceAt(bus, device, function);
        if (config.size() != 512) fail(name, field + ".config: not 256 bytes as hex digits");
        for (unsigned offset = 0; offset < 256; ++offset) {
            unsigned value = 0;
            if (!parseHex(std::string_view(config).substr(2 * offset, 2), 2, value))
                fail(name, field + ".config: not 256 bytes as hex digits");
            space.bytes[offset] = static_cast<uint8_t>(value);
        }
        space.known.set();
        spaces.emplace(space.address(), space);
    }
    return inOrder(std::move(spaces));
}

std::vector<FunctionSpace> fromJson(std::string_view text, const std::string& name) {
    nlohmann::json document;
    try {
        document = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& error) {
        const std::size_t byte = std::min<std::size_t>(error.byte, text.size());
        const auto line =
            1 + std::count(text.begin(), text.begin() + static_cast<long>(byte), '\n');
        const std::string what = error.what();
        const std::size_t reason = what.find(": ", what.find("column"));
        failAt(name, static_cast<std::size_t>(line),
               "not JSON: " + what.substr(reason == std::string::npos ? 0 : reason + 2));
    }
    if (document.is_object() && document.contains("schema")) return fromListing(document, name);
    return fromMachineFile(name);
}

// "Bus00 Dev1F Fun01 Register 3Ch": the key of one stored byte.
bool parseRegisterKey(std::string_view key, unsigned& bus, unsigned& device, unsigned& function,
                      unsigned& offset) {
    const std::string folded = common::foldProfileName(key);
    char h = 0, tail = 0;
    return folded.size() == 30 &&
           std::sscanf(folded.c_str(), "bus%2x dev%2x fun%2x register %2x%c%c", &bus, &device,
                       &function, &offset, &h, &tail) == 5 &&
           h == 'h' && device <= 0x1F && function <= 7;
}

std::vector<FunctionSpace> fromConfigFile(std::string_view text, const std::string& name) {
    Spaces spaces;
    LineReader lines(text);
    for (std::string_view line; lines.next(line);) {
        const common::ProfileLine parsed = common::parseProfileLine(line);
        unsigned bus = 0, device = 0, function = 0, offset = 0;
        if (parsed.kind != common::ProfileLineKind::Entry ||
            !parseRegisterKey(parsed.name, bus, device, function, offset)) {
            continue;
        }
        const std::string_view value = common::unquoteProfileValue(parsed.value);
        if (value.empty()) continue;  // a load leaves such a register alone
        const auto byte = persist::parseRegisterValue(value);
        if (!byte) {
            failAt(name, lines.number(),
                   std::string(parsed.name) +
                       ": not a register value (one or two hex digits, "
                       "optionally followed by h): " +
                       std::string(value));
        }
        FunctionSpace& space =
            spaces.try_emplace(bus << 8 | device << 3 | function, spaceAt(bus, device, function))
                .first->second;
        if (space.known.test(offset)) continue;  // the first of two keys counts, as in a load
        space.bytes[offset] = *byte;
        space.known.set(offset);
    }
    if (spaces.empty())
        fail(name, "holds no register key such as \"Bus00 Dev00 Fun00 Register 04h\"");
    return inOrder(std::move(spaces));
}

std::vector<FunctionSpace> fromLspciDump(std::string_view text, const std::string& name) {
    Spaces spaces;
    for (const auto& dumped : readLspciDump(text, name)) {
        FunctionSpace space = spaceAt(dumped.bus, dumped.device, dumped.function);
        space.bytes = dumped.config;
        space.known = dumped.shown;
        if (!spaces.emplace(space.address(), space).second)
            failAt(name, dumped.line, "the function is dumped twice");
    }
    return inOrder(std::move(spaces));
}

}  // namespace

std::vector<winio::sim::DumpedFunction> readLspciDump(std::string_view text,
                                                      const std::string& name) {
    try {
        return winio::sim::parseLspciDump(text);
    } catch (const winio::sim::LspciDumpError& error) {
        // "line 12: ..." becomes "name:12: ...".
        const std::string what = error.what();
        if (!what.starts_with("line ")) fail(name, what);
        const std::size_t colon = what.find(':');
        throw InputError(name + ":" + what.substr(5, colon - 5) + what.substr(colon));
    }
}

namespace {

// A single-function device may answer with the same space on every function
// number; as the library's walk does, such copies of a function listed
// before them on the same device are dropped.
std::vector<FunctionSpace> withoutCopies(std::vector<FunctionSpace> functions) {
    std::vector<FunctionSpace> kept;
    for (FunctionSpace& space : functions) {
        const bool copy = std::any_of(kept.begin(), kept.end(), [&](const FunctionSpace& earlier) {
            return earlier.bus == space.bus && earlier.device == space.device &&
                   earlier.known == space.known && earlier.bytes == space.bytes;
        });
        if (!copy) kept.push_back(std::move(space));
    }
    return kept;
}

std::vector<FunctionSpace> readSpaces(const std::string& source) {
    if (source == "live") return fromLive();
    std::string text = readInputFile(source, kLargestInput);
    if (text.starts_with("\xFF\xFE")) text = platform::registry::utf16leToUtf8(text.substr(2));
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && text[first] == '{') return fromJson(text, source);
    if (first != std::string::npos &&
        (text[first] == '[' || text[first] == ';' || text.find("\n[") != std::string::npos)) {
        return fromConfigFile(text, source);
    }
    return fromLspciDump(text, source);
}

}  // namespace

std::vector<FunctionSpace> readFunctionSpaces(const std::string& source) {
    return withoutCopies(readSpaces(source));
}

}  // namespace zelkora::interchange
