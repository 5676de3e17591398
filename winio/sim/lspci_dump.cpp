#include "winio/sim/lspci_dump.h"

#include <optional>
#include <string>

namespace zelkora::winio::sim {

namespace {

std::optional<unsigned> hexValue(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    unsigned value = 0;
    for (const char c : digits) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

[[noreturn]] void fail(size_t lineNumber, std::string_view problem) {
    std::string message = "line ";
    message.append(std::to_string(lineNumber)).append(": ").append(problem);
    throw LspciDumpError(message);
}

// "bus:device.function" or "domain:bus:device.function" up to the first blank.
struct Header {
    unsigned domain = 0;
    DumpedFunction function;
};

std::optional<Header> parseHeader(std::string_view line) {
    const size_t end = line.find_first_of(" \t");
    std::string_view address = line.substr(0, end);
    Header header;
    if (address.size() == 12 && address[4] == ':') {
        const auto domain = hexValue(address.substr(0, 4));
        if (!domain) return std::nullopt;
        header.domain = *domain;
        address.remove_prefix(5);
    }
    if (address.size() != 7 || address[2] != ':' || address[5] != '.') return std::nullopt;
    const auto bus = hexValue(address.substr(0, 2));
    const auto device = hexValue(address.substr(3, 2));
    const auto function = hexValue(address.substr(6, 1));
    if (!bus || !device || !function || *device > 0x1F || *function > 7) return std::nullopt;
    header.function.bus = static_cast<uint8_t>(*bus);
    header.function.device = static_cast<uint8_t>(*device);
    header.function.function = static_cast<uint8_t>(*function);
    header.function.config.fill(0xFF);
    return header;
}

// "f0: 00 11 ...": a hex offset of two or three digits, a colon, then bytes.
bool isHexLine(std::string_view line) {
    const size_t colon = line.find(':');
    return colon >= 2 && colon <= 3 && hexValue(line.substr(0, colon)).has_value() &&
           (line.size() == colon + 1 || line[colon + 1] == ' ');
}

void readHexLine(std::string_view line, size_t lineNumber, DumpedFunction* current) {
    const size_t colon = line.find(':');
    const unsigned offset = *hexValue(line.substr(0, colon));
    if (offset % 16 != 0) fail(lineNumber, "the offset of a hex line must be a multiple of 10h");
    if (!current) fail(lineNumber, "hex bytes before the first function line");
    std::string_view bytes = line.substr(colon + 1);
    unsigned count = 0;
    while (!bytes.empty()) {
        const size_t start = bytes.find_first_not_of(" \t\r");
        if (start == std::string_view::npos) break;
        bytes.remove_prefix(start);
        const size_t end = bytes.find_first_of(" \t\r");
        const std::string_view token = bytes.substr(0, end);
        bytes.remove_prefix(token.size());
        const auto value = token.size() == 2 ? hexValue(token) : std::nullopt;
        if (!value) {
            std::string problem = "not a hex byte: ";
            problem.append(token);
            fail(lineNumber, problem);
        }
        if (count == 16) fail(lineNumber, "more than 16 bytes on one line");
        if (offset + count < current->config.size()) {
            current->config[offset + count] = static_cast<uint8_t>(*value);
        }
        ++count;
    }
}

}  // namespace

std::vector<DumpedFunction> parseLspciDump(std::string_view text) {
    std::vector<DumpedFunction> functions;
    bool inOtherDomain = false;
    bool haveFunction = false;
    size_t lineNumber = 0;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (isHexLine(line)) {
            if (inOtherDomain) continue;
            readHexLine(line, lineNumber, haveFunction ? &functions.back() : nullptr);
        } else if (auto header = parseHeader(line)) {
            inOtherDomain = header->domain != 0;
            if (inOtherDomain) continue;
            functions.push_back(header->function);
            haveFunction = true;
        }
    }
    return functions;
}

}  // namespace zelkora::winio::sim
