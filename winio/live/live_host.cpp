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

#include "winio/live/live_bios.h"
#include "winio/sim/smbios_image.h"

namespace zelkora::winio::live {

namespace {

namespace fs = std::filesystem;

constexpr uint16_t kAddressPort = 0xCF8;
constexpr uint16_t kDataPort = 0xCFC;
constexpr uint32_t kBiosSegment = 0xF0000;
constexpr uint32_t kIdentificationOffset = 0xE0C1;
constexpr uint32_t kRelocatedTable = 0x100000;

uint32_t sizeMask(unsigned size) {
    return size >= 4 ? 0xFFFF'FFFFu : (1u << (8 * size)) - 1u;
}

// A file's bytes; empty when it is no regular file or cannot be read whole.
std::vector<uint8_t> readWholeFile(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) return {};
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    } catch (const std::ios_base::failure&) {
        return {};
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
    taskFiles_ = makeTaskFiles(findLiveDrives(paths_.drives));
}

LiveHost::~LiveHost() {
    closeConfigFiles();
}

void LiveHost::closeConfigFiles() {
    for (const auto& [key, file] : configFiles_)
        close(file.fd);
    configFiles_.clear();
}

void LiveHost::dropSnapshots() {
    for (auto& [key, file] : configFiles_)
        file.snapshotBytes = -1;
}

// Functions come and go (hot-plug, a driver's remove and rescan), so every
// walk starts from the folder as it is now: the list of functions is read
// once, and files held open since the last walk are closed, since the
// function behind one may have been replaced.
void LiveHost::beginConfigScan() {
    closeConfigFiles();
    present_.clear();
    scanning_ = true;
    std::error_code error;
    for (fs::directory_iterator it(paths_.pciDevices, error), end; !error && it != end;
         it.increment(error)) {
        unsigned domain = 0, bus = 0, device = 0, function = 0;
        char tail = 0;
        const std::string name = it->path().filename().string();
        if (std::sscanf(name.c_str(), "%x:%x:%x.%x%c", &domain, &bus, &device, &function, &tail) ==
                4 &&
            domain == 0 && bus <= 0xFF && device <= 0x1F && function <= 7) {
            present_.insert(bus << 8 | device << 3 | function);
        }
    }
}

void LiveHost::endConfigScan() {
    scanning_ = false;
    present_.clear();
    dropSnapshots();
}

LiveHost::ConfigFile* LiveHost::selectedConfigFile() {
    if (!(address_ & 0x8000'0000u)) return nullptr;
    const uint32_t key = (address_ >> 8) & 0xFFFF;  // bus, device, function
    if (auto it = configFiles_.find(key); it != configFiles_.end()) return &it->second;
    // A walk knows which functions exist and tries no other path.
    if (scanning_ && !present_.contains(key)) return nullptr;
    char name[32];
    std::snprintf(name, sizeof name, "0000:%02x:%02x.%x", key >> 8, (key >> 3) & 0x1F, key & 7);
    const auto path = paths_.pciDevices / name / "config";
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // An absent function is not remembered: it may appear before the next access.
    if (fd < 0) return nullptr;
    return &configFiles_.emplace(key, ConfigFile{fd}).first->second;
}

uint32_t LiveHost::readConfig(unsigned lane, unsigned size) {
    ConfigFile* file = selectedConfigFile();
    uint32_t value = sizeMask(size);
    if (!file) return value;
    uint8_t bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const unsigned count = std::min(size, 4 - lane);
    const unsigned offset = (address_ & 0xFC) + lane;
    ssize_t got = 0;
    if (scanning_) {
        // One read per function and walk; unprivileged readers get only the
        // first 64 bytes, the rest stays FFh as a read of its own would give.
        if (file->snapshotBytes < 0) {
            const ssize_t read = pread(file->fd, file->snapshot.data(), file->snapshot.size(), 0);
            file->snapshotBytes = read < 0 ? 0 : static_cast<int>(read);
        }
        const auto served = static_cast<unsigned>(file->snapshotBytes);
        for (unsigned i = 0; i < count && offset + i < served; ++i, ++got)
            bytes[i] = file->snapshot[offset + i];
    } else {
        got = pread(file->fd, bytes, count, offset);
    }
    if (got <= 0) return value;
    value = 0;
    for (unsigned i = 0; i < size; ++i) {
        const uint8_t byte = i < static_cast<unsigned>(got) ? bytes[i] : 0xFF;
        value |= uint32_t{byte} << (8 * i);
    }
    return value;
}

bool LiveHost::writeConfig(unsigned lane, uint32_t value, unsigned size) {
    // Whatever a walk read before may be stale now, on this function or,
    // through a bridge's bus numbers, on others.
    dropSnapshots();
    ConfigFile* file = selectedConfigFile();
    // No such function: the bus drops the write, as it would on the hardware.
    if (!file) return true;
    uint8_t bytes[4];
    const unsigned count = std::min(size, 4 - lane);
    for (unsigned i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    // Refused when the process may not write configuration space.
    return pwrite(file->fd, bytes, count, (address_ & 0xFC) + lane) == static_cast<ssize_t>(count);
}

sim::IdeChannel* LiveHost::taskFile(uint16_t port, bool& isTaskFilePort) {
    isTaskFilePort =
        (port >= sim::IdeChannel::kPrimaryBase && port < sim::IdeChannel::kPrimaryBase + 8) ||
        (port >= sim::IdeChannel::kSecondaryBase && port < sim::IdeChannel::kSecondaryBase + 8);
    if (!isTaskFilePort) return nullptr;
    for (const auto& channel : taskFiles_) {
        if (channel->decodes(port)) return channel.get();
    }
    return nullptr;
}

uint32_t LiveHost::readPort(uint16_t port, unsigned size) {
    if (port == kAddressPort && size == 4) return address_;
    if (port >= kDataPort && port < kDataPort + 4) return readConfig(port - kDataPort, size);
    bool isTaskFilePort = false;
    if (auto* channel = taskFile(port, isTaskFilePort))
        return channel->read(port, size) & sizeMask(size);
    if (isTaskFilePort) return sizeMask(size);
#if ZELKORA_HAVE_PORT_IO
    if (rawPorts_ && !(port >= kAddressPort && port < kAddressPort + 4)) {
        if (size == 1) return inb(port);
        if (size == 2) return inw(port);
        return inl(port);
    }
#endif
    return sizeMask(size);
}

bool LiveHost::writePort(uint16_t port, uint32_t value, unsigned size) {
    if (port == kAddressPort && size == 4) {
        address_ = value;
        return true;
    }
    if (port >= kDataPort && port < kDataPort + 4)
        return writeConfig(port - kDataPort, value, size);
    // The drive model takes every task file write, as the channel would.
    bool isTaskFilePort = false;
    if (auto* channel = taskFile(port, isTaskFilePort)) channel->write(port, value, size);
    if (isTaskFilePort) return true;
#if ZELKORA_HAVE_PORT_IO
    if (rawPorts_ && !(port >= kAddressPort && port < kAddressPort + 4)) {
        dropSnapshots();  // a chip behind a raw port may change configuration space
        if (size == 1)
            outb(static_cast<uint8_t>(value), port);
        else if (size == 2)
            outw(static_cast<uint16_t>(value), port);
        else
            outl(value, port);
        return true;
    }
#endif
    return false;
}

bool LiveHost::readPhysical(uint32_t address, std::span<uint8_t> out) {
    return memory_.read(address, out);
}

// Presents the firmware's SMBIOS table the way the BIOS area holds it: an
// "_SM_" entry point at F0000h pointing at the table, and the identification
// text at FE0C1h built from the DMI identity. A machine whose firmware only
// offers an SMBIOS 3 ("_SM3_") entry point gets an "_SM_" one made for it.
// When the table cannot be read (it is root's alone) or is missing, a table
// made of the DMI identity and /proc/cpuinfo takes its place.
void LiveHost::buildBiosArea() {
    const DmiIdentity identity = readDmiIdentity(paths_.dmiIdentity);
    const auto entry = readWholeFile(paths_.dmiTables / "smbios_entry_point");
    auto table = readWholeFile(paths_.dmiTables / "DMI");
    std::optional<sim::SmbiosTableFacts> facts;
    if (!entry.empty() && !table.empty()) facts = sim::factsFromEntryPoint(entry, table);
    if (!facts) {
        const auto cpuinfo = readWholeFile(paths_.cpuinfo);
        table = buildSmbiosTable(
            identity,
            parseCpuinfo({reinterpret_cast<const char*>(cpuinfo.data()), cpuinfo.size()}));
        if (table.empty()) return;
        const auto measure = sim::measureSmbiosTable(table);
        facts = sim::SmbiosTableFacts{3,
                                      1,
                                      measure.structureCount,
                                      measure.largestStructure,
                                      static_cast<uint16_t>(table.size()),
                                      0};
    }

    // The firmware's own table address is of no use here: sysfs hands out a
    // copy, and where the firmware keeps it (possibly above 4 GiB, or inside
    // this segment) says nothing about where this presentation may put it.
    facts->tableAddress = kRelocatedTable;
    std::vector<uint8_t> segment(0x10000, 0);
    const auto ep = sim::makeSmbiosEntryPoint(*facts);
    std::copy(ep.begin(), ep.end(), segment.begin());

    const std::string identification = buildIdentificationText(identity);
    std::copy(identification.begin(), identification.end(),
              segment.begin() + kIdentificationOffset);

    memory_.addRegion(kBiosSegment, std::move(segment));
    memory_.addRegion(kRelocatedTable, std::move(table));
}

}  // namespace zelkora::winio::live
