#include "winio/sim/smbios_image.h"

#include <algorithm>
#include <cstring>

namespace zelkora::winio::sim {

namespace {

uint16_t le16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

void put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

uint8_t checksum(const uint8_t* bytes, size_t length) {
    uint8_t sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum = static_cast<uint8_t>(sum + bytes[i]);
    return static_cast<uint8_t>(-sum);
}

}  // namespace

std::optional<size_t> smbiosStructureEnd(std::span<const uint8_t> table, size_t at) {
    if (at + 4 > table.size()) return std::nullopt;
    const uint8_t length = table[at + 1];
    if (length < 4 || at + length > table.size()) return std::nullopt;
    // The string set ends with a zero byte of its own after the formatted
    // area's, so the search starts at the formatted area's end.
    size_t end = at + length;
    while (end + 1 < table.size() && !(table[end] == 0 && table[end + 1] == 0))
        ++end;
    if (end + 1 >= table.size()) return std::nullopt;
    return end + 2;
}

std::optional<SmbiosStringPlace> smbiosStringPlace(std::span<const uint8_t> structure,
                                                   unsigned number) {
    if (structure.size() < 2 || number == 0) return std::nullopt;
    size_t start = structure[1];
    for (unsigned current = 1; start < structure.size() && structure[start] != 0; ++current) {
        size_t end = start;
        while (end < structure.size() && structure[end] != 0)
            ++end;
        if (current == number) return SmbiosStringPlace{start, end - start};
        start = end + 1;
    }
    return std::nullopt;
}

SmbiosTableMeasure measureSmbiosTable(std::span<const uint8_t> table) {
    SmbiosTableMeasure measure;
    size_t at = 0;
    while (measure.structureCount < 0xFFFF) {
        const auto found = smbiosStructureEnd(table, at);
        if (!found) break;
        const uint8_t type = table[at];
        const size_t end = *found;
        ++measure.structureCount;
        measure.largestStructure = static_cast<uint16_t>(
            std::max<size_t>(measure.largestStructure, std::min<size_t>(end - at, 0xFFFF)));
        at = end;
        if (type == 127) break;
    }
    return measure;
}

std::array<uint8_t, kSmbiosEntryPointLength> makeSmbiosEntryPoint(const SmbiosTableFacts& facts) {
    std::array<uint8_t, kSmbiosEntryPointLength> ep{};
    std::memcpy(ep.data(), "_SM_", 4);
    ep[0x05] = kSmbiosEntryPointLength;
    ep[0x06] = facts.major;
    ep[0x07] = facts.minor;
    put16(&ep[0x08], facts.maxStructureSize);
    std::memcpy(&ep[0x10], "_DMI_", 5);
    put16(&ep[0x16], facts.tableLength);
    for (int i = 0; i < 4; ++i)
        ep[0x18 + i] = static_cast<uint8_t>(facts.tableAddress >> (8 * i));
    put16(&ep[0x1C], facts.structureCount);
    ep[0x1E] = static_cast<uint8_t>(facts.major << 4 | (facts.minor & 0x0F));
    ep[0x15] = checksum(&ep[0x10], 0x0F);
    ep[0x04] = checksum(ep.data(), ep.size());
    return ep;
}

std::optional<SmbiosTableFacts> factsFromEntryPoint(std::span<const uint8_t> entry,
                                                    std::span<const uint8_t> table) {
    const auto measure = measureSmbiosTable(table);
    SmbiosTableFacts facts;
    facts.tableLength = static_cast<uint16_t>(std::min<size_t>(table.size(), 0xFFFF));
    facts.maxStructureSize = measure.largestStructure;
    facts.structureCount = measure.structureCount;
    if (entry.size() >= kSmbiosEntryPointLength && std::memcmp(entry.data(), "_SM_", 4) == 0) {
        facts.major = entry[0x06];
        facts.minor = entry[0x07];
        facts.maxStructureSize = std::max(facts.maxStructureSize, le16(entry, 0x08));
        facts.structureCount = le16(entry, 0x1C);
    } else if (entry.size() >= 0x18 && std::memcmp(entry.data(), "_SM3_", 5) == 0) {
        facts.major = entry[0x07];
        facts.minor = entry[0x08];
    } else {
        return std::nullopt;
    }
    return facts;
}

}  // namespace zelkora::winio::sim
