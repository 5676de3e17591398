// zelkora-cli capture-machine: the live host written down as a machine file.
#include "capture/machine_capture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "capture/config_spaces.h"
#include "capture/hex_text.h"
#include "capture/redaction.h"
#include "hardware/pc_addresses.h"
#include "platform/registry/reg_export.h"
#include "platform/services.h"
#include "winio/core/backend.h"

namespace zelkora::capture {

namespace {

using Json = nlohmann::ordered_json;

using hardware::kBiosSegment;
using hardware::kBiosSegmentSize;
using hardware::kIdeBusy;
using hardware::kIdeDataRegister;
using hardware::kIdeDataRequest;
using hardware::kIdeDriveSelectRegister;
using hardware::kIdeError;
using hardware::kIdentifyDevice;
using hardware::kIdentifyPacketDevice;
using hardware::kIdeReady;
using hardware::kIdeSeekComplete;
using hardware::kIdeSelectMaster;
using hardware::kIdeSelectSlave;
using hardware::kIdeStatusRegister;
using hardware::kPrimaryIdeBase;
using hardware::kSecondaryIdeBase;

// Zero runs at least this long end a memory region's bytes; the rest of the
// region is given by its size.
constexpr size_t kZeroRunForPadding = 64;
constexpr uint32_t kLargestRegion = 0x100'0000;  // what a machine file's region may hold

// Every function configuration mechanism 1 reaches. Of each space only the
// bytes the host gave are kept: a replay must refuse the rest as the host
// did, not read FFh as if it were the device's. `partial` counts the
// functions cut short.
Json capturePci(winio::Backend& ports, size_t& partial, unsigned& readableBytes) {
    Json functions = Json::array();
    for (const ConfigSpace& space : readConfigSpaces(ports)) {
        Json entry = {{"address", functionAddress(space.bus, space.device, space.function)},
                      {"config", hexBlob(std::span(space.bytes).first(space.readable))}};
        if (space.readable < 256) {
            entry["readableBytes"] = space.readable;
            ++partial;
            readableBytes = space.readable;
        }
        functions.push_back(std::move(entry));
    }
    return functions;
}

// Regions covering exactly [base, base + bytes.size()), long zero runs left
// to each region's size so that the file stays small.
void appendRegions(Json& regions, uint32_t base, const std::vector<uint8_t>& bytes) {
    const size_t n = bytes.size();
    size_t start = 0;
    while (start < n) {
        size_t end = start;  // end of this region's bytes
        while (end < n) {
            if (bytes[end] != 0) {
                ++end;
                continue;
            }
            size_t zeros = end;
            while (zeros < n && bytes[zeros] == 0)
                ++zeros;
            if (zeros == n || zeros - end >= kZeroRunForPadding) break;
            end = zeros;
        }
        size_t next = end;
        while (next < n && bytes[next] == 0)
            ++next;
        Json region = {{"base", hexNumber(base + start, 5)}};
        if (end > start) {
            region["bytes"] = hexBlob(std::span(bytes).subspan(start, end - start));
        }
        if (next > end || end == start) region["size"] = hexNumber(next - start, 4);
        regions.push_back(std::move(region));
        start = next;
    }
}

uint32_t little(const std::vector<uint8_t>& bytes, size_t at, unsigned width) {
    uint32_t value = 0;
    for (unsigned i = 0; i < width && at + i < bytes.size(); ++i)
        value |= uint32_t{bytes[at + i]} << (8 * i);
    return value;
}

// The structure table an entry point in the segment names: address, length.
std::optional<std::pair<uint64_t, uint32_t>> smbiosTable(const std::vector<uint8_t>& segment) {
    auto at = [&](size_t offset, std::string_view anchor) {
        return offset + anchor.size() <= segment.size() &&
               std::memcmp(segment.data() + offset, anchor.data(), anchor.size()) == 0;
    };
    for (size_t offset = 0; offset + 0x20 <= segment.size(); offset += 16) {
        if (at(offset, "_SM3_")) {
            const uint64_t address = little(segment, offset + 0x10, 4) |
                                     uint64_t{little(segment, offset + 0x14, 4)} << 32;
            return std::pair{address, little(segment, offset + 0x0C, 4)};
        }
        if (at(offset, "_SM_")) {
            return std::pair{uint64_t{little(segment, offset + 0x18, 4)},
                             little(segment, offset + 0x16, 2)};
        }
        if (at(offset, "_DMI_")) {
            return std::pair{uint64_t{little(segment, offset + 8, 4)},
                             little(segment, offset + 6, 2)};
        }
    }
    return std::nullopt;
}

// The BIOS area as the driver presents it: the F0000h segment (entry point
// and identification text) and the structure table it points at. With
// `redactions` the table's serial numbers, asset tags and UUID are replaced.
std::optional<Json> captureBios(winio::Backend& ports, Redactions* redactions) {
    std::vector<uint8_t> segment(kBiosSegmentSize);
    if (!ports.readPhysical(kBiosSegment, segment)) return std::nullopt;
    std::vector<uint8_t> table;
    uint32_t tableAddress = 0;
    if (const auto found = smbiosTable(segment); found && found->second > 0) {
        const auto [address, length] = *found;
        const bool inSegment =
            address >= kBiosSegment && address + length <= kBiosSegment + kBiosSegmentSize;
        // A table longer than a machine file's region is no table (a bogus
        // SMBIOS 3 maximum size), and is not read.
        const bool plausible = length <= kLargestRegion;
        const bool overlaps =
            address < kBiosSegment + kBiosSegmentSize && address + length > kBiosSegment;
        if (inSegment && redactions) {
            redactSmbiosTable(std::span(segment).subspan(address - kBiosSegment, length),
                              *redactions);
        }
        table.resize(plausible ? length : 0);
        if (plausible && !inSegment && !overlaps && address + length <= 0x1'0000'0000ULL &&
            ports.readPhysical(static_cast<uint32_t>(address), table)) {
            tableAddress = static_cast<uint32_t>(address);
            if (redactions) redactSmbiosTable(table, *redactions);
        } else {
            table.clear();
        }
    }
    Json regions = Json::array();
    appendRegions(regions, kBiosSegment, segment);
    if (!table.empty()) appendRegions(regions, tableAddress, table);
    Json bios = {{"regions", std::move(regions)}};

    // The identification text, for people reading the file; the region above
    // holds the same bytes.
    const auto text = std::span(segment).subspan(hardware::kBiosIdentificationOffset,
                                                 hardware::kBiosIdentificationLength);
    size_t length = 0;
    while (length < text.size() && text[length] >= 0x20 && text[length] < 0x7F)
        ++length;
    bool restZero = true;
    for (size_t i = length; i < text.size(); ++i)
        restZero = restZero && text[i] == 0;
    if (length > 0 && restZero) {
        bios["identification"] = std::string(text.begin(), text.begin() + length);
    }
    return bios;
}

// The identify command sequence the library sends, with its checks: the
// answer is taken only where the library would take it.
std::optional<std::array<uint16_t, 256>> identify(winio::Backend& ports, uint16_t base,
                                                  uint8_t select, uint8_t command) {
    constexpr unsigned kBusyWaitReads = 249999, kDrainReads = 65535;
    const auto status = [&] {
        return static_cast<uint8_t>(ports.readPort(base + kIdeStatusRegister, 1));
    };
    const auto waitWhileBusy = [&] {
        for (unsigned reads = 0; reads < kBusyWaitReads; ++reads) {
            if (!(status() & kIdeBusy)) return true;
        }
        return false;
    };
    const auto check = [&](auto holds) { return holds(status()) || holds(status()); };
    if (!waitWhileBusy()) return std::nullopt;
    for (unsigned reads = 0; (status() & kIdeDataRequest) && reads < kDrainReads; ++reads)
        ports.readPort(base + kIdeDataRegister, 1);
    ports.writePort(base + kIdeDriveSelectRegister, select, 1);
    ports.writePort(base + kIdeStatusRegister, command, 1);
    if (!waitWhileBusy() || !check([](uint8_t s) {
            return (s & (kIdeReady | kIdeSeekComplete)) == (kIdeReady | kIdeSeekComplete);
        }) ||
        !check([](uint8_t s) { return !(s & kIdeError); }) ||
        !check([](uint8_t s) { return (s & (kIdeDataRequest | kIdeError)) == kIdeDataRequest; })) {
        return std::nullopt;
    }
    std::array<uint16_t, 256> words{};
    for (auto& word : words)
        word = static_cast<uint16_t>(ports.readPort(base + kIdeDataRegister, 2));
    return words;
}

std::optional<Json> captureIde(winio::Backend& ports, Redactions* redactions) {
    struct Channel {
        const char* name;
        uint16_t base;
    };
    Json ide = Json::object();
    for (const Channel channel :
         {Channel{"primary", kPrimaryIdeBase}, Channel{"secondary", kSecondaryIdeBase}}) {
        Json drives = Json::object();
        for (const auto& [position, select] :
             {std::pair{"master", kIdeSelectMaster}, std::pair{"slave", kIdeSelectSlave}}) {
            const auto select8 = static_cast<uint8_t>(select);
            std::string type = "atapi";
            auto words = identify(ports, channel.base, select8, kIdentifyPacketDevice);
            if (!words) {
                type = "ata";
                words = identify(ports, channel.base, select8, kIdentifyDevice);
            }
            if (!words) continue;
            if (redactions && redactDriveSerial(*words))
                redactions->note("the drives' serial numbers");
            std::array<uint8_t, 512> bytes{};
            for (size_t i = 0; i < words->size(); ++i) {
                bytes[2 * i] = static_cast<uint8_t>((*words)[i]);
                bytes[2 * i + 1] = static_cast<uint8_t>((*words)[i] >> 8);
            }
            drives[position] = {{"type", type}, {"identifyHex", hexBlob(bytes)}};
        }
        if (!drives.empty()) ide[channel.name] = std::move(drives);
    }
    if (ide.empty()) return std::nullopt;
    return ide;
}

Json captureSystem(platform::SystemServices& system, Redactions* redactions) {
    Json out = Json::object();
    const auto name = system.computerName();
    if (name && redactions) redactions->note("the computer name");
    if (name)
        out["computerName"] = redactions ? std::string(kComputerNamePlaceholder) : *name;
    else
        out["computerNameFails"] = true;
    const auto user = system.userName();
    if (user && redactions) redactions->note("the user name");
    if (user)
        out["userName"] = redactions ? std::string(kUserNamePlaceholder) : *user;
    else
        out["userNameFails"] = true;
    out["language"] = hexNumber(system.systemDefaultLanguage(), 4);
    const auto memory = system.memoryStatus();
    out["memory"] = {{"totalPhysical", memory.totalPhysical},
                     {"availablePhysical", memory.availablePhysical},
                     {"totalPageFile", memory.totalPageFile}};
    if (const auto version = system.version()) {
        out["version"] = {{"platformId", hexNumber(version->platformId, 2)},
                          {"major", version->major},
                          {"minor", version->minor},
                          {"build", version->build},
                          {"servicePack", version->servicePack},
                          {"systemName", version->systemName}};
    } else {
        out["version"] = {{"queryFails", true}};
    }
    const auto leaf0 = system.cpuid(0);
    const auto leaf1 = system.cpuid(1);
    std::string vendor(12, '\0');
    std::memcpy(vendor.data(), &leaf0.ebx, 4);
    std::memcpy(vendor.data() + 4, &leaf0.edx, 4);
    std::memcpy(vendor.data() + 8, &leaf0.ecx, 4);
    out["cpuid"] = {{"vendor", vendor},
                    {"maxLeaf", leaf0.eax},
                    {"signature", hexNumber(leaf1.eax, 8)},
                    {"ebx", hexNumber(leaf1.ebx, 8)},
                    {"features", hexNumber(leaf1.edx, 8)}};
    return out;
}

constexpr std::string_view kPrefix = "zelkora-cli: ";

// A file's new content, written beside it until every file is ready.
struct PendingFile {
    std::filesystem::path path;
    std::string text;
    std::filesystem::path temporary;
    std::filesystem::path previous;  // the file it replaces, set aside
};

bool writeTemporary(PendingFile& file, std::string& problem) {
    std::string pattern = file.path.string() + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    file.temporary = pattern;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool written = ::fchmod(fd, 0666 & ~mask) == 0;
    for (std::string_view rest = file.text; written && !rest.empty();) {
        const ssize_t put = ::write(fd, rest.data(), rest.size());
        if (put < 0 && errno == EINTR) continue;
        written = put > 0;
        if (written) rest.remove_prefix(static_cast<size_t>(put));
    }
    written = written && ::fsync(fd) == 0;
    if (!written) problem = std::strerror(errno ? errno : EIO);
    ::close(fd);
    return written;
}

// Both files or neither: each is written beside its name first, and only
// when all are written are they put in place, the old ones set aside until
// the last rename has worked and put back if one fails.
bool writeAllOrNone(std::vector<PendingFile>& files, std::ostream& errors) {
    std::string problem;
    const auto cleanUp = [&] {
        for (auto& file : files) {
            if (!file.temporary.empty()) ::unlink(file.temporary.c_str());
        }
    };
    for (auto& file : files) {
        struct stat existing {};
        if (::stat(file.path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
            errors << kPrefix << "cannot write " << file.path.string() << ": not a regular file\n";
            return false;
        }
    }
    for (auto& file : files) {
        if (!writeTemporary(file, problem)) {
            errors << kPrefix << "cannot write " << file.path.string() << ": " << problem << "\n";
            cleanUp();
            return false;
        }
    }
    size_t placed = 0;
    for (; placed < files.size(); ++placed) {
        PendingFile& file = files[placed];
        std::error_code error;
        if (std::filesystem::exists(file.path, error)) {
            file.previous = file.temporary.string() + ".old";
            if (::rename(file.path.c_str(), file.previous.c_str()) != 0) {
                problem = std::strerror(errno);
                file.previous.clear();
                break;
            }
        }
        if (::rename(file.temporary.c_str(), file.path.c_str()) != 0) {
            problem = std::strerror(errno);
            if (!file.previous.empty()) ::rename(file.previous.c_str(), file.path.c_str());
            file.previous.clear();
            break;
        }
        file.temporary.clear();
    }
    const bool allPlaced = placed == files.size();
    for (size_t i = 0; i < placed; ++i) {
        PendingFile& file = files[i];
        if (allPlaced) {
            if (!file.previous.empty()) ::unlink(file.previous.c_str());
        } else if (!file.previous.empty()) {
            ::rename(file.previous.c_str(), file.path.c_str());
        } else {
            ::unlink(file.path.c_str());
        }
    }
    cleanUp();
    if (!allPlaced) {
        errors << kPrefix << "cannot write " << files[placed].path.string() << ": " << problem
               << "\n";
    }
    return allPlaced;
}

}  // namespace

int captureMachine(winio::Backend& ports, platform::SystemServices& system,
                   const std::filesystem::path& out, std::ostream& errors, Privacy privacy) {
    std::filesystem::path regPath = out;
    regPath.replace_extension(".reg");
    if (regPath == out) regPath += ".reg";

    Redactions redactions;
    Redactions* redact = privacy == Privacy::LeaveOutSerials ? &redactions : nullptr;
    Json machine = Json::object();
    const auto host = system.computerName();
    machine["name"] = "Captured on " + (redact ? std::string(kComputerNamePlaceholder)
                                               : host.value_or("an unnamed host"));
    machine["system"] = captureSystem(system, redact);
    machine["registry"] = Json::array({regPath.filename().string()});
    if (auto bios = captureBios(ports, redact)) machine["bios"] = std::move(*bios);
    size_t partial = 0;
    unsigned readable = 256;
    machine["pci"] = {{"functions", capturePci(ports, partial, readable)}};
    if (auto ide = captureIde(ports, redact)) machine["ide"] = std::move(*ide);

    // Names that are not UTF-8 are kept readable rather than refused.
    const std::string json = machine.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
    std::vector<PendingFile> files(2);
    files[0].path = regPath;
    files[0].text = platform::registry::exportRegText(system.registry());
    files[1].path = out;
    files[1].text = json;
    if (!writeAllOrNone(files, errors)) return kFileError;
    if (partial > 0) {
        char bytes[16];
        std::snprintf(bytes, sizeof bytes, "00h-%02Xh", readable - 1);
        errors << kPrefix << "of " << partial << " PCI function" << (partial == 1 ? "" : "s")
               << " only configuration bytes " << bytes
               << " could be read (reading all needs root); " << out.string()
               << " holds only those, and a replay refuses the rest as this host did\n";
    }
    if (!redactions.replaced().empty()) {
        errors << kPrefix << "left out what identifies this computer or its user, with fixed "
               << "placeholders in its place (--keep-serials keeps it): ";
        const auto& replaced = redactions.replaced();
        for (size_t i = 0; i < replaced.size(); ++i)
            errors << (i == 0 ? "" : i + 1 == replaced.size() ? " and " : ", ") << replaced[i];
        errors << "\n";
    }
    errors << kPrefix << "described this host in " << out.string() << " and " << regPath.string()
           << "\n";
    return kCaptured;
}

int captureMachine(const std::filesystem::path& out, std::ostream& errors, Privacy privacy) {
    std::string error;
    const auto backend = winio::openBackendFromEnvironment(error);
    if (!backend) {
        errors << kPrefix << error << "\n";
        return kAccessRefused;
    }
    return captureMachine(*backend, platform::services(), out, errors, privacy);
}

}  // namespace zelkora::capture
