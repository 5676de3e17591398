#include "lib/devices/ide_devices.h"

#include <cstring>

#include "lib/devices/identify_text.h"

namespace zelkora::devices {

namespace {

constexpr uint8_t kBusy = 0x80, kReady = 0x40, kSeekComplete = 0x10, kDataRequest = 0x08,
                  kError = 0x01;
constexpr unsigned kBusyWaitReads = 249999;
constexpr unsigned kDrainReads = 65535;

struct TaskFile {
    uint16_t base = 0;
    uint8_t driveSelect = 0;

    uint16_t data() const { return base; }
    uint16_t select() const { return static_cast<uint16_t>(base + 6); }
    uint16_t status() const { return static_cast<uint16_t>(base + 7); }
};

bool taskFileFor(uint8_t position, TaskFile& taskFile) {
    switch (position) {
        case 1:
            taskFile = {0x1F0, 0xA0};
            return true;
        case 2:
            taskFile = {0x1F0, 0xB0};
            return true;
        case 4:
            taskFile = {0x170, 0xA0};
            return true;
        case 8:
            taskFile = {0x170, 0xB0};
            return true;
        default:
            return false;
    }
}

uint8_t readStatus(common::PortIo& ports, const TaskFile& taskFile) {
    return static_cast<uint8_t>(ports.in(taskFile.status(), 1));
}

bool waitWhileBusy(common::PortIo& ports, const TaskFile& taskFile) {
    for (unsigned reads = 0; reads < kBusyWaitReads; ++reads) {
        if (!(readStatus(ports, taskFile) & kBusy)) return true;
    }
    return false;
}

// Each check gets one more status read before it counts as failed.
template <typename Check>
bool statusCheck(common::PortIo& ports, const TaskFile& taskFile, Check check) {
    return check(readStatus(ports, taskFile)) || check(readStatus(ports, taskFile));
}

void clearRecord(IDEDeviceInfo& record) {
    std::memset(record.SerialNumber, 0, sizeof record.SerialNumber);
    std::memset(record.FirmwareRev, 0, sizeof record.FirmwareRev);
    std::memset(record.ModelNumber, 0, sizeof record.ModelNumber);
    record.GenCfgInfo = 0;
    record.MajorVersion = 0;
    record.TotalSectors = 0;
    record.PIOCapability = kCapabilityNotReported;
    record.DMACapability = kCapabilityNotReported;
    record.DeviceType = 0;
}

void decodeIdentify(const std::array<uint16_t, 256>& words, IDEDeviceInfo& record,
                    uint8_t command) {
    if (words[53] & 0x0002) record.PIOCapability = words[64];
    if (words[53] & 0x0004) record.DMACapability = words[88];
    record.GenCfgInfo = words[0];
    record.MajorVersion = words[80];
    ExtractIdentifyText(words, 23, 26, record.FirmwareRev);
    ExtractIdentifyText(words, 10, 19, record.SerialNumber);
    ExtractIdentifyText(words, 27, 46, record.ModelNumber);
    if (command == kIdentifyDevice) {
        record.TotalSectors = uint32_t{words[60]} | uint32_t{words[61]} << 16;
        record.DeviceType = kDeviceTypeAta;
    } else {
        record.DeviceType = kDeviceTypeAtapi;
    }
}

}  // namespace

bool IdentifyDrive(common::PortIo& ports, IDEDeviceInfo& record, uint8_t command) {
    clearRecord(record);
    TaskFile taskFile;
    if (!taskFileFor(record.Position, taskFile)) return false;
    if (!waitWhileBusy(ports, taskFile)) return false;

    // Empty whatever data an earlier command left behind.
    uint8_t status = readStatus(ports, taskFile);
    for (unsigned reads = 0; (status & kDataRequest) && reads < kDrainReads; ++reads) {
        ports.in(taskFile.data(), 1);
        status = readStatus(ports, taskFile);
    }

    ports.out(taskFile.select(), taskFile.driveSelect, 1);
    ports.out(taskFile.status(), command, 1);
    if (!waitWhileBusy(ports, taskFile)) return false;

    if (!statusCheck(
            ports, taskFile,
            [](uint8_t s) { return (s & (kReady | kSeekComplete)) == (kReady | kSeekComplete); }) ||
        !statusCheck(ports, taskFile, [](uint8_t s) { return !(s & kError); }) ||
        !statusCheck(ports, taskFile,
                     [](uint8_t s) { return (s & (kDataRequest | kError)) == kDataRequest; })) {
        return false;
    }

    std::array<uint16_t, 256> words{};
    for (auto& word : words)
        word = static_cast<uint16_t>(ports.in(taskFile.data(), 2));
    decodeIdentify(words, record, command);
    return true;
}

std::array<IDEDeviceInfo, 4> enumerateIdeDevices(common::PortIo& ports) {
    std::array<IDEDeviceInfo, 4> records{};
    const uint8_t positions[] = {1, 2, 4, 8};
    for (size_t i = 0; i < records.size(); ++i)
        records[i].Position = positions[i];
    std::array<bool, 4> answered{};
    for (size_t i = 0; i < records.size(); ++i) {
        answered[i] = IdentifyDrive(ports, records[i], kIdentifyPacketDevice);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        if (!answered[i]) IdentifyDrive(ports, records[i], kIdentifyDevice);
    }
    return records;
}

}  // namespace zelkora::devices
