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

// "bus:device.function" or "domain:bus:device.function" up to the first
// blank. The domain may have any number of digits: lspci prints five on
// machines whose volume management device opens domains from 10000h.
struct Header {
    bool domainZero = true;
    DumpedFunction function;
};

std::optional<Header> parseHeader(std::string_view line) {
    std::string_view address = line.substr(0, line.find_first_of(" \t"));
    Header header;
    const size_t firstColon = address.find(':');
    if (firstColon != std::string_view::npos && address.find(':', firstColon + 1) != address.npos) {
        const std::string_view domain = address.substr(0, firstColon);
        if (!hexValue(domain.substr(0, 1))) return std::nullopt;
        for (const char c : domain) {
            if (!hexValue(std::string_view(&c, 1))) return std::nullopt;
            if (c != '0') header.domainZero = false;
        }
        address.remove_prefix(firstColon + 1);
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

void readHexLine(std::string_view line, size_t lineNumber, DumpedFunction& current) {
    const size_t colon = line.find(':');
    const unsigned offset = *hexValue(line.substr(0, colon));
    if (offset % 16 != 0) fail(lineNumber, "the offset of a hex line must be a multiple of 10h");
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
        if (offset + count < current.config.size()) {
            current.config[offset + count] = static_cast<uint8_t>(*value);
            current.shown.set(offset + count);
        }
        ++count;
    }
}

}  // namespace

std::vector<DumpedFunction> parseLspciDump(std::string_view text) {
    std::vector<DumpedFunction> functions;
    // Where hex lines go: a function of domain 0, one of another domain
    // (skipped), or none, before the first header or after a line at column
    // 0 that is not one (its bytes must not land in the function above it).
    enum class Target { None, Function, OtherDomain } target = Target::None;
    size_t headers = 0;
    size_t endedAt = 0;
    size_t lineNumber = 0;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        if (isHexLine(line)) {
            if (target == Target::OtherDomain) continue;
            if (target == Target::None) {
                if (headers == 0) fail(lineNumber, "hex bytes before the first function line");
                fail(lineNumber, "hex bytes after line " + std::to_string(endedAt) +
                                     ", which is not a function line");
            }
            readHexLine(line, lineNumber, functions.back());
        } else if (auto header = parseHeader(line)) {
            ++headers;
            target = header->domainZero ? Target::Function : Target::OtherDomain;
            if (header->domainZero) functions.push_back(header->function);
        } else if (!line.empty() && line.find_first_not_of(" \t") == 0) {
            // Verbose lines are indented; anything else at column 0 ends the function.
            target = Target::None;
            endedAt = lineNumber;
        }
    }
    if (headers == 0) {
        throw LspciDumpError(
            "holds no function line such as \"00:1f.3 SMBus: ...\" (is it the text lspci -x "
            "prints?)");
    }
    return functions;
}

}  // namespace zelkora::winio::sim
