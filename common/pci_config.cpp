#include "common/pci_config.h"

#include <cstdio>

#include "hardware/pc_addresses.h"

namespace zelkora::common {

using hardware::kPciAddressPort;
using hardware::kPciDataPort;

uint32_t pciConfigAddress(uint8_t bus, uint8_t device, uint8_t function, uint8_t dwordIndex) {
    return hardware::kPciConfigEnable | uint32_t{bus} << 16 | uint32_t{device & 0x1Fu} << 11 |
           uint32_t{function & 0x07u} << 8 | uint32_t{dwordIndex & 0x3Fu} << 2;
}

uint32_t ReadPCIConfigDword(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                            uint8_t dwordIndex) {
    ports.out(kPciAddressPort, pciConfigAddress(bus, device, function, dwordIndex), 4);
    return ports.in(kPciDataPort, 4);
}

UnreadDwords ReadPCIConfigByteBlock(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                                    std::span<uint8_t, 256> destination) {
    UnreadDwords unread;
    ports.takeRefusedRead();
    for (uint8_t index = 0; index < 64; ++index) {
        const uint32_t dword = ReadPCIConfigDword(ports, bus, device, function, index);
        for (unsigned byte = 0; byte < 4; ++byte) {
            destination[index * 4u + byte] = static_cast<uint8_t>(dword >> (8 * byte));
        }
        if (ports.takeRefusedRead()) unread.set(index);
    }
    return unread;
}

std::string unreadBytesText(const UnreadDwords& unread) {
    std::string text;
    char range[16];
    for (unsigned first = 0; first < unread.size(); ++first) {
        if (!unread[first]) continue;
        unsigned last = first;
        while (last + 1 < unread.size() && unread[last + 1])
            ++last;
        std::snprintf(range, sizeof range, "%s%2.2Xh-%2.2Xh", text.empty() ? "" : ", ", first * 4,
                      last * 4 + 3);
        text += range;
        first = last;
    }
    return text;
}

namespace {

// Status (06h) and a PCI-to-PCI bridge's Secondary Status (1Eh): detected
// parity error, signalled system error, received master and target abort,
// signalled target abort and master data parity error are cleared by
// writing 1. Both registers are the upper word of their dword.
constexpr uint32_t kStatusClearedByOne = 0xF900u << 16;
constexpr uint8_t kStatusDword = 0x04 / 4;
constexpr uint8_t kSecondaryStatusDword = 0x1C / 4;
constexpr uint8_t kHeaderTypeDword = 0x0C / 4;

}  // namespace

void WritePCIConfigByte(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                        uint8_t offset, uint8_t value) {
    const auto index = static_cast<uint8_t>(offset / 4);
    const uint32_t dword = ReadPCIConfigDword(ports, bus, device, function, index);
    const unsigned shift = 8u * (offset % 4u);
    uint32_t merged = (dword & ~(0xFFu << shift)) | uint32_t{value} << shift;
    // Writing back a status register's error bits as read would clear them:
    // they go as 0 unless the edited byte is in that register. Only when one
    // is set does a bridge's header type need reading, so every other write
    // keeps its three accesses.
    const bool editsStatusWord = offset % 4 >= 2;
    if (!editsStatusWord && (merged & kStatusClearedByOne) != 0) {
        if (index == kStatusDword) {
            merged &= ~kStatusClearedByOne;
        } else if (index == kSecondaryStatusDword) {
            const uint32_t header =
                ReadPCIConfigDword(ports, bus, device, function, kHeaderTypeDword);
            if (((header >> 16) & 0x7F) == 1) merged &= ~kStatusClearedByOne;
            ports.out(kPciAddressPort, pciConfigAddress(bus, device, function, index), 4);
        }
    }
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
