#include "interchange/header_registers.h"

#include <array>
#include <span>

namespace zelkora::interchange {

namespace {

struct HeaderRegister {
    uint8_t offset;
    uint8_t width;
    std::string_view name;
};

constexpr std::array kCommonRegisters = {
    HeaderRegister{0x00, 2, "Vendor ID"},       HeaderRegister{0x02, 2, "Device ID"},
    HeaderRegister{0x04, 2, "Command"},         HeaderRegister{0x06, 2, "Status"},
    HeaderRegister{0x08, 1, "Revision ID"},     HeaderRegister{0x09, 1, "Programming Interface"},
    HeaderRegister{0x0A, 1, "Subclass"},        HeaderRegister{0x0B, 1, "Base Class"},
    HeaderRegister{0x0C, 1, "Cache Line Size"}, HeaderRegister{0x0D, 1, "Latency Timer"},
    HeaderRegister{0x0E, 1, "Header Type"},     HeaderRegister{0x0F, 1, "BIST"},
};

constexpr std::array kDeviceRegisters = {
    HeaderRegister{0x10, 4, "Base Address 0"},
    HeaderRegister{0x14, 4, "Base Address 1"},
    HeaderRegister{0x18, 4, "Base Address 2"},
    HeaderRegister{0x1C, 4, "Base Address 3"},
    HeaderRegister{0x20, 4, "Base Address 4"},
    HeaderRegister{0x24, 4, "Base Address 5"},
    HeaderRegister{0x28, 4, "CardBus CIS Pointer"},
    HeaderRegister{0x2C, 2, "Subsystem Vendor ID"},
    HeaderRegister{0x2E, 2, "Subsystem ID"},
    HeaderRegister{0x30, 4, "Expansion ROM Base Address"},
    HeaderRegister{0x34, 1, "Capabilities Pointer"},
    HeaderRegister{0x3C, 1, "Interrupt Line"},
    HeaderRegister{0x3D, 1, "Interrupt Pin"},
    HeaderRegister{0x3E, 1, "Min_Gnt"},
    HeaderRegister{0x3F, 1, "Max_Lat"},
};

constexpr std::array kBridgeRegisters = {
    HeaderRegister{0x10, 4, "Base Address 0"},
    HeaderRegister{0x14, 4, "Base Address 1"},
    HeaderRegister{0x18, 1, "Primary Bus Number"},
    HeaderRegister{0x19, 1, "Secondary Bus Number"},
    HeaderRegister{0x1A, 1, "Subordinate Bus Number"},
    HeaderRegister{0x1B, 1, "Secondary Latency Timer"},
    HeaderRegister{0x1C, 1, "I/O Base"},
    HeaderRegister{0x1D, 1, "I/O Limit"},
    HeaderRegister{0x1E, 2, "Secondary Status"},
    HeaderRegister{0x20, 2, "Memory Base"},
    HeaderRegister{0x22, 2, "Memory Limit"},
    HeaderRegister{0x24, 2, "Prefetchable Memory Base"},
    HeaderRegister{0x26, 2, "Prefetchable Memory Limit"},
    HeaderRegister{0x28, 4, "Prefetchable Base Upper 32 Bits"},
    HeaderRegister{0x2C, 4, "Prefetchable Limit Upper 32 Bits"},
    HeaderRegister{0x30, 2, "I/O Base Upper 16 Bits"},
    HeaderRegister{0x32, 2, "I/O Limit Upper 16 Bits"},
    HeaderRegister{0x34, 1, "Capabilities Pointer"},
    HeaderRegister{0x38, 4, "Expansion ROM Base Address"},
    HeaderRegister{0x3C, 1, "Interrupt Line"},
    HeaderRegister{0x3D, 1, "Interrupt Pin"},
    HeaderRegister{0x3E, 2, "Bridge Control"},
};

std::string_view find(std::span<const HeaderRegister> registers, uint8_t offset) {
    for (const HeaderRegister& reg : registers) {
        if (offset >= reg.offset && offset < reg.offset + reg.width) return reg.name;
    }
    return {};
}

}  // namespace

std::string_view headerRegisterName(uint8_t headerType, uint8_t offset) {
    if (offset < 0x10) return find(kCommonRegisters, offset);
    switch (headerType & 0x7F) {
        case 0x00:
            return find(kDeviceRegisters, offset);
        case 0x01:
            return find(kBridgeRegisters, offset);
        default:
            return {};
    }
}

}  // namespace zelkora::interchange
