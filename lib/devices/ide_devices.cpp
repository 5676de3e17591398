#include "lib/devices/ide_devices.h"

#include <cstring>

#include "hardware/pc_addresses.h"
#include "lib/devices/identify_text.h"

namespace zelkora::devices {

namespace {

using hardware::kIdeBusy;
using hardware::kIdeDataRequest;
using hardware::kIdeError;
using hardware::kIdentifyDevice;
using hardware::kIdentifyPacketDevice;
using hardware::kIdeReady;
using hardware::kIdeSeekComplete;

constexpr unsigned kBusyWaitReads = 249999;
constexpr unsigned kDrainReads = 65535;

struct TaskFile {
    uint16_t base = 0;
    uint8_t driveSelect = 0;

    uint16_t data() const { return reg(hardware::kIdeDataRegister); }
    uint16_t select() const { return reg(hardware::kIdeDriveSelectRegister); }
    uint16_t status() const { return reg(hardware::kIdeStatusRegister); }
    uint16_t reg(uint16_t offset) const { return static_cast<uint16_t>(base + offset); }
};

bool taskFileFor(uint8_t position, TaskFile& taskFile) {
    switch (position) {
        case 1:
            taskFile = {hardware::kPrimaryIdeBase, hardware::kIdeSelectMaster};
            return true;
        case 2:
            taskFile = {hardware::kPrimaryIdeBase, hardware::kIdeSelectSlave};
            return true;
        case 4:
            taskFile = {hardware::kSecondaryIdeBase, hardware::kIdeSelectMaster};
            return true;
        case 8:
            taskFile = {hardware::kSecondaryIdeBase, hardware::kIdeSelectSlave};
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
        if (!(readStatus(ports, taskFile) & kIdeBusy)) return true;
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
    for (unsigned reads = 0; (status & kIdeDataRequest) && reads < kDrainReads; ++reads) {
        ports.in(taskFile.data(), 1);
        status = readStatus(ports, taskFile);
    }

    ports.out(taskFile.select(), taskFile.driveSelect, 1);
    ports.out(taskFile.status(), command, 1);
    if (!waitWhileBusy(ports, taskFile)) return false;

    if (!statusCheck(ports, taskFile,
                     [](uint8_t s) {
                         return (s & (kIdeReady | kIdeSeekComplete)) ==
                                (kIdeReady | kIdeSeekComplete);
                     }) ||
        !statusCheck(ports, taskFile, [](uint8_t s) { return !(s & kIdeError); }) ||
        !statusCheck(ports, taskFile, [](uint8_t s) {
            return (s & (kIdeDataRequest | kIdeError)) == kIdeDataRequest;
        })) {
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
