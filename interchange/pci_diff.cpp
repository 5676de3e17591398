#include "interchange/pci_diff.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "app/persist/machine_json.h"
#include "interchange/header_registers.h"

namespace zelkora::interchange {

namespace {

using Json = nlohmann::ordered_json;

std::string address(const FunctionSpace& space) {
    char text[16];
    std::snprintf(text, sizeof text, "%02x:%02x.%x", space.bus, space.device, space.function);
    return text;
}

std::string hexWord(const FunctionSpace& space, unsigned offset) {
    if (!space.known.test(offset) || !space.known.test(offset + 1)) return "????";
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x", space.bytes[offset + 1], space.bytes[offset]);
    return text;
}

// "00:1f.3 8086:24d3", the identifiers from whichever side holds them.
std::string functionTitle(const FunctionSpace& space) {
    return address(space) + " " + hexWord(space, 0) + ":" + hexWord(space, 2);
}

uint8_t headerType(const FunctionDifference& function) {
    constexpr unsigned kHeaderType = 0x0E;
    return function.a.known.test(kHeaderType) ? function.a.bytes[kHeaderType]
                                              : function.b.bytes[kHeaderType];
}

FunctionDifference compareFunction(const FunctionSpace& a, const FunctionSpace& b) {
    FunctionDifference difference{a, b, {}, {}};
    for (unsigned offset = 0; offset < 256; ++offset) {
        const bool inA = a.known.test(offset), inB = b.known.test(offset);
        if (inA && inB) {
            if (a.bytes[offset] != b.bytes[offset]) {
                difference.changes.push_back(
                    {static_cast<uint8_t>(offset), a.bytes[offset], b.bytes[offset]});
            }
            continue;
        }
        if (inA == inB) continue;
        auto& ranges = difference.uncompared;
        if (!ranges.empty() && ranges.back().last + 1u == offset && ranges.back().inA == inA) {
            ranges.back().last = static_cast<uint8_t>(offset);
        } else {
            ranges.push_back({static_cast<uint8_t>(offset), static_cast<uint8_t>(offset), inA});
        }
    }
    return difference;
}

Json functionJson(const FunctionSpace& space) {
    return {
        {"address", address(space)}, {"vendor", hexWord(space, 0)}, {"device", hexWord(space, 2)}};
}

}  // namespace

bool PciDifference::equal() const {
    return onlyInA.empty() && onlyInB.empty() && changedBytes() == 0;
}

std::size_t PciDifference::changedBytes() const {
    std::size_t count = 0;
    for (const auto& function : functions)
        count += function.changes.size();
    return count;
}

std::size_t PciDifference::changedFunctions() const {
    return static_cast<std::size_t>(std::count_if(
        functions.begin(), functions.end(), [](const auto& f) { return !f.changes.empty(); }));
}

std::size_t PciDifference::partlyCompared() const {
    return static_cast<std::size_t>(std::count_if(
        functions.begin(), functions.end(), [](const auto& f) { return !f.uncompared.empty(); }));
}

PciDifference comparePciSpaces(const std::vector<FunctionSpace>& a,
                               const std::vector<FunctionSpace>& b) {
    PciDifference difference;
    auto inA = a.begin();
    auto inB = b.begin();
    while (inA != a.end() || inB != b.end()) {
        if (inB == b.end() || (inA != a.end() && inA->address() < inB->address())) {
            difference.onlyInA.push_back(*inA++);
        } else if (inA == a.end() || inB->address() < inA->address()) {
            difference.onlyInB.push_back(*inB++);
        } else {
            FunctionDifference function = compareFunction(*inA++, *inB++);
            if (!function.changes.empty() || !function.uncompared.empty())
                difference.functions.push_back(std::move(function));
        }
    }
    return difference;
}

std::string pciDifferenceText(const PciDifference& difference,
                              const registers::RegisterBook& book) {
    std::string text;
    char line[160];
    for (const FunctionDifference& function : difference.functions) {
        if (function.changes.empty()) continue;
        text += functionTitle(function.a.known.test(0) ? function.a : function.b) + "\n";
        for (const ByteChange& change : function.changes) {
            const std::string_view name =
                headerRegisterName(book, headerType(function), change.offset);
            std::snprintf(line, sizeof line, "  %02Xh: %02Xh -> %02Xh", change.offset, change.a,
                          change.b);
            text += line;
            if (!name.empty()) text.append(" (").append(name).append(")");
            text += '\n';
        }
    }
    for (const FunctionSpace& space : difference.onlyInA)
        text += "only in A: " + functionTitle(space) + "\n";
    for (const FunctionSpace& space : difference.onlyInB)
        text += "only in B: " + functionTitle(space) + "\n";
    return text;
}

std::string pciDifferenceJson(const PciDifference& difference, const std::string& nameA,
                              const std::string& nameB, const registers::RegisterBook& book) {
    Json functions = Json::array();
    for (const FunctionDifference& function : difference.functions) {
        Json out = functionJson(function.a.known.test(0) ? function.a : function.b);
        Json changes = Json::array();
        for (const ByteChange& change : function.changes) {
            Json item = {{"offset", change.offset}, {"a", change.a}, {"b", change.b}};
            const std::string_view name =
                headerRegisterName(book, headerType(function), change.offset);
            if (!name.empty()) item["register"] = name;
            changes.push_back(std::move(item));
        }
        out["changes"] = std::move(changes);
        Json uncompared = Json::array();
        for (const UncomparedBytes& range : function.uncompared) {
            uncompared.push_back(
                {{"first", range.first}, {"last", range.last}, {"heldBy", range.inA ? "a" : "b"}});
        }
        out["uncompared"] = std::move(uncompared);
        functions.push_back(std::move(out));
    }
    Json onlyInA = Json::array(), onlyInB = Json::array();
    for (const FunctionSpace& space : difference.onlyInA)
        onlyInA.push_back(functionJson(space));
    for (const FunctionSpace& space : difference.onlyInB)
        onlyInB.push_back(functionJson(space));
    const Json out = {{"schema", persist::kJsonSchemaVersion},
                      {"kind", "pci-diff"},
                      {"a", nameA},
                      {"b", nameB},
                      {"equal", difference.equal()},
                      {"functions", std::move(functions)},
                      {"onlyInA", std::move(onlyInA)},
                      {"onlyInB", std::move(onlyInB)}};
    return out.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace zelkora::interchange
