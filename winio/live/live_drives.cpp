// The machine's drives as the kernel describes them, presented behind the two
// legacy IDE task files so that the identify commands find them.
#include "winio/live/live_drives.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>

#include "hardware/pc_addresses.h"

namespace zelkora::winio::live {

namespace {

namespace fs = std::filesystem;

constexpr size_t kPositions = 4;
constexpr uint32_t kLargestLba28 = 0x0FFF'FFFF;

// At most 4 KiB of a file (an identify file has 1,280 bytes); empty when it
// is no regular file or cannot be read.
std::string readText(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return {};
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) return {};
        std::string text(4096, '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<size_t>(in.gcount()));
        return text;
    } catch (const std::ios_base::failure&) {
        return {};
    }
}

std::string trimmed(std::string text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back())))
        text.pop_back();
    const auto first = std::find_if_not(
        text.begin(), text.end(), [&](char c) { return blank(static_cast<unsigned char>(c)); });
    return std::string(first, text.end());
}

// "dev3.0" or, behind a port multiplier, "dev3.1.0": the numbers, for sorting.
std::optional<std::array<unsigned, 3>> ataDeviceNumbers(const std::string& name) {
    std::array<unsigned, 3> numbers{};
    char tail = 0;
    const int found =
        std::sscanf(name.c_str(), "dev%u.%u.%u%c", &numbers[0], &numbers[1], &numbers[2], &tail);
    if (found != 2 && found != 3) return std::nullopt;
    return numbers;
}

std::optional<unsigned> controllerNumber(const std::string& name) {
    unsigned number = 0;
    char tail = 0;
    if (std::sscanf(name.c_str(), "nvme%u%c", &number, &tail) != 1) return std::nullopt;
    return number;
}

void putText(IdentifyWords& words, unsigned first, unsigned count, std::string_view text) {
    for (unsigned i = 0; i < count; ++i) {
        const auto at = [&](size_t index) {
            return static_cast<uint8_t>(index < text.size() ? text[index] : ' ');
        };
        words[first + i] = static_cast<uint16_t>(at(2 * i) << 8 | at(2 * i + 1));
    }
}

void report(const fs::path& path, std::string_view problem) {
    std::fprintf(stderr, "winio: %s: %.*s; the drive is left out\n", path.c_str(),
                 static_cast<int>(problem.size()), problem.data());
}

void addAtaDevices(const fs::path& folder, std::vector<LiveDrive>& drives) {
    std::vector<std::pair<std::array<unsigned, 3>, fs::path>> devices;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (const auto numbers = ataDeviceNumbers(entry.path().filename().string()))
            devices.emplace_back(*numbers, entry.path());
    }
    std::sort(devices.begin(), devices.end());
    for (const auto& [numbers, path] : devices) {
        // "none", "pmp", "semb" and "unknown" answer neither identify command.
        const std::string type = trimmed(readText(path / "class"));
        if (type != "ata" && type != "atapi" && type != "zac") continue;
        const auto words = parseIdentifyWords(readText(path / "id"));
        if (!words) {
            report(path / "id", "is not 256 hexadecimal identify words");
            continue;
        }
        drives.push_back({path,
                          type == "atapi" ? sim::IdeDrive::Kind::Atapi : sim::IdeDrive::Kind::Ata,
                          *words});
    }
}

// The sector count of a controller's first namespace ("nvme0n1", or the
// path node "nvme0c0n1" under native multipath), in 512-byte sectors.
uint64_t firstNamespaceSectors(const fs::path& controller) {
    std::vector<fs::path> namespaces;
    std::error_code error;
    const std::string prefix = controller.filename().string();
    for (const auto& entry : fs::directory_iterator(controller, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.find('n', prefix.size()) != std::string::npos &&
            fs::exists(entry.path() / "size", error)) {
            namespaces.push_back(entry.path());
        }
    }
    if (namespaces.empty()) return 0;
    std::sort(namespaces.begin(), namespaces.end());
    const std::string text = trimmed(readText(namespaces.front() / "size"));
    uint64_t sectors = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), sectors);
    return problem == std::errc{} && end == text.data() + text.size() ? sectors : 0;
}

void addNvmeControllers(const fs::path& folder, std::vector<LiveDrive>& drives) {
    std::vector<std::pair<unsigned, fs::path>> controllers;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (const auto number = controllerNumber(entry.path().filename().string()))
            controllers.emplace_back(*number, entry.path());
    }
    std::sort(controllers.begin(), controllers.end());
    for (const auto& [number, path] : controllers) {
        const std::string model = trimmed(readText(path / "model"));
        if (model.empty()) continue;
        drives.push_back({path, sim::IdeDrive::Kind::Ata,
                          nvmeIdentifyWords(model, trimmed(readText(path / "serial")),
                                            trimmed(readText(path / "firmware_rev")),
                                            firstNamespaceSectors(path))});
    }
}

}  // namespace

std::optional<IdentifyWords> parseIdentifyWords(std::string_view text) {
    IdentifyWords words{};
    size_t count = 0;
    size_t at = 0;
    const auto space = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; };
    while (true) {
        while (at < text.size() && space(text[at]))
            ++at;
        if (at == text.size()) break;
        size_t end = at;
        while (end < text.size() && !space(text[end]))
            ++end;
        unsigned value = 0;
        const auto [stop, problem] =
            std::from_chars(text.data() + at, text.data() + end, value, 16);
        if (count == words.size() || end - at > 4 || problem != std::errc{} ||
            stop != text.data() + end) {
            return std::nullopt;
        }
        words[count++] = static_cast<uint16_t>(value);
        at = end;
    }
    if (count != words.size()) return std::nullopt;
    return words;
}

IdentifyWords nvmeIdentifyWords(std::string_view model, std::string_view serial,
                                std::string_view firmware, uint64_t sectors) {
    IdentifyWords words{};
    words[0] = 0x0040;  // fixed disk
    putText(words, 10, 10, serial);
    putText(words, 23, 4, firmware);
    putText(words, 27, 20, model);
    words[49] = 0x0200;  // LBA supported
    const auto lba28 = static_cast<uint32_t>(std::min<uint64_t>(sectors, kLargestLba28));
    words[60] = static_cast<uint16_t>(lba28);
    words[61] = static_cast<uint16_t>(lba28 >> 16);
    words[83] = 0x4400;  // 48-bit addressing supported
    words[86] = 0x0400;  // and enabled
    for (unsigned i = 0; i < 4; ++i)
        words[100 + i] = static_cast<uint16_t>(sectors >> (16 * i));
    return words;
}

std::vector<LiveDrive> findLiveDrives(const DriveSources& sources) {
    std::vector<LiveDrive> drives;
    addAtaDevices(sources.ataDevices, drives);
    addNvmeControllers(sources.nvmeControllers, drives);
    if (drives.size() > kPositions) drives.resize(kPositions);
    return drives;
}

std::vector<std::unique_ptr<sim::IdeChannel>> makeTaskFiles(const std::vector<LiveDrive>& drives) {
    std::vector<std::unique_ptr<sim::IdeChannel>> channels;
    for (size_t channel = 0; 2 * channel < drives.size(); ++channel) {
        auto taskFile = std::make_unique<sim::IdeChannel>(
            channel == 0 ? hardware::kPrimaryIdeBase : hardware::kSecondaryIdeBase);
        for (size_t slot = 0; slot < 2 && 2 * channel + slot < drives.size(); ++slot) {
            const LiveDrive& live = drives[2 * channel + slot];
            auto drive = std::make_unique<sim::IdeDrive>(live.kind);
            drive->words() = live.words;
            taskFile->setDrive(static_cast<unsigned>(slot), std::move(drive));
        }
        channels.push_back(std::move(taskFile));
    }
    return channels;
}

}  // namespace zelkora::winio::live
