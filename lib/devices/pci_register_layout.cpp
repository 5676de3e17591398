// Register tables of the standard (type 0) and bridge (type 1) headers.
#include "lib/devices/pci_register_layout.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace zelkora::devices {

namespace {

struct Register {
    uint8_t width;
    uint16_t offset;
    uint8_t writeMask;
};

constexpr uint8_t kRW = 0xFF;
constexpr uint8_t kRO = 0x00;

// The predefined header up to 3Fh; the device-specific dwords 40h-FCh follow.
constexpr std::array<Register, 28> kType0Header = {{
    {2, 0x00, kRO}, {2, 0x02, kRO}, {2, 0x04, kRW}, {2, 0x06, kRW}, {1, 0x08, kRO}, {1, 0x09, kRW},
    {1, 0x0A, kRO}, {1, 0x0B, kRO}, {1, 0x0C, kRW}, {1, 0x0D, kRW}, {1, 0x0E, kRO}, {1, 0x0F, kRW},
    {4, 0x10, kRW}, {4, 0x14, kRW}, {4, 0x18, kRW}, {4, 0x1C, kRW}, {4, 0x20, kRW}, {4, 0x24, kRW},
    {4, 0x28, kRW}, {2, 0x2C, kRO}, {2, 0x2E, kRO}, {4, 0x30, kRW}, {4, 0x34, kRO}, {4, 0x38, kRO},
    {1, 0x3C, kRW}, {1, 0x3D, kRO}, {1, 0x3E, kRO}, {1, 0x3F, kRO},
}};

constexpr std::array<Register, 34> kType1Header = {{
    {2, 0x00, kRO}, {2, 0x02, kRO}, {2, 0x04, kRW}, {2, 0x06, kRW}, {1, 0x08, kRO}, {1, 0x09, kRW},
    {1, 0x0A, kRO}, {1, 0x0B, kRO}, {1, 0x0C, kRW}, {1, 0x0D, kRW}, {1, 0x0E, kRO}, {1, 0x0F, kRW},
    {4, 0x10, kRW}, {4, 0x14, kRW}, {1, 0x18, kRW}, {1, 0x19, kRW}, {1, 0x1A, kRW}, {1, 0x1B, kRW},
    {1, 0x1C, kRW}, {1, 0x1D, kRW}, {2, 0x1E, kRW}, {2, 0x20, kRW}, {2, 0x22, kRW}, {2, 0x24, kRW},
    {2, 0x26, kRW}, {4, 0x28, kRW}, {4, 0x2C, kRW}, {2, 0x30, kRW}, {2, 0x32, kRW}, {4, 0x34, kRO},
    {4, 0x38, kRW}, {1, 0x3C, kRW}, {1, 0x3D, kRW}, {2, 0x3E, kRO},
}};

// Fields are set one by one over a zeroed table so that the padding byte of
// every entry is zero too and equal records compare equal byte for byte.
void set(PCIRegisterField& field, uint8_t width, uint16_t offset, uint8_t writeMask) {
    field.Width = width;
    field.Offset = offset;
    field.WriteMask = writeMask;
    field.Flags = 0;
}

template <std::size_t Count, std::size_t HeaderCount>
void fill(PCIRegisterField (&fields)[Count], const std::array<Register, HeaderCount>& header) {
    static_assert(Count == HeaderCount + 48);
    std::memset(fields, 0, sizeof fields);
    std::size_t at = 0;
    for (const auto& reg : header)
        set(fields[at++], reg.width, reg.offset, reg.writeMask);
    for (uint16_t offset = 0x40; offset < 0x100; offset += 4)
        set(fields[at++], 4, offset, kRW);
}

}  // namespace

void fillType0Registers(PCIRegisterField (&fields)[76]) {
    fill(fields, kType0Header);
}

void fillType1Registers(PCIRegisterField (&fields)[82]) {
    fill(fields, kType1Header);
}

}  // namespace zelkora::devices
