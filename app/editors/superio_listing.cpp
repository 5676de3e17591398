#include "app/editors/superio_listing.h"

#include "common/data_file.h"
#include "common/fixed_text.h"
#include "common/profile_file.h"
#include "common/superio_access.h"
#include "common/superio_chip_name.h"
#include "hardware/pc_addresses.h"

namespace zelkora::app {

namespace {

constexpr uint16_t kSerialPort = 0x0501;

// The description file's key for a record's logical device number, or
// null when the PnP code has none.
const char* logicalDeviceKey(uint16_t pnpId, bool firstSerialPort) {
    switch (pnpId) {
        case 0x0400:
        case 0x0401:
            return "Parallel Port Logical Device Number";
        case kSerialPort:
            return firstSerialPort ? "UART A Logical Device Number"
                                   : "UART B Logical Device Number";
        case 0x0510:
            return "CIR Logical Device Number";
        case 0x0700:
            return "FDC Logical Device Number";
        case 0xB006:
            return "Midi Port Logical Device Number";
        case 0xB02F:
            return "Game Port Logical Device Number";
        default:
            return nullptr;
    }
}

}  // namespace

bool showsSixteenBitId(const SuperIODeviceInfo& record) {
    const std::string_view maker = common::fieldText(record.Manufacturer);
    return maker == "SIS" || maker == "ITE";
}

SuperIoListing listSuperIoDevices(common::PortIo& ports, std::string_view descriptionFile) {
    SuperIoListing listing;
    common::ProfileFile file(true);
    file.setFile(common::dataFilePath(descriptionFile));
    int serialPorts = 0;

    DevicePos pos = GetFirstSuperIOPos();
    while (pos != nullptr) {
        SuperIODeviceInfo record{};
        GetNextSuperIO(&record, &pos);
        if (record.PnPIDCopy == 0) continue;
        if (record.PnPIDCopy == kSerialPort) ++serialPorts;

        bool reachable = false;
        if (!common::superIoChipAnswers(ports, reachable)) {
            // The south bridge's built-in Super-I/O.
            listing.configPort = hardware::kSuperIoPort3F0;
            listing.manufacturer = common::kViaManufacturer;
            listing.chipType = "VIA VT82C686";
            record.ConfigPort = hardware::kSuperIoPort3F0;
        } else {
            const uint16_t port = common::findChipConfigPort(ports, record.ConfigPort);
            listing.configPort = port;
            record.ConfigPort = port;

            const common::ChipProbe identifier = common::probeChip(ports, port, 0x20);
            record.ChipID = identifier.value;
            listing.keyMethod = identifier.method;
            record.ChipRevision = common::ProbeChipID(ports, port, 0x21);
            const common::ChipName name = common::nameChip(ports, port, record.ChipID, file);
            if (name.sixteenBit) {
                record.ChipID16 = name.id16;
                record.ChipRevision16 = name.revision16;
            }
            listing.chipType = name.chipType;
            listing.manufacturer = name.manufacturer;
            common::copyText(record.Manufacturer, listing.manufacturer);

            if (const char* key = logicalDeviceKey(record.PnPIDCopy, serialPorts == 1)) {
                record.LogicalDevice = static_cast<uint8_t>(file.getInteger(key, 0));
            }
        }
        listing.records.push_back(record);
    }
    if (listing.records.empty()) {
        // Reading the index port says whether the driver serves the ports;
        // a chip outside its configuration mode ignores the read.
        ports.takeRefusedRead();
        ports.in(hardware::kSuperIoPort2E, 1);
        listing.portsReachable = !ports.takeRefusedRead();
    }
    return listing;
}

}  // namespace zelkora::app
