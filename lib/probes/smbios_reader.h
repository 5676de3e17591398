#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace zelkora::probes {

inline constexpr uint8_t kSmbiosOk = 0x00;
inline constexpr uint8_t kSmbiosReadFailed = 0x81;
inline constexpr uint8_t kSmbiosNoEntryPoint = 0x82;

// The walk handle the reader hands back once the table is exhausted.
inline constexpr uint16_t kSmbiosWalkEnd = 0xFFFF;

// Finds the SMBIOS entry point in the BIOS area and hands out the structures
// of its table one after the other (formatted area followed by string set).
// Every memory access goes through the bound port driver's physical reads.
//
// Firmware is taken as it is written: the largest structure is measured when
// the reader opens, since entry points declare less than their tables hold
// (VMware: 115 bytes against a 125-byte type 1), and memory that holds only
// an SMBIOS 3 entry point ("_SM3_") is read too. Where both kinds lie in the
// BIOS area the 2.x one is taken.
class SmbiosReader {
  public:
    SmbiosReader() = default;
    virtual ~SmbiosReader();

    SmbiosReader(const SmbiosReader&) = delete;
    SmbiosReader& operator=(const SmbiosReader&) = delete;

    // The "_SM_" anchor on a 4-byte boundary in F0000h-FFFFFh.
    bool FindEntryPoint(uint32_t& address);
    // 0, 81h (a read failed, or an SMBIOS 3 table lies above 4 GiB) or 82h
    // (no entry point of either kind).
    uint8_t Open();
    // Copies the next structure into `buffer` and stores its length. The walk
    // handle is 0 to start over, FFFFh once the table is exhausted, otherwise
    // the handle of the structure the next call returns. A structure longer
    // than maxStructureSize() (or than `buffer`), a formatted area shorter
    // than its header or a string set that does not end within that size is
    // refused with 81h, like a failed read.
    uint8_t ReadNext(uint16_t& handle, std::span<uint8_t> buffer, uint16_t& length);

    // Walks from the first structure to the first one of `type`. The walk
    // makes at most one read per structure the entry point counts, and a
    // structure with handle 0 later in the table does not send it back to the
    // start, so no table can keep the caller walking forever.
    std::optional<std::vector<uint8_t>> findStructure(uint8_t type);

    // From the 2.x entry point; an SMBIOS 3 one gives its version as if it
    // were BCD (3.2 as 32h) and no count, so its structures are counted
    // through the end-of-table structure (type 127).
    uint8_t bcdRevision() const { return bcdRevision_; }
    uint16_t structureCount() const { return structureCount_; }
    // The longest structure of the table, never less than the entry point
    // declares; a buffer of this size plus one holds every structure.
    uint16_t maxStructureSize() const { return maxStructureSize_; }
    uint32_t tableAddress() const { return tableAddress_; }

  private:
    struct EntryPoints {
        std::optional<uint32_t> legacy;   // "_SM_"
        std::optional<uint32_t> smbios3;  // "_SM3_"
    };
    EntryPoints findEntryPoints();
    uint8_t openLegacy(uint32_t entry);
    uint8_t openSmbios3(uint32_t entry);
    // Walks the table from its start without handing anything out: counts
    // structures up to `countLimit` (through type 127 too when `endsAtType127`)
    // within `byteLimit` bytes, and raises maxStructureSize_ to the longest.
    uint16_t measureTable(uint32_t countLimit, uint64_t byteLimit, bool endsAtType127);

    uint8_t bcdRevision_ = 0;
    uint16_t structureCount_ = 0;
    uint16_t maxStructureSize_ = 0;
    uint32_t tableAddress_ = 0;
    uint32_t tableStart_ = 0;
    uint32_t currentAddress_ = 0;
    uint16_t structuresRead_ = 0;
};

// The string numbered `number` (from 1) of a structure as ReadNext hands it
// out; empty when the structure has fewer strings.
std::string_view smbiosString(std::span<const uint8_t> structure, unsigned number);
// The string that the byte at `offset` of the formatted area names: firmware
// may number its strings in any order. Empty when that byte lies past the
// formatted area, is 0 or names no string of the set.
std::string_view smbiosStringAt(std::span<const uint8_t> structure, size_t offset);

}  // namespace zelkora::probes
