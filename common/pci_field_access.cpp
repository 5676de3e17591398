#include "common/pci_field_access.h"

#include "common/pci_config.h"
#include "hardware/pc_addresses.h"

namespace zelkora::common {

using hardware::kPciAddressPort;
using hardware::kPciDataPort;

namespace {

uint16_t dataPortFor(uint8_t offset) {
    return static_cast<uint16_t>(kPciDataPort + (offset & 3u));
}

uint32_t widthMask(uint8_t width) {
    return width >= 4 ? 0xFFFF'FFFFu : (1u << (8 * width)) - 1u;
}

}  // namespace

bool isPciFieldAligned(uint8_t offset, uint8_t width) {
    return (width == 1 || width == 2 || width == 4) && offset % width == 0;
}

uint32_t readPciField(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function, uint8_t offset,
                      uint8_t width) {
    ports.out(kPciAddressPort, pciConfigAddress(bus, device, function, offset >> 2), 4);
    return ports.in(dataPortFor(offset), width) & widthMask(width);
}

void writePciField(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function, uint8_t offset,
                   uint8_t width, uint32_t value) {
    ports.out(kPciAddressPort, pciConfigAddress(bus, device, function, offset >> 2), 4);
    ports.out(dataPortFor(offset), value & widthMask(width), width);
}

}  // namespace zelkora::common
