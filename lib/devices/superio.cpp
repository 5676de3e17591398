#include <cstring>
#include <string>

#include "common/data_file.h"
#include "common/fixed_text.h"
#include "common/profile_file.h"
#include "common/superio_access.h"
#include "common/superio_chip_name.h"
#include "hardware/pc_addresses.h"
#include "lib/devices/superio_description.h"
#include "lib/devices/superio_devices.h"

namespace zelkora::devices {

namespace {

constexpr uint8_t kChipIdRegister = 0x20, kChipRevisionRegister = 0x21;

// A missing, negative or oversized number reads as 0, never as another
// device's number.
uint8_t logicalDeviceNumber(common::ProfileFile& file, std::string_view key) {
    const int32_t number = file.getInteger(key, 0);
    return number >= 0 && number <= 0xFF ? static_cast<uint8_t>(number) : 0;
}

void nameChip(common::PortIo& ports, common::ProfileFile& file, SuperIODeviceInfo& record,
              std::string& manufacturer) {
    const uint16_t port = record.ConfigPort;
    record.ChipID = common::ProbeChipID(ports, port, kChipIdRegister);
    record.ChipRevision = common::ProbeChipID(ports, port, kChipRevisionRegister);
    const common::ChipName name = common::nameChip(ports, port, record.ChipID, file);
    if (name.sixteenBit) {
        record.ChipID16 = name.id16;
        record.ChipRevision16 = name.revision16;
    }
    manufacturer = name.manufacturer;
    common::copyText(record.Manufacturer, name.manufacturer);
    common::copyText(record.ChipType, name.chipType);
}

void setRange(SuperIODeviceInfo& record, uint16_t start, uint16_t length) {
    record.IOStart = start;
    record.IOEnd = static_cast<uint16_t>(start + length - 1);
}

void findChipRanges(common::PortIo& ports, common::ProfileFile& file, SuperIODeviceInfo& record,
                    std::string_view key, const std::string& manufacturer) {
    record.LogicalDevice = logicalDeviceNumber(file, key);
    uint16_t base = 0;
    if (record.LogicalDevice != kNoLogicalDevice) {
        common::ReadLogicalDeviceRegisters(ports, manufacturer, record.ConfigPort,
                                           record.LogicalDevice, record.Registers);
        base = static_cast<uint16_t>(record.Registers[0x60] << 8 | record.Registers[0x61]);
    }
    switch (record.PnPIDCopy) {
        case kPnpEcpParallel:
            setRange(record, base, 8);
            record.IOStart2 = static_cast<uint16_t>(base + 0x400);
            record.IOEnd2 = static_cast<uint16_t>(base + 0x402);
            break;
        case kPnpMidi:
            // One logical device serving both keeps the MIDI base in 62h/63h.
            if (logicalDeviceNumber(file, kMidiKey) == logicalDeviceNumber(file, kGamePortKey)) {
                base = static_cast<uint16_t>(record.Registers[0x62] << 8 | record.Registers[0x63]);
            }
            setRange(record, base ? base : 0x330, 2);
            break;
        case kPnpGamePort:
            setRange(record, base ? base : 0x201, 1);
            break;
        default:
            setRange(record, base, 8);
            break;
    }
}

void findViaRanges(common::PortIo& ports, common::ProfileFile& file, SuperIODeviceInfo& record,
                   unsigned serialCounter) {
    record.ConfigPort = hardware::kSuperIoPort3F0;
    common::ReadLogicalDeviceRegisters(ports, common::kViaManufacturer, hardware::kSuperIoPort3F0,
                                       0, record.Registers);
    record.ChipID = record.Registers[0xE0];
    record.ChipRevision = record.Registers[0xE1];
    common::copyText(record.ChipType,
                     file.getString("Super-I/O Type", {}, common::chipSectionName(record.ChipID)));
    const auto quadBase = [&](uint8_t reg) {
        return static_cast<uint16_t>(record.Registers[reg] * 4);
    };
    switch (record.PnPIDCopy) {
        case kPnpFloppy:
            setRange(record, quadBase(0xE3), 6);
            record.IOStart2 = record.IOEnd2 = static_cast<uint16_t>(record.IOStart + 7);
            break;
        case kPnpParallel:
        case kPnpEcpParallel:
            setRange(record, quadBase(0xE6), 8);
            break;
        case kPnpSerial:
            setRange(record, quadBase(serialCounter == 1 ? 0xE7 : 0xE8), 8);
            break;
        case kPnpMidi:
            setRange(record, 0x330, 2);
            break;
        case kPnpGamePort:
            setRange(record, 0x201, 1);
            break;
        default:
            break;
    }
}

void describe(SuperIODeviceInfo& record, bool serial, const std::string& manufacturer) {
    std::memset(record.DeviceClass, 0, sizeof record.DeviceClass);
    std::memset(record.Description, 0, sizeof record.Description);
    auto lookUp = [&](SuperIODeviceInfo& target) {
        return serial ? LookUpSerialPortName(target)
                      : LookUpSuperIODescription(target, manufacturer);
    };
    if (!lookUp(record)) {
        SuperIODeviceInfo copy = record;
        if (lookUp(copy)) {
            std::memcpy(record.Description, copy.Description, sizeof record.Description);
        } else {
            record.PnPID = record.PnPIDCopy = 0;
        }
    }
    LookUpSuperIOClassText(record);
}

bool isDuplicate(const std::vector<SuperIODeviceInfo>& listed, const SuperIODeviceInfo& record,
                 bool serial) {
    for (const auto& other : listed) {
        if (serial ? other.Instance == record.Instance : other.PnPIDCopy == record.PnPIDCopy)
            return true;
    }
    return false;
}

}  // namespace

std::vector<SuperIODeviceInfo> enumerateSuperIoDevices(common::PortIo& ports,
                                                       std::string& manufacturer,
                                                       std::string_view descriptionFile) {
    std::vector<SuperIODeviceInfo> listed;
    unsigned serialCounter = 1;
    for (const auto& row : kSuperIoDeviceRows) {
        SuperIODeviceInfo record{};
        record.PnPID = record.PnPIDCopy = row.pnpId;
        const bool serial = row.pnpId == kPnpSerial;
        common::ProfileFile file(true);
        file.setFile(common::dataFilePath(descriptionFile));

        bool reachable = false;
        if (common::superIoChipAnswers(ports, reachable)) {
            // Answered during detection but not now: keep the last port tried.
            record.ConfigPort = common::findChipConfigPort(ports, hardware::kSuperIoPort3F0);
            nameChip(ports, file, record, manufacturer);
            const std::string_view key =
                serial ? (serialCounter == 1 ? kUartAKey : kUartBKey) : row.fileKey;
            findChipRanges(ports, file, record, key, manufacturer);
        } else if (reachable && common::viaSuperIoBridgePresent(ports)) {
            manufacturer = common::kViaManufacturer;
            common::copyText(record.Manufacturer, manufacturer);
            findViaRanges(ports, file, record, serialCounter);
        } else {
            // No chip and no VIA bridge (a floating bus, another vendor's
            // device at 00:07.0), or ports the driver does not serve (no raw
            // port access), where the bridge's chip could not be read even
            // if it were enabled: nothing to list, and nothing written.
            if (serial) ++serialCounter;
            continue;
        }

        if (serial) record.Instance = static_cast<uint8_t>(serialCounter);
        describe(record, serial, manufacturer);
        if (!isDuplicate(listed, record, serial)) listed.push_back(record);
        if (serial) ++serialCounter;
    }
    return listed;
}

}  // namespace zelkora::devices
