#include "winio/live/live_host.h"

#include <fcntl.h>
#include <unistd.h>
#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ZELKORA_HAVE_PORT_IO 1
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "hardware/pc_addresses.h"
#include "winio/live/live_bios.h"
#include "winio/sim/smbios_image.h"

namespace zelkora::winio::live {

namespace {

namespace fs = std::filesystem;

using hardware::kPciAddressPort;
using hardware::kPciDataPort;
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
    closeConfigFile();
}

void LiveHost::closeConfigFile() {
    if (openFile_.fd >= 0) ::close(openFile_.fd);
    openFile_ = OpenConfigFile{};
}

// Functions come and go (hot-plug, a driver's remove and rescan), so every
// walk starts from the folder as it is now: the list of functions is read
// once, and the file held open since the last access is closed, since the
// function behind it may have been replaced.
void LiveHost::beginConfigScan() {
    closeConfigFile();
    present_.clear();
    snapshots_.clear();
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
    snapshots_.clear();
}

std::optional<uint32_t> LiveHost::selectedFunction() const {
    if (!(address_ & hardware::kPciConfigEnable)) return std::nullopt;
    return (address_ >> 8) & 0xFFFF;
}

std::filesystem::path LiveHost::configPath(uint32_t function) const {
    char name[32];
    std::snprintf(name, sizeof name, "0000:%02x:%02x.%x", function >> 8, (function >> 3) & 0x1F,
                  function & 7);
    return paths_.pciDevices / name / "config";
}

int LiveHost::selectedConfigFile(bool forWriting) {
    const auto function = selectedFunction();
    if (!function) {
        errno = ENOENT;
        return -1;
    }
    if (openFile_.fd >= 0 && openFile_.function == *function &&
        (openFile_.writable || !forWriting)) {
        return openFile_.fd;
    }
    closeConfigFile();
    // Never blocks: a FIFO or a device in a copied tree is no config file.
    const int flags = (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK;
    const int fd = ::open(configPath(*function).c_str(), flags);
    // An absent function is not remembered: it may appear before the next access.
    if (fd < 0) return -1;
    openFile_ = OpenConfigFile{*function, fd, forWriting};
    return fd;
}

const LiveHost::Snapshot* LiveHost::selectedSnapshot() {
    const auto function = selectedFunction();
    if (!function) return nullptr;
    if (auto it = snapshots_.find(*function); it != snapshots_.end()) return &it->second;
    // A walk knows which functions exist and tries no other path.
    if (!present_.contains(*function)) return nullptr;
    const int fd = ::open(configPath(*function).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    // Gone since the listing: absent. Any other failure leaves every byte unread.
    if (fd < 0 && errno == ENOENT) return nullptr;
    Snapshot snapshot;
    if (fd >= 0) {
        const ssize_t read = ::pread(fd, snapshot.bytes.data(), snapshot.bytes.size(), 0);
        ::close(fd);
        snapshot.servedBytes = read < 0 ? 0 : static_cast<unsigned>(read);
    }
    return &snapshots_.emplace(*function, snapshot).first->second;
}

Backend::PortReading LiveHost::readConfig(unsigned lane, unsigned size) {
    PortReading reading{sizeMask(size), 0};
    uint8_t bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const unsigned count = std::min(size, 4 - lane);
    const unsigned offset = (address_ & 0xFC) + lane;
    unsigned got = 0;
    if (scanning_) {
        // One read per function and walk.
        const Snapshot* snapshot = selectedSnapshot();
        if (!snapshot) return reading;  // no such function: the bus answers all ones
        for (; got < count && offset + got < snapshot->servedBytes; ++got)
            bytes[got] = snapshot->bytes[offset + got];
    } else {
        const int fd = selectedConfigFile(false);
        if (fd < 0 && errno == ENOENT) return reading;  // no such function
        const ssize_t read = fd < 0 ? -1 : ::pread(fd, bytes, count, offset);
        got = read < 0 ? 0 : static_cast<unsigned>(read);
    }
    // Bytes the kernel did not give (an unprivileged reader gets only the
    // first 64) are FFh filler, and said to be so.
    reading.value = 0;
    for (unsigned i = 0; i < size; ++i) {
        const uint8_t byte = i < got ? bytes[i] : 0xFF;
        reading.value |= uint32_t{byte} << (8 * i);
        if (i >= got && i < count) reading.unread |= static_cast<uint8_t>(1u << i);
    }
    return reading;
}

bool LiveHost::writeConfig(unsigned lane, uint32_t value, unsigned size) {
    // Whatever a walk read before may be stale now, on this function or,
    // through a bridge's bus numbers, on others.
    snapshots_.clear();
    const int fd = selectedConfigFile(true);
    // No such function: the bus drops the write, as it would on the hardware.
    // Any other failure: the process may not write configuration space.
    if (fd < 0) return errno == ENOENT;
    uint8_t bytes[4];
    const unsigned count = std::min(size, 4 - lane);
    for (unsigned i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    return ::pwrite(fd, bytes, count, (address_ & 0xFC) + lane) == static_cast<ssize_t>(count);
}

sim::IdeChannel* LiveHost::taskFile(uint16_t port, bool& isTaskFilePort) {
    isTaskFilePort = (port >= hardware::kPrimaryIdeBase &&
                      port < hardware::kPrimaryIdeBase + hardware::kIdeTaskFileSize) ||
                     (port >= hardware::kSecondaryIdeBase &&
                      port < hardware::kSecondaryIdeBase + hardware::kIdeTaskFileSize);
    if (!isTaskFilePort) return nullptr;
    for (const auto& channel : taskFiles_) {
        if (channel->decodes(port)) return channel.get();
    }
    return nullptr;
}

Backend::PortReading LiveHost::readPortChecked(uint16_t port, unsigned size) {
    if (port == kPciAddressPort && size == 4) return {address_, 0};
    if (port >= kPciDataPort && port < kPciDataPort + 4)
        return readConfig(port - kPciDataPort, size);
    // The drive model answers for the task files; a channel without a drive floats.
    bool isTaskFilePort = false;
    if (auto* channel = taskFile(port, isTaskFilePort))
        return {channel->read(port, size) & sizeMask(size), 0};
    if (isTaskFilePort) return {sizeMask(size), 0};
#if ZELKORA_HAVE_PORT_IO
    if (rawPorts_ && !(port >= kPciAddressPort && port < kPciAddressPort + 4)) {
        if (size == 1) return {inb(port), 0};
        if (size == 2) return {inw(port), 0};
        return {inl(port), 0};
    }
#endif
    // Not served: no reading at all.
    return {sizeMask(size), static_cast<uint8_t>((1u << size) - 1u)};
}

bool LiveHost::writePort(uint16_t port, uint32_t value, unsigned size) {
    if (port == kPciAddressPort && size == 4) {
        address_ = value;
        return true;
    }
    if (port >= kPciDataPort && port < kPciDataPort + 4)
        return writeConfig(port - kPciDataPort, value, size);
    // The drive model takes every task file write, as the channel would.
    bool isTaskFilePort = false;
    if (auto* channel = taskFile(port, isTaskFilePort)) channel->write(port, value, size);
    if (isTaskFilePort) return true;
#if ZELKORA_HAVE_PORT_IO
    if (rawPorts_ && !(port >= kPciAddressPort && port < kPciAddressPort + 4)) {
        snapshots_.clear();  // a chip behind a raw port may change configuration space
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
    std::vector<uint8_t> segment(hardware::kBiosSegmentSize, 0);
    const auto ep = sim::makeSmbiosEntryPoint(*facts);
    std::copy(ep.begin(), ep.end(), segment.begin());

    const std::string identification = buildIdentificationText(identity);
    std::copy(identification.begin(), identification.end(),
              segment.begin() + hardware::kBiosIdentificationOffset);

    memory_.addRegion(hardware::kBiosSegment, std::move(segment));
    memory_.addRegion(kRelocatedTable, std::move(table));
}

}  // namespace zelkora::winio::live
