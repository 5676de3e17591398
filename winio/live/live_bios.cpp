// The firmware facts that every user may read (DMI identity, /proc/cpuinfo),
// shaped as the BIOS area presents them: the identification text and a small
// SMBIOS table.
#include "winio/live/live_bios.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace zelkora::winio::live {

namespace {

constexpr size_t kIdentificationLength = 80;
constexpr std::string_view kUnknown = "Unknown";

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Empty when the file is missing, no regular file or unreadable.
std::string firstLine(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    std::string line;
    try {
        std::ifstream in(path);
        if (in) std::getline(in, line);
    } catch (const std::ios_base::failure&) {
        line.clear();
    }
    return std::string(trim(line));
}

// A token that the split reads whole as the revision.
bool fitsRevision(std::string_view text) {
    if (text.size() < 3 || text.size() > 9 || text[2] != '.' || text[0] == '.' || text[1] == '.')
        return false;
    return std::none_of(text.begin(), text.end(), [](char c) { return blank(c) || c == '\0'; });
}

// Formatted area (after the 4-byte header) and strings, numbered in order; an
// empty text is stored as "Unknown" so that every later string keeps its
// number. The handle is filled in once the table is complete.
void addStructure(std::vector<uint8_t>& table, uint8_t type, std::vector<uint8_t> formatted,
                  std::initializer_list<std::string_view> strings) {
    table.push_back(type);
    table.push_back(static_cast<uint8_t>(4 + formatted.size()));
    table.push_back(0);
    table.push_back(0);
    table.insert(table.end(), formatted.begin(), formatted.end());
    for (std::string_view text : strings) {
        text = text.substr(0, text.find('\0'));  // a NUL would end the string early
        if (text.empty()) text = kUnknown;
        table.insert(table.end(), text.begin(), text.end());
        table.push_back(0);
    }
    if (strings.size() == 0) table.push_back(0);
    table.push_back(0);
}

}  // namespace

bool DmiIdentity::empty() const {
    return biosVendor.empty() && biosVersion.empty() && biosDate.empty() && boardVendor.empty() &&
           boardName.empty() && boardVersion.empty();
}

DmiIdentity readDmiIdentity(const std::filesystem::path& folder) {
    DmiIdentity identity;
    identity.biosVendor = firstLine(folder / "bios_vendor");
    identity.biosVersion = firstLine(folder / "bios_version");
    identity.biosDate = firstLine(folder / "bios_date");
    identity.boardVendor = firstLine(folder / "board_vendor");
    identity.boardName = firstLine(folder / "board_name");
    identity.boardVersion = firstLine(folder / "board_version");
    return identity;
}

std::optional<CpuIdentity> parseCpuinfo(std::string_view text) {
    CpuIdentity cpu;
    double listedMhz = 0;
    bool seen = false, named = false;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        if (trim(line).empty()) {
            if (seen) break;  // the first processor's block has ended
            continue;
        }
        seen = true;
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view key = trim(line.substr(0, colon));
        const std::string_view value = trim(line.substr(colon + 1));
        if (key == "vendor_id") {
            cpu.vendor = value;
        } else if (key == "model name") {
            cpu.modelName = value;
            named = true;
        } else if (key == "cpu MHz") {
            listedMhz = std::strtod(std::string(value).c_str(), nullptr);
            named = true;
        }
    }
    if (!named) return std::nullopt;

    // "Intel(R) Core(TM) i7-9700K CPU @ 3.60GHz": the rated clock, steadier
    // than the current one the kernel lists.
    double mhz = listedMhz;
    if (const size_t at = cpu.modelName.rfind("@ "); at != std::string::npos) {
        char* end = nullptr;
        const std::string rest = cpu.modelName.substr(at + 2);
        const double rated = std::strtod(rest.c_str(), &end);
        const std::string_view unit(end);
        if (end != rest.c_str() && unit.starts_with("GHz")) mhz = rated * 1000.0;
        if (end != rest.c_str() && unit.starts_with("MHz")) mhz = rated;
    }
    if (!(mhz > 0)) mhz = 0;  // also NaN
    cpu.mhz = static_cast<uint16_t>(std::min(mhz + 0.5, 65535.0));
    return cpu;
}

std::string buildIdentificationText(const DmiIdentity& identity) {
    if (identity.boardName.empty() && identity.boardVersion.empty() && identity.biosDate.empty())
        return {};
    const std::string_view revision =
        fitsRevision(identity.boardVersion) ? std::string_view(identity.boardVersion) : kNoRevision;
    // The date is one token, and leaves room for the revision before it.
    std::string_view date = identity.biosDate;
    if (std::any_of(date.begin(), date.end(), [](char c) { return blank(c) || c == '\0'; }) ||
        date.size() + 2 + revision.size() > kIdentificationLength) {
        date = {};
    }
    const size_t room =
        kIdentificationLength - 1 - revision.size() - (date.empty() ? 0 : 1 + date.size());
    std::string board(identity.boardName.substr(0, std::min(room, identity.boardName.size())));
    for (char& c : board) {
        if (c == '\0' || blank(c)) c = ' ';
    }
    board = std::string(trim(board));

    std::string text = board;
    text.push_back(' ');
    text.append(revision);
    if (!date.empty()) {
        text.push_back(' ');
        text.append(date);
    }
    // The board name ends at the first space with a "." three characters on.
    for (size_t i = 0; i < board.size(); ++i) {
        if (text[i] == ' ' && text[i + 3] == '.') text[i] = '_';
    }
    return text;
}

std::vector<uint8_t> buildSmbiosTable(const DmiIdentity& identity,
                                      const std::optional<CpuIdentity>& cpu) {
    std::vector<uint8_t> table;
    if (!identity.empty()) {
        // BIOS: vendor, version, starting segment F000h, date, ROM size FFh
        // (see the extended size), characteristics not supported, no release
        // numbers, extended ROM size 0 (unknown).
        addStructure(table, 0, {1, 2, 0x00, 0xF0, 3, 0xFF, 0x08, 0,    0,    0, 0,
                                0, 0, 0,    0,    0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0},
                     {identity.biosVendor, identity.biosVersion, identity.biosDate});
        // Baseboard: manufacturer, product, version; a hosting board of type
        // motherboard.
        addStructure(table, 2, {1, 2, 3, 0, 0, 0x01, 0, 0xFF, 0xFF, 0x0A, 0},
                     {identity.boardVendor, identity.boardName, identity.boardVersion});
    }
    if (cpu) {
        // Processor: socket (unknown), central processor, family unknown,
        // manufacturer, no identification, version, external clock unknown,
        // maximum speed unknown, current speed, populated and enabled.
        const auto mhz = cpu->mhz;
        addStructure(table, 4,
                     {1,
                      0x03,
                      0x02,
                      2,
                      0,
                      0,
                      0,
                      0,
                      0,
                      0,
                      0,
                      0,
                      3,
                      0,
                      0,
                      0,
                      0,
                      0,
                      static_cast<uint8_t>(mhz),
                      static_cast<uint8_t>(mhz >> 8),
                      0x41,
                      0x02},
                     {kUnknown, cpu->vendor, cpu->modelName});
    }
    if (table.empty()) return table;
    addStructure(table, 127, {}, {});

    // Handles 0, 1, 2, ... in table order.
    uint16_t handle = 0;
    for (size_t at = 0; at + 4 <= table.size(); ++handle) {
        table[at + 2] = static_cast<uint8_t>(handle);
        table[at + 3] = static_cast<uint8_t>(handle >> 8);
        size_t end = at + table[at + 1];
        while (end + 1 < table.size() && !(table[end] == 0 && table[end + 1] == 0))
            ++end;
        at = end + 2;
    }
    return table;
}

}  // namespace zelkora::winio::live
