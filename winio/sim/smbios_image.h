#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zelkora::winio::sim {

// What an SMBIOS 2.x entry point says about its structure table.
struct SmbiosTableFacts {
    uint8_t major = 2;
    uint8_t minor = 3;
    uint16_t structureCount = 0;
    uint16_t maxStructureSize = 0;
    uint16_t tableLength = 0;
    uint32_t tableAddress = 0;
};

struct SmbiosTableMeasure {
    uint16_t structureCount = 0;
    uint16_t largestStructure = 0;  // formatted area plus string set, saturated at FFFFh
};

// Where the structure starting at `at` ends: after the two NUL bytes that
// close its string set. Empty when its header or strings run past the table.
std::optional<size_t> smbiosStructureEnd(std::span<const uint8_t> table, size_t at);

// String `number` (from 1) of a whole structure (header, formatted area,
// strings) as its offset in the structure and its length; empty when the
// structure has no such string.
struct SmbiosStringPlace {
    size_t offset = 0;
    size_t length = 0;
};
std::optional<SmbiosStringPlace> smbiosStringPlace(std::span<const uint8_t> structure,
                                                   unsigned number);

// Counts the well-formed structures of a table up to and including the
// end-of-table structure (type 127), and finds the largest.
SmbiosTableMeasure measureSmbiosTable(std::span<const uint8_t> table);

inline constexpr size_t kSmbiosEntryPointLength = 0x1F;

// A 31-byte "_SM_" entry point with both checksums.
std::array<uint8_t, kSmbiosEntryPointLength> makeSmbiosEntryPoint(const SmbiosTableFacts& facts);

// The facts of a firmware entry point ("_SM_", or the SMBIOS 3 "_SM3_" one,
// which carries no structure count) for `table`; the largest structure is
// never taken smaller than the table holds. The table address is left 0 for
// the caller to place. Empty when `entry` holds neither anchor.
std::optional<SmbiosTableFacts> factsFromEntryPoint(std::span<const uint8_t> entry,
                                                    std::span<const uint8_t> table);

}  // namespace zelkora::winio::sim
