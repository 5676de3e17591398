#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "common/port_io.h"

namespace zelkora::common {

// How a Super-I/O chip's configuration registers are reached. Every
// register access is a whole sequence: enter key, logical device select,
// index/data, exit.
enum class SuperIoMethod : uint8_t { None, Winbond, Smsc, Ite, Via };

// The manufacturer text that names the south bridge's built-in Super-I/O.
inline constexpr std::string_view kViaManufacturer = "VIA VT686";

// "WINBOND", "SMSC", "ITE", "SIS" or "VIA VT686", compared exactly; any
// other text gives None.
SuperIoMethod superIoMethodFor(std::string_view manufacturer);

// True when 00:07.0 is a VIA device, the only place whose byte 85h the VIA
// method may set. Reads the vendor through 0CF8h/0CFCh; writes no register.
bool viaSuperIoBridgePresent(PortIo& ports);

// The pieces of one access sequence, P being the index port. Entering
// fails, touching no register, for None and for VIA without its bridge; for
// VIA it sets the bridge's enable bit only while the bit is clear.
bool enterConfiguration(PortIo& ports, SuperIoMethod method, uint16_t port);
void selectLogicalDevice(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t device);
uint8_t readIndexedRegister(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t reg);
void writeIndexedRegister(PortIo& ports, uint16_t port, uint8_t reg, uint8_t value);
void exitConfiguration(PortIo& ports, SuperIoMethod method, uint16_t port);

// One register of one logical device, from enter key to exit.
uint8_t readSuperIoRegister(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t device,
                            uint8_t reg);

// The chip identification probe for registers 20h-22h: SMSC then ITE keys
// on 2Eh/4Eh, then the Winbond key on any port. 0 when nothing answers.
uint8_t ProbeChipID(PortIo& ports, uint16_t port, uint8_t reg);

// What ProbeChipID found, with the key sequence that got the answer (None
// when value is 0): the way into a chip that the description file does not
// name. Writes and reads exactly what ProbeChipID does.
struct ChipProbe {
    uint8_t value = 0;
    SuperIoMethod method = SuperIoMethod::None;
};
ChipProbe probeChip(PortIo& ports, uint16_t port, uint8_t reg);

// One global register (00h-2Fh) by `method`'s enter key, index, data read
// and exit; no logical device is selected, so no register is written (the
// ITE exit is its configuration control command, 02h to register 02h).
uint8_t readGlobalRegister(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t reg);

// Whether a chip answers register 20h on 3F0h (other than the VIA bridge's
// echo of 20h), 370h, 2Eh or 4Eh: the detection both the library and the
// Super-I/O dialog run. `reachable` tells whether the configuration ports
// can be reached at all: false when the driver refused the probes' reads
// (a host without raw port access), where no chip, the VIA bridge's
// included, can be found or may be enabled.
bool superIoChipAnswers(PortIo& ports, bool& reachable);

// Registers 00h-FFh of a logical device by the manufacturer's method. With
// no known method, or VIA without its bridge, the buffer is left as it is
// and no register is touched. The VIA bridge is checked and enabled once,
// before the first register.
void ReadLogicalDeviceRegisters(PortIo& ports, std::string_view manufacturer, uint16_t port,
                                uint8_t device, std::span<uint8_t, 256> registers);

// Writes one register of a logical device by the manufacturer's method; an
// unknown manufacturer, or VIA without its bridge, writes nothing.
void WriteSuperIORegister(PortIo& ports, std::string_view manufacturer, uint16_t port,
                          uint8_t device, uint8_t reg, uint8_t value);

}  // namespace zelkora::common
