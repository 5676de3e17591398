#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/port_io.h"
#include "common/superio_access.h"

namespace zelkora::common {

// Logical devices 00h-0Fh, registers 30h-FFh of each.
inline constexpr uint8_t kDumpedLogicalDevices = 0x10;
inline constexpr uint8_t kFirstLogicalDeviceRegister = 0x30;

struct LogicalDeviceDump {
    uint8_t number = 0;
    std::array<uint8_t, 0x100 - kFirstLogicalDeviceRegister> registers{};
};

// A chip's configuration registers as one configuration session read them.
struct SuperIoDump {
    uint16_t port = 0;
    SuperIoMethod method = SuperIoMethod::None;
    std::array<uint8_t, kFirstLogicalDeviceRegister> globals{};
    // The logical devices that answer, by number.
    std::vector<LogicalDeviceDump> devices;
};

// Whether writing `reg` to the index port ends `method`'s configuration
// mode: AAh is the Winbond and SMSC exit key, so those chips' register AAh
// cannot be read in a session and a dump leaves it out.
bool indexEndsConfiguration(SuperIoMethod method, uint8_t reg);

// Reads the chip at `port` with `method`'s key (Winbond, SMSC or ITE): the
// global registers 00h-2Fh, then each logical device 00h-0Fh in turn
// (register AAh, where indexEndsConfiguration, is not asked: FFh). A
// device answers when register 07h reads back its number once it is
// selected and one of its registers 30h-FFh reads other than FFh (a
// missing device, or a floating bus, reads FFh throughout). The only
// register written is 07h, put back to the value it held before the exit.
SuperIoDump readSuperIoDump(PortIo& ports, SuperIoMethod method, uint16_t port);

}  // namespace zelkora::common
