#include "interchange/superio_dump.h"

#include <array>

#include "interchange/input_file.h"

namespace zelkora::interchange {

namespace {

constexpr unsigned kFirstDeviceRegister = 0x30;

// The value of "key=0x..." in a "Found" line; "id=" is not taken from "vid=".
bool foundValue(std::string_view line, std::string_view key, unsigned& value) {
    for (std::size_t at = line.find(key); at != std::string_view::npos;
         at = line.find(key, at + 1)) {
        if (at > 0 && line[at - 1] != '(' && line[at - 1] != ' ') continue;
        std::string_view digits = line.substr(at + key.size());
        if (!digits.starts_with("0x")) return false;
        digits.remove_prefix(2);
        digits = digits.substr(0, digits.find_first_not_of("0123456789abcdefABCDEF"));
        return parseHex(digits, 4, value);
    }
    return false;
}

DumpedSuperIoChip parseFound(std::string_view line, std::size_t number, const std::string& name) {
    DumpedSuperIoChip chip;
    chip.line = number;
    std::string_view rest = line.substr(std::string_view("Found ").size());
    const std::size_t open = rest.find(" (");
    const std::size_t at = line.rfind(" at 0x");
    if (open == std::string_view::npos || at == std::string_view::npos ||
        !foundValue(line, "id=", chip.id) || !parseHex(line.substr(at + 6), 4, chip.port)) {
        failAt(name, number,
               "not a chip line such as \"Found Winbond W83627HF/F/HG/G (id=0x52, "
               "rev=0x17) at 0x2e\"");
    }
    foundValue(line, "rev=", chip.revision);  // some vendors' chips have none
    const std::string_view fullName = rest.substr(0, open);
    const std::size_t space = fullName.find(' ');
    chip.vendor = fullName.substr(0, space);
    chip.name = space == std::string_view::npos ? "" : fullName.substr(space + 1);
    return chip;
}

// The bytes of an "idx" or "val" line, after its word.
std::vector<uint8_t> lineBytes(std::string_view line, std::size_t number, const std::string& name) {
    std::vector<uint8_t> bytes;
    Tokens tokens(line.substr(3));
    for (std::string_view token; tokens.next(token);) {
        unsigned value = 0;
        if (!parseHex(token, 2, value))
            failAt(name, number, "not a hex byte: " + std::string(token));
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

}  // namespace

std::vector<DumpedSuperIoChip> parseSuperIoDump(std::string_view text, const std::string& name) {
    std::vector<DumpedSuperIoChip> chips;
    // Where "idx"/"val" lines go: the chip's globals, a logical device, or
    // nowhere (before a chip, or in a block that is not replayed).
    std::map<uint8_t, uint8_t>* target = nullptr;
    bool globals = false;
    std::vector<uint8_t> indexes;
    std::size_t indexLine = 0;
    LineReader lines(text);
    for (std::string_view line; lines.next(line);) {
        if (line.starts_with("Found ")) {
            chips.push_back(parseFound(line, lines.number(), name));
            target = nullptr;
        } else if (line.starts_with("Configuration key: ") && !chips.empty()) {
            chips.back().key = line.substr(std::string_view("Configuration key: ").size());
        } else if (line.starts_with("Register dump:") && !chips.empty()) {
            target = &chips.back().globals;
            globals = true;
        } else if (line.starts_with("LDN ") && !chips.empty()) {
            unsigned device = 0;
            std::string_view number = line.substr(4);
            number = number.substr(0, number.find(' '));
            if (!number.starts_with("0x") || !parseHex(number.substr(2), 2, device))
                failAt(name, lines.number(),
                       "not a logical device line such as \"LDN 0x07 (GPIO)\"");
            target = &chips.back().logicalDevices[static_cast<uint8_t>(device)];
            globals = false;
        } else if (line.starts_with("idx ") || line == "idx") {
            indexes = lineBytes(line, lines.number(), name);
            indexLine = lines.number();
        } else if (line.starts_with("val ") || line == "val") {
            const std::vector<uint8_t> values = lineBytes(line, lines.number(), name);
            if (!target) continue;
            if (values.size() != indexes.size() || indexLine + 1 != lines.number()) {
                failAt(name, lines.number(),
                       "holds " + std::to_string(values.size()) +
                           " values for the line before it, which names " +
                           std::to_string(indexes.size()) + " registers");
            }
            for (std::size_t i = 0; i < values.size(); ++i) {
                if (globals == (indexes[i] >= kFirstDeviceRegister)) {
                    failAt(name, lines.number(),
                           globals ? "a chip register above 2Fh among the global registers"
                                   : "a register below 30h among a logical device's");
                }
                (*target)[indexes[i]] = values[i];
            }
        } else if (!line.empty() && !line.starts_with("def") && line.front() != ' ') {
            // Another block (a hardware monitor's registers) or a remark.
            target = nullptr;
        }
    }
    if (chips.empty()) fail(name, "names no chip (no line such as \"Found Winbond ... at 0x2e\")");
    return chips;
}

std::string_view superIoMethod(const DumpedSuperIoChip& chip) {
    struct Method {
        std::string_view name;
        std::string_view method;
    };
    // The enter key each vendor's chips take (87h 87h, 55h, or ITE's 87h 01h 55h 55h).
    constexpr std::array kVendors = {
        Method{"Winbond", "winbond"}, Method{"Nuvoton", "winbond"}, Method{"Fintek", "winbond"},
        Method{"SMSC", "smsc"},       Method{"ITE", "ite"},
    };
    constexpr std::array kKeys = {"winbond", "smsc", "ite", "sis"};
    for (const std::string_view key : kKeys) {
        if (key == chip.key) return key;
    }
    for (const Method& vendor : kVendors) {
        if (vendor.name == chip.vendor) return vendor.method;
    }
    return {};
}

}  // namespace zelkora::interchange
