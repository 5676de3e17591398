#include "lib/probes/smbios_reader.h"

#include <algorithm>
#include <string_view>

#include "lib/hw/driver.h"

namespace zelkora::probes {

namespace {

constexpr uint32_t kBiosAreaStart = 0xF0000;
constexpr uint32_t kBiosAreaEnd = 0x100000;
constexpr uint32_t kAnchor = 0x5F4D535F;  // "_SM_" read as a little-endian double word
constexpr uint8_t kHeaderLength = 4;
constexpr uint16_t kContinueWalk = 0xFFFE;

}  // namespace

SmbiosReader::~SmbiosReader() = default;

bool SmbiosReader::FindEntryPoint(uint32_t& address) {
    auto& driver = hw::driver();
    for (uint32_t at = kBiosAreaStart; at < kBiosAreaEnd; at += 4) {
        uint32_t value = 0;
        if (!driver.getPhysLong(at, &value)) return false;
        if (value == kAnchor) {
            address = at;
            return true;
        }
    }
    return false;
}

uint8_t SmbiosReader::Open() {
    uint32_t entry = 0;
    if (!FindEntryPoint(entry)) return kSmbiosNoEntryPoint;
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
    return kSmbiosOk;
}

uint8_t SmbiosReader::ReadNext(uint16_t& handle, std::span<uint8_t> buffer, uint16_t& length) {
    auto& driver = hw::driver();
    const size_t capacity = std::min<size_t>(maxStructureSize_, buffer.size());
    std::vector<uint8_t> work;
    work.reserve(capacity);

    if (handle == 0) {
        currentAddress_ = tableStart_;
        structuresRead_ = 0;
    }
    const uint64_t start = currentAddress_;

    uint8_t formatted = 0;
    if (!driver.getPhysByte(static_cast<uint32_t>(start + 1), &formatted)) return kSmbiosReadFailed;
    if (formatted < kHeaderLength || formatted > capacity) return kSmbiosReadFailed;
    work.resize(formatted);
    if (!driver.getPhysBlock(static_cast<uint32_t>(start), work.data(), formatted)) {
        return kSmbiosReadFailed;
    }

    // The string set ends with two zero bytes in a row of its own; a zero
    // closing the formatted area does not count.
    bool previousZero = false;
    for (uint64_t at = start + formatted;; ++at) {
        uint8_t byte = 0;
        if (work.size() >= capacity || at > 0xFFFF'FFFFULL) return kSmbiosReadFailed;
        if (!driver.getPhysByte(static_cast<uint32_t>(at), &byte)) return kSmbiosReadFailed;
        work.push_back(byte);
        if (byte == 0 && previousZero) break;
        previousZero = byte == 0;
    }

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
    if (next + 4 > 0x1'0000'0000ULL ||
        !driver.getPhysWord(static_cast<uint32_t>(next + 2), &nextHandle)) {
        handle = kSmbiosWalkEnd;
        return kSmbiosReadFailed;
    }
    handle = nextHandle;
    currentAddress_ = static_cast<uint32_t>(next);
    return kSmbiosOk;
}

std::optional<std::vector<uint8_t>> SmbiosReader::FindStructure(uint8_t type) {
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
