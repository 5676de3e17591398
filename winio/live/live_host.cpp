#include "winio/live/live_host.h"

#include <fcntl.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ZELKORA_HAVE_PORT_IO 1
#endif

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace zelkora::winio::live {

namespace {

constexpr uint16_t kAddressPort = 0xCF8;
constexpr uint16_t kDataPort = 0xCFC;
constexpr uint32_t kBiosSegment = 0xF0000;
constexpr uint32_t kIdentificationOffset = 0xE0C1;
constexpr uint32_t kRelocatedTable = 0x100000;

uint32_t sizeMask(unsigned size) {
    return size >= 4 ? 0xFFFF'FFFFu : (1u << (8 * size)) - 1u;
}

std::vector<uint8_t> readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readLine(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string line;
    if (in) std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n'))
        line.pop_back();
    return line;
}

uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}

// Counts the structures of a table and its largest structure (formatted
// area plus strings), stopping at the end-of-table structure (type 127).
void measureTable(const std::vector<uint8_t>& table, uint16_t& count, uint16_t& largest) {
    count = 0;
    largest = 0;
    size_t at = 0;
    while (at + 4 <= table.size()) {
        const uint8_t type = table[at];
        const uint8_t length = table[at + 1];
        if (length < 4 || at + length > table.size()) break;
        size_t end = at + length;
        while (end + 1 < table.size() && !(table[end] == 0 && table[end + 1] == 0))
            ++end;
        end += 2;
        if (end > table.size()) break;
        ++count;
        largest =
            std::max<uint16_t>(largest, static_cast<uint16_t>(std::min<size_t>(end - at, 0xFFFF)));
        at = end;
        if (type == 127) break;
    }
}

}  // namespace

LiveHost::LiveHost(HostPaths paths, bool rawPorts) : paths_(std::move(paths)) {
#if ZELKORA_HAVE_PORT_IO
    rawPorts_ = rawPorts && iopl(3) == 0;
#else
    (void)rawPorts;
#endif
    buildBiosArea();
}

LiveHost::~LiveHost() {
    for (const auto& [key, fd] : configFiles_) {
        if (fd >= 0) close(fd);
    }
}

int LiveHost::selectedConfigFile() {
    if (!(address_ & 0x8000'0000u)) return -1;
    const uint32_t key = (address_ >> 8) & 0xFFFF;  // bus, device, function
    auto it = configFiles_.find(key);
    if (it != configFiles_.end()) return it->second;
    char name[32];
    std::snprintf(name, sizeof name, "0000:%02x:%02x.%x", key >> 8, (key >> 3) & 0x1F, key & 7);
    const auto path = paths_.pciDevices / name / "config";
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    configFiles_[key] = fd;
    return fd;
}

uint32_t LiveHost::readConfig(unsigned lane, unsigned size) {
    const int fd = selectedConfigFile();
    uint32_t value = sizeMask(size);
    if (fd < 0) return value;
    uint8_t bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const unsigned count = std::min(size, 4 - lane);
    // Unprivileged readers get only the first 64 bytes; the rest stays FFh.
    const ssize_t got = pread(fd, bytes, count, (address_ & 0xFC) + lane);
    if (got <= 0) return value;
    value = 0;
    for (unsigned i = 0; i < size; ++i) {
        const uint8_t byte = i < static_cast<unsigned>(got) ? bytes[i] : 0xFF;
        value |= uint32_t{byte} << (8 * i);
    }
    return value;
}

void LiveHost::writeConfig(unsigned lane, uint32_t value, unsigned size) {
    const int fd = selectedConfigFile();
    if (fd < 0) return;
    uint8_t bytes[4];
    const unsigned count = std::min(size, 4 - lane);
    for (unsigned i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    // Refused when the process may not write configuration space.
    [[maybe_unused]] const ssize_t written = pwrite(fd, bytes, count, (address_ & 0xFC) + lane);
}

uint32_t LiveHost::readPort(uint16_t port, unsigned size) {
    if (port == kAddressPort && size == 4) return address_;
    if (port >= kDataPort && port < kDataPort + 4) return readConfig(port - kDataPort, size);
#if ZELKORA_HAVE_PORT_IO
    if (rawPorts_ && !(port >= kAddressPort && port < kAddressPort + 4)) {
        if (size == 1) return inb(port);
        if (size == 2) return inw(port);
        return inl(port);
    }
#endif
    return sizeMask(size);
}

void LiveHost::writePort(uint16_t port, uint32_t value, unsigned size) {
    if (port == kAddressPort && size == 4) {
        address_ = value;
        return;
    }
    if (port >= kDataPort && port < kDataPort + 4) {
        writeConfig(port - kDataPort, value, size);
        return;
    }
#if ZELKORA_HAVE_PORT_IO
    if (rawPorts_ && !(port >= kAddressPort && port < kAddressPort + 4)) {
        if (size == 1)
            outb(static_cast<uint8_t>(value), port);
        else if (size == 2)
            outw(static_cast<uint16_t>(value), port);
        else
            outl(value, port);
    }
#endif
}

bool LiveHost::readPhysical(uint32_t address, std::span<uint8_t> out) {
    return memory_.read(address, out);
}

// Presents the firmware's SMBIOS table the way the BIOS area holds it: an
// "_SM_" entry point at F0000h pointing at the table, and the identification
// text at FE0C1h built from the DMI identity. A machine whose firmware only
// offers an SMBIOS 3 ("_SM3_") entry point gets an "_SM_" one made for it.
void LiveHost::buildBiosArea() {
    const auto entry = readWholeFile(paths_.dmiTables / "smbios_entry_point");
    const auto table = readWholeFile(paths_.dmiTables / "DMI");
    if (entry.empty() || table.empty()) return;

    std::vector<uint8_t> segment(0x10000, 0);
    uint16_t count = 0;
    uint16_t largest = 0;
    measureTable(table, count, largest);
    uint8_t major = 2, minor = 4;
    uint32_t tableAddress = kRelocatedTable;
    if (entry.size() >= 0x1F && std::memcmp(entry.data(), "_SM_", 4) == 0) {
        major = entry[6];
        minor = entry[7];
        largest = std::max(largest, le16(entry, 0x08));
        count = le16(entry, 0x1C);
        tableAddress = le32(entry, 0x18);
    } else if (entry.size() >= 0x18 && std::memcmp(entry.data(), "_SM3_", 5) == 0) {
        major = entry[7];
        minor = entry[8];
        const uint64_t address = le32(entry, 0x10) | uint64_t{le32(entry, 0x14)} << 32;
        if (address + table.size() <= 0xFFFF'FFFFULL &&
            (address >= kBiosSegment + 0x10000 || address + table.size() <= kBiosSegment)) {
            tableAddress = static_cast<uint32_t>(address);
        }
    } else {
        return;
    }
    if (tableAddress < kBiosSegment + 0x10000 && tableAddress + table.size() > kBiosSegment) {
        tableAddress = kRelocatedTable;
    }
    // The 31-byte SMBIOS 2.x entry point.
    uint8_t* ep = segment.data();
    std::memcpy(ep, "_SM_", 4);
    ep[5] = 0x1F;
    ep[6] = major;
    ep[7] = minor;
    ep[8] = static_cast<uint8_t>(largest);
    ep[9] = static_cast<uint8_t>(largest >> 8);
    std::memcpy(ep + 0x10, "_DMI_", 5);
    const auto tableLength = static_cast<uint16_t>(std::min<size_t>(table.size(), 0xFFFF));
    ep[0x16] = static_cast<uint8_t>(tableLength);
    ep[0x17] = static_cast<uint8_t>(tableLength >> 8);
    for (int i = 0; i < 4; ++i)
        ep[0x18 + i] = static_cast<uint8_t>(tableAddress >> (8 * i));
    ep[0x1C] = static_cast<uint8_t>(count);
    ep[0x1D] = static_cast<uint8_t>(count >> 8);
    ep[0x1E] = static_cast<uint8_t>(major << 4 | (minor & 0x0F));
    uint8_t sum = 0;
    for (int i = 0x10; i < 0x1F; ++i)
        sum = static_cast<uint8_t>(sum + ep[i]);
    ep[0x15] = static_cast<uint8_t>(-sum);
    sum = 0;
    for (int i = 0; i < 0x1F; ++i)
        sum = static_cast<uint8_t>(sum + ep[i]);
    ep[4] = static_cast<uint8_t>(-sum);

    // "<board> <revision> <date>": the layout the BIOS identification text has.
    std::string board = readLine(paths_.dmiIdentity / "board_name");
    std::string version = readLine(paths_.dmiIdentity / "bios_version");
    std::string date = readLine(paths_.dmiIdentity / "bios_date");
    std::string identification = board + " " + version + " " + date;
    identification.resize(std::min<size_t>(identification.size(), 80));
    std::copy(identification.begin(), identification.end(),
              segment.begin() + kIdentificationOffset);

    memory_.addRegion(kBiosSegment, std::move(segment));
    memory_.addRegion(tableAddress, table);
}

}  // namespace zelkora::winio::live
