#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/live/system_root.h"
#include "winio/sim/ide_channel_model.h"

namespace zelkora::winio::live {

// Where the kernel describes the machine's drives.
struct DriveSources {
    std::filesystem::path ataDevices = platform::hostPath("sys/class/ata_device");
    std::filesystem::path nvmeControllers = platform::hostPath("sys/class/nvme");
};

using IdentifyWords = std::array<uint16_t, 256>;

// The kernel's text form of identify data (the ata_device "id" attribute):
// 256 hexadecimal words of one to four digits separated by white space.
// Empty for anything else.
std::optional<IdentifyWords> parseIdentifyWords(std::string_view text);

// An identify block for a disk that has none (NVMe): a fixed ATA disk with
// the serial number, firmware revision and model in their words, and the
// sector count in words 60-61 (saturating at 0FFFFFFFh, as large ATA disks
// report it) and 100-103. Words the kernel gives no source for stay 0.
IdentifyWords nvmeIdentifyWords(std::string_view model, std::string_view serial,
                                std::string_view firmware, uint64_t sectors);

struct LiveDrive {
    std::filesystem::path source;  // the sysfs folder the drive was read from
    sim::IdeDrive::Kind kind = sim::IdeDrive::Kind::Ata;
    IdentifyWords words{};
};

// The drives that take the four task-file positions, in position order: the
// ATA and ATAPI devices libata knows, by port and device number, then NVMe
// controllers by number; at most four. A device whose identify file cannot
// be read as identify data is left out with a message on stderr.
std::vector<LiveDrive> findLiveDrives(const DriveSources& sources = {});

// The primary and secondary task files with the drives in positions 1, 2, 4
// and 8; a channel without a drive is left out (its ports float).
std::vector<std::unique_ptr<sim::IdeChannel>> makeTaskFiles(const std::vector<LiveDrive>& drives);

}  // namespace zelkora::winio::live
