#include "common/pci_config.h"

namespace zelkora::common {

uint32_t pciConfigAddress(uint8_t bus, uint8_t device, uint8_t function, uint8_t dwordIndex) {
    return 0x8000'0000u | uint32_t{bus} << 16 | uint32_t{device & 0x1Fu} << 11 |
           uint32_t{function & 0x07u} << 8 | uint32_t{dwordIndex & 0x3Fu} << 2;
}

uint32_t ReadPCIConfigDword(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                            uint8_t dwordIndex) {
    ports.out(kPciAddressPort, pciConfigAddress(bus, device, function, dwordIndex), 4);
    return ports.in(kPciDataPort, 4);
}

void ReadPCIConfigByteBlock(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                            std::span<uint8_t, 256> destination) {
    for (uint8_t index = 0; index < 64; ++index) {
        const uint32_t dword = ReadPCIConfigDword(ports, bus, device, function, index);
        for (unsigned byte = 0; byte < 4; ++byte) {
            destination[index * 4u + byte] = static_cast<uint8_t>(dword >> (8 * byte));
        }
    }
}

void WritePCIConfigByte(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                        uint8_t offset, uint8_t value) {
    const uint32_t dword = ReadPCIConfigDword(ports, bus, device, function, offset / 4);
    const unsigned shift = 8u * (offset % 4u);
    const uint32_t merged = (dword & ~(0xFFu << shift)) | uint32_t{value} << shift;
    ports.out(kPciDataPort, merged, 4);
}

uint8_t ParseHexByte(std::string_view text) {
    uint8_t result = 0;
    for (const char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else {
            return 0xFF;
        }
        result = static_cast<uint8_t>(result * 16u + digit);
    }
    return result;
}

}  // namespace zelkora::common
