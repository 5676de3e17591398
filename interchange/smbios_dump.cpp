#include "interchange/smbios_dump.h"

#include <cstdio>
#include <span>

#include "interchange/input_file.h"
#include "winio/live/live_bios.h"
#include "winio/sim/smbios_image.h"

namespace zelkora::interchange {

namespace {

constexpr std::size_t kTableOffset = 0x20;  // where the dump keeps the table
constexpr uint8_t kBiosStructure = 0, kBoardStructure = 2, kEndOfTable = 127;

std::string hexOffset(std::size_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "offset %zXh", offset);
    return text;
}

// The string a structure's byte at `at` numbers; empty when there is none.
std::string structureString(const std::vector<uint8_t>& structure, std::size_t at) {
    if (at >= structure[1]) return {};
    const auto place = winio::sim::smbiosStringPlace(structure, structure[at]);
    if (!place) return {};
    return std::string(reinterpret_cast<const char*>(structure.data()) + place->offset,
                       place->length);
}

std::string identificationOf(const std::vector<std::vector<uint8_t>>& structures) {
    winio::live::DmiIdentity identity;
    for (const auto& structure : structures) {
        if (structure[0] == kBiosStructure && identity.biosVendor.empty()) {
            identity.biosVendor = structureString(structure, 0x04);
            identity.biosVersion = structureString(structure, 0x05);
            identity.biosDate = structureString(structure, 0x08);
        } else if (structure[0] == kBoardStructure && identity.boardName.empty()) {
            identity.boardVendor = structureString(structure, 0x04);
            identity.boardName = structureString(structure, 0x05);
            identity.boardVersion = structureString(structure, 0x06);
        }
    }
    return winio::live::buildIdentificationText(identity);
}

}  // namespace

SmbiosDump readSmbiosDump(std::string_view bytes, const std::string& name) {
    const std::span data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (data.size() <= kTableOffset) fail(name, "holds no table after the entry point at 20h");
    const auto table = data.subspan(kTableOffset);
    const auto facts = winio::sim::factsFromEntryPoint(data.first(kTableOffset), table);
    if (!facts) {
        fail(name,
             "does not start with an \"_SM_\" or \"_SM3_\" entry point (is it the file "
             "dmidecode --dump-bin writes?)");
    }
    SmbiosDump dump;
    dump.major = facts->major;
    dump.minor = facts->minor;
    std::size_t at = 0;
    while (dump.structures.empty() || dump.structures.back()[0] != kEndOfTable) {
        if (at >= table.size()) {
            fail(name, hexOffset(kTableOffset + at) +
                           ": the table ends without an end-of-table structure (type 127)");
        }
        const auto end = winio::sim::smbiosStructureEnd(table, at);
        if (!end) fail(name, hexOffset(kTableOffset + at) + ": a structure runs past the end");
        dump.structures.emplace_back(table.begin() + static_cast<std::ptrdiff_t>(at),
                                     table.begin() + static_cast<std::ptrdiff_t>(*end));
        at = *end;
    }
    dump.identification = identificationOf(dump.structures);
    return dump;
}

}  // namespace zelkora::interchange
