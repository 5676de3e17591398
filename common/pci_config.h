#pragma once

#include <bitset>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/port_io.h"

namespace zelkora::common {

// The configuration mechanism 1 address of one dword. Device, function and
// dword index are masked to their fields, so an out-of-range number can never
// select another bus or device.
uint32_t pciConfigAddress(uint8_t bus, uint8_t device, uint8_t function, uint8_t dwordIndex);

// Address to 0CF8h, then the dword from 0CFCh, both as 4-byte accesses.
uint32_t ReadPCIConfigDword(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                            uint8_t dwordIndex);

// Dwords of a configuration space that gave no reading (bit n: dword n, the
// bytes 4n to 4n + 3): the host refused them, and they hold FFh filler.
using UnreadDwords = std::bitset<64>;

// Dwords 0 to 63 in ascending order, stored little-endian. Gives the dwords
// that were not read (empty when the ports cannot tell).
UnreadDwords ReadPCIConfigByteBlock(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                                    std::span<uint8_t, 256> destination);

// The unread bytes as ranges of offsets: "40h-FFh", "10h-13h, 40h-FFh".
std::string unreadBytesText(const UnreadDwords& unread);

// Read-modify-write of the dword holding `offset`: the other three bytes are
// written back as they were read, except the write-1-to-clear error bits of
// Status (06h) and of a bridge's Secondary Status (1Eh), which go as 0 unless
// `offset` lies in that register. The address is not written a second time
// unless those bits were set and a bridge's header type had to be read.
void WritePCIConfigByte(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function,
                        uint8_t offset, uint8_t value);

// Hexadecimal digits to a byte (kept to 8 bits); any other character gives
// FFh, empty text 0.
uint8_t ParseHexByte(std::string_view text);

}  // namespace zelkora::common
