#include "lib/probes/smbios_reader.h"

#include <algorithm>
#include <string_view>

#include "hardware/pc_addresses.h"
#include "lib/hw/driver.h"

namespace zelkora::probes {

namespace {

constexpr uint32_t kBiosAreaStart = hardware::kBiosSegment;
constexpr uint32_t kBiosAreaEnd = hardware::kBiosSegmentEnd;
constexpr uint32_t kAnchor = 0x5F4D535F;   // "_SM_" read as a little-endian double word
constexpr uint32_t kAnchor3 = 0x334D535F;  // "_SM3", followed by "_"
constexpr uint8_t kHeaderLength = 4;
constexpr uint8_t kEndOfTable = 127;
constexpr uint16_t kContinueWalk = 0xFFFE;
// A 2.x entry point gives its table's length as a word.
constexpr uint64_t kLegacyTableLimit = 0xFFFF;
constexpr uint64_t kAddressSpaceEnd = 0x1'0000'0000ULL;

// Reads one structure, formatted area and string set, into `work`. False
// when a read fails, the formatted area is shorter than its header, or the
// whole does not end within `limit` bytes. The string set ends with two zero
// bytes in a row of its own; a zero closing the formatted area does not count.
bool readStructure(hw::Driver& driver, uint64_t start, size_t limit, std::vector<uint8_t>& work) {
    work.clear();
    uint8_t formatted = 0;
    if (start + kHeaderLength > kAddressSpaceEnd ||
        !driver.getPhysByte(static_cast<uint32_t>(start + 1), &formatted)) {
        return false;
    }
    if (formatted < kHeaderLength || formatted > limit) return false;
    work.resize(formatted);
    if (!driver.getPhysBlock(static_cast<uint32_t>(start), work.data(), formatted)) return false;

    bool previousZero = false;
    for (uint64_t at = start + formatted;; ++at) {
        uint8_t byte = 0;
        if (work.size() >= limit || at >= kAddressSpaceEnd) return false;
        if (!driver.getPhysByte(static_cast<uint32_t>(at), &byte)) return false;
        work.push_back(byte);
        if (byte == 0 && previousZero) return true;
        previousZero = byte == 0;
    }
}

}  // namespace

SmbiosReader::~SmbiosReader() = default;

// One pass over the BIOS area: the first "_SM_" ends it, an "_SM3_" (on the
// 16-byte boundary the standard puts it) seen on the way is kept in case no
// "_SM_" follows. A failed read ends the search with what it found so far.
SmbiosReader::EntryPoints SmbiosReader::findEntryPoints() {
    auto& driver = hw::driver();
    EntryPoints found;
    for (uint32_t at = kBiosAreaStart; at < kBiosAreaEnd; at += 4) {
        uint32_t value = 0;
        if (!driver.getPhysLong(at, &value)) break;
        if (value == kAnchor) {
            found.legacy = at;
            break;
        }
        uint8_t tail = 0;
        if (value == kAnchor3 && at % 16 == 0 && !found.smbios3 &&
            driver.getPhysByte(at + 4, &tail) && tail == '_') {
            found.smbios3 = at;
        }
    }
    return found;
}

bool SmbiosReader::FindEntryPoint(uint32_t& address) {
    const auto found = findEntryPoints();
    if (found.legacy) address = *found.legacy;
    return found.legacy.has_value();
}

uint8_t SmbiosReader::Open() {
    const auto found = findEntryPoints();
    if (found.legacy) return openLegacy(*found.legacy);
    if (found.smbios3) return openSmbios3(*found.smbios3);
    return kSmbiosNoEntryPoint;
}

uint8_t SmbiosReader::openLegacy(uint32_t entry) {
    auto& driver = hw::driver();
    uint8_t revision = 0;
    uint16_t maxSize = 0, count = 0;
    uint32_t table = 0;
    if (!driver.getPhysByte(entry + 0x1E, &revision) ||
        !driver.getPhysWord(entry + 0x08, &maxSize) || !driver.getPhysWord(entry + 0x1C, &count) ||
        !driver.getPhysLong(entry + 0x18, &table)) {
        return kSmbiosReadFailed;
    }
    bcdRevision_ = revision;
    maxStructureSize_ = maxSize;
    structureCount_ = count;
    tableAddress_ = table;
    tableStart_ = table;
    currentAddress_ = table;
    measureTable(count, kLegacyTableLimit, false);
    return kSmbiosOk;
}

// The SMBIOS 3 entry point: version at 07h and 08h, the table's maximum size
// (double word) at 0Ch and its 64-bit address at 10h; no count, no maximum
// structure size.
uint8_t SmbiosReader::openSmbios3(uint32_t entry) {
    auto& driver = hw::driver();
    uint8_t major = 0, minor = 0;
    uint32_t tableSize = 0, tableLow = 0, tableHigh = 0;
    if (!driver.getPhysByte(entry + 0x07, &major) || !driver.getPhysByte(entry + 0x08, &minor) ||
        !driver.getPhysLong(entry + 0x0C, &tableSize) ||
        !driver.getPhysLong(entry + 0x10, &tableLow) ||
        !driver.getPhysLong(entry + 0x14, &tableHigh)) {
        return kSmbiosReadFailed;
    }
    // The physical reads reach the first 4 GiB only.
    if (tableHigh != 0) return kSmbiosReadFailed;
    bcdRevision_ =
        static_cast<uint8_t>(std::min(major, uint8_t{15}) << 4 | std::min(minor, uint8_t{15}));
    maxStructureSize_ = 0;
    tableAddress_ = tableLow;
    tableStart_ = tableLow;
    currentAddress_ = tableLow;
    const uint64_t reachable = std::min<uint64_t>(tableSize, kAddressSpaceEnd - tableLow);
    structureCount_ = measureTable(kSmbiosWalkEnd, reachable, true);
    return kSmbiosOk;
}

uint16_t SmbiosReader::measureTable(uint32_t countLimit, uint64_t byteLimit, bool endsAtType127) {
    auto& driver = hw::driver();
    std::vector<uint8_t> work;
    uint64_t offset = 0;
    uint16_t count = 0;
    while (count < countLimit && offset < byteLimit) {
        const auto limit = static_cast<size_t>(std::min<uint64_t>(byteLimit - offset, 0xFFFF));
        if (!readStructure(driver, uint64_t{tableStart_} + offset, limit, work)) break;
        ++count;
        maxStructureSize_ = std::max(maxStructureSize_, static_cast<uint16_t>(work.size()));
        offset += work.size();
        if (endsAtType127 && work[0] == kEndOfTable) break;
    }
    return count;
}

uint8_t SmbiosReader::ReadNext(uint16_t& handle, std::span<uint8_t> buffer, uint16_t& length) {
    auto& driver = hw::driver();
    const size_t capacity = std::min<size_t>(maxStructureSize_, buffer.size());
    if (handle == 0) {
        currentAddress_ = tableStart_;
        structuresRead_ = 0;
    }
    const uint64_t start = currentAddress_;
    std::vector<uint8_t> work;
    work.reserve(capacity);
    if (!readStructure(driver, start, capacity, work)) return kSmbiosReadFailed;

    std::copy(work.begin(), work.end(), buffer.begin());
    length = static_cast<uint16_t>(work.size());

    ++structuresRead_;
    if (structuresRead_ == structureCount_) {
        handle = kSmbiosWalkEnd;
        structuresRead_ = 0;
        currentAddress_ = tableStart_;
        return kSmbiosOk;
    }
    const uint64_t next = start + work.size();
    uint16_t nextHandle = 0;
    if (next + 4 > kAddressSpaceEnd ||
        !driver.getPhysWord(static_cast<uint32_t>(next + 2), &nextHandle)) {
        handle = kSmbiosWalkEnd;
        return kSmbiosReadFailed;
    }
    handle = nextHandle;
    currentAddress_ = static_cast<uint32_t>(next);
    return kSmbiosOk;
}

std::optional<std::vector<uint8_t>> SmbiosReader::findStructure(uint8_t type) {
    std::vector<uint8_t> buffer(size_t{maxStructureSize_} + 1);
    uint16_t handle = 0;
    for (unsigned reads = 0; reads < structureCount_; ++reads) {
        uint16_t length = 0;
        if (ReadNext(handle, buffer, length) != kSmbiosOk) return std::nullopt;
        if (buffer[0] == type) {
            buffer.resize(length);
            return buffer;
        }
        if (handle == kSmbiosWalkEnd) return std::nullopt;
        // A later structure with handle 0 would send the next read back to
        // the table start; any other value continues where the walk stands.
        if (handle == 0) handle = kContinueWalk;
    }
    return std::nullopt;
}

std::string_view smbiosString(std::span<const uint8_t> structure, unsigned number) {
    if (number == 0 || structure.size() < 2 || structure[1] >= structure.size()) return {};
    const auto* text = reinterpret_cast<const char*>(structure.data());
    std::string_view strings(text + structure[1], structure.size() - structure[1]);
    for (unsigned i = 1;; ++i) {
        const size_t end = strings.find('\0');
        const std::string_view current = strings.substr(0, end);
        if (current.empty()) return {};  // the empty string closes the set
        if (i == number) return current;
        if (end == std::string_view::npos) return {};
        strings.remove_prefix(end + 1);
    }
}

std::string_view smbiosStringAt(std::span<const uint8_t> structure, size_t offset) {
    if (structure.size() < 2 || offset >= structure[1] || offset >= structure.size()) return {};
    return smbiosString(structure, structure[offset]);
}

}  // namespace zelkora::probes
