#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/port_io.h"
#include "common/superio_access.h"
#include "zelkora/sysinfo.h"

namespace zelkora::app {

// The Super-I/O register dialog's own view of the chip: the library's
// logical devices, with the configuration port, the manufacturer (which
// names the access method) and the logical device numbers found by talking
// to the chip and looking it up in the dialog's description file.
struct SuperIoListing {
    uint16_t configPort = 0;
    std::string manufacturer;
    std::string chipType;
    // One per list entry; ConfigPort, LogicalDevice, the chip identifiers and
    // Manufacturer carry the dialog's own findings.
    std::vector<SuperIODeviceInfo> records;
    // False when the driver does not serve the configuration ports (no raw
    // port access): why the list is empty.
    bool portsReachable = true;
    // The key that made the chip at configPort answer its identifier: the way
    // to its global registers when the description file does not name it.
    common::SuperIoMethod keyMethod = common::SuperIoMethod::None;
};

inline constexpr std::string_view kDialogDescriptionFile = "SuperIOInfo.dat";

// Walks the library's list (records without a PnP code are left out) and
// repeats the chip detection for each record. `descriptionFile` is put
// beside the program unless it is an absolute path.
SuperIoListing listSuperIoDevices(common::PortIo& ports, std::string_view descriptionFile);

// The identifier and revision as the dialog shows them: four digits and
// register 22h for "ITE" and "SIS", else registers 20h and 21h.
bool showsSixteenBitId(const SuperIODeviceInfo& record);

}  // namespace zelkora::app
