#include "common/superio_access.h"

#include "hardware/pc_addresses.h"

namespace zelkora::common {

namespace {

using hardware::kPciAddressPort;
using hardware::kPciDataPort;
// Byte 85h lies in lane 1 of its dword's data window.
constexpr uint16_t kPciByte85Port = kPciDataPort + 1;
// Bus 0, device 7, function 0: dword 00h holds the vendor; in dword 84h the
// VIA south bridge's function control byte 85h sits in lane 1.
constexpr uint32_t kViaBridgeIdentity = hardware::kPciConfigEnable | 7u << 11;
constexpr uint32_t kViaFunctionControl = kViaBridgeIdentity | 0x84;
constexpr uint16_t kViaVendorId = 0x1106;
constexpr uint8_t kViaSuperIoEnable = 0x02;
constexpr uint8_t kLogicalDeviceSelect = 0x07;

uint8_t readByte(PortIo& ports, uint16_t port) {
    return static_cast<uint8_t>(ports.in(port, 1));
}
void writeByte(PortIo& ports, uint16_t port, uint8_t value) {
    ports.out(port, value, 1);
}

uint8_t iteFourthKey(uint16_t port) {
    return port == hardware::kSuperIoPort2E ? 0x55 : 0xAA;
}

// The bridge's Super-I/O stays enabled afterwards; nothing clears the bit,
// so it is written only while it is clear: once, however many registers are
// read. Whatever else sits at 00:07.0 (a root port, a dummy host bridge) is
// left untouched: looking must never write to a device.
bool enableViaSuperIo(PortIo& ports) {
    if (!viaSuperIoBridgePresent(ports)) return false;
    ports.out(kPciAddressPort, kViaFunctionControl, 4);
    const uint8_t control = readByte(ports, kPciByte85Port);
    if (control & kViaSuperIoEnable) return true;
    ports.out(kPciAddressPort, kViaFunctionControl, 4);
    writeByte(ports, kPciByte85Port, static_cast<uint8_t>(control | kViaSuperIoEnable));
    return true;
}

uint8_t probeWithSequence(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t reg) {
    enterConfiguration(ports, method, port);
    const uint8_t value = readIndexedRegister(ports, method, port, reg);
    exitConfiguration(ports, method, port);
    return value;
}

}  // namespace

bool viaSuperIoBridgePresent(PortIo& ports) {
    ports.out(kPciAddressPort, kViaBridgeIdentity, 4);
    return (ports.in(kPciDataPort, 4) & 0xFFFF) == kViaVendorId;
}

SuperIoMethod superIoMethodFor(std::string_view manufacturer) {
    if (manufacturer == "WINBOND") return SuperIoMethod::Winbond;
    if (manufacturer == "SMSC") return SuperIoMethod::Smsc;
    if (manufacturer == "ITE" || manufacturer == "SIS") return SuperIoMethod::Ite;
    if (manufacturer == kViaManufacturer) return SuperIoMethod::Via;
    return SuperIoMethod::None;
}

bool enterConfiguration(PortIo& ports, SuperIoMethod method, uint16_t port) {
    switch (method) {
        case SuperIoMethod::Winbond:
            writeByte(ports, port, 0x87);
            writeByte(ports, port, 0x87);
            break;
        case SuperIoMethod::Smsc:
            writeByte(ports, port, 0x55);
            break;
        case SuperIoMethod::Ite:
            writeByte(ports, port, 0x87);
            writeByte(ports, port, 0x01);
            writeByte(ports, port, 0x55);
            writeByte(ports, port, iteFourthKey(port));
            break;
        case SuperIoMethod::Via:
            return enableViaSuperIo(ports);
        case SuperIoMethod::None:
            return false;
    }
    return true;
}

void selectLogicalDevice(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t device) {
    if (method == SuperIoMethod::Via || method == SuperIoMethod::None) return;
    writeIndexedRegister(ports, port, kLogicalDeviceSelect, device);
}

uint8_t readIndexedRegister(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t reg) {
    writeByte(ports, port, reg);
    const uint8_t value = readByte(ports, static_cast<uint16_t>(port + 1));
    // The bridge echoes the index for registers it does not implement.
    if (method == SuperIoMethod::Via && value == reg) return 0;
    return value;
}

void writeIndexedRegister(PortIo& ports, uint16_t port, uint8_t reg, uint8_t value) {
    writeByte(ports, port, reg);
    writeByte(ports, static_cast<uint16_t>(port + 1), value);
}

void exitConfiguration(PortIo& ports, SuperIoMethod method, uint16_t port) {
    switch (method) {
        case SuperIoMethod::Winbond:
        case SuperIoMethod::Smsc:
            writeByte(ports, port, 0xAA);
            break;
        case SuperIoMethod::Ite:
            writeIndexedRegister(ports, port, 0x02, 0x02);
            break;
        case SuperIoMethod::Via:
        case SuperIoMethod::None:
            break;
    }
}

uint8_t readSuperIoRegister(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t device,
                            uint8_t reg) {
    if (!enterConfiguration(ports, method, port)) return 0;
    selectLogicalDevice(ports, method, port, device);
    const uint8_t value = readIndexedRegister(ports, method, port, reg);
    exitConfiguration(ports, method, port);
    return value;
}

ChipProbe probeChip(PortIo& ports, uint16_t port, uint8_t reg) {
    auto answered = [](uint8_t value) { return value != 0x00 && value != 0xFF; };
    if (port == hardware::kSuperIoPort2E || port == hardware::kSuperIoPort4E) {
        for (const SuperIoMethod method : {SuperIoMethod::Smsc, SuperIoMethod::Ite}) {
            if (const uint8_t value = probeWithSequence(ports, method, port, reg);
                answered(value)) {
                return {value, method};
            }
        }
    }
    const uint8_t value = probeWithSequence(ports, SuperIoMethod::Winbond, port, reg);
    if (!answered(value)) return {};
    return {value, SuperIoMethod::Winbond};
}

uint8_t ProbeChipID(PortIo& ports, uint16_t port, uint8_t reg) {
    return probeChip(ports, port, reg).value;
}

uint8_t readGlobalRegister(PortIo& ports, SuperIoMethod method, uint16_t port, uint8_t reg) {
    if (!enterConfiguration(ports, method, port)) return 0;
    const uint8_t value = readIndexedRegister(ports, method, port, reg);
    exitConfiguration(ports, method, port);
    return value;
}

bool superIoChipAnswers(PortIo& ports, bool& reachable) {
    constexpr uint8_t kChipIdRegister = 0x20;
    ports.takeRefusedRead();
    bool answers = false;
    const uint8_t first = ProbeChipID(ports, hardware::kSuperIoPort3F0, kChipIdRegister);
    if (first != 0x20 && ProbeChipID(ports, hardware::kSuperIoPort3F0, kChipIdRegister) != 0) {
        answers = true;
    } else {
        for (const uint16_t port :
             {hardware::kSuperIoPort370, hardware::kSuperIoPort2E, hardware::kSuperIoPort4E}) {
            if (ProbeChipID(ports, port, kChipIdRegister) != 0) {
                answers = true;
                break;
            }
        }
    }
    reachable = !ports.takeRefusedRead();
    return answers && reachable;
}

void ReadLogicalDeviceRegisters(PortIo& ports, std::string_view manufacturer, uint16_t port,
                                uint8_t device, std::span<uint8_t, 256> registers) {
    const SuperIoMethod method = superIoMethodFor(manufacturer);
    if (method == SuperIoMethod::None) return;
    if (method == SuperIoMethod::Via) {
        // The bridge needs no key per register: enabled once, it answers.
        if (!enableViaSuperIo(ports)) return;
        for (unsigned reg = 0; reg < registers.size(); ++reg)
            registers[reg] = readIndexedRegister(ports, method, port, static_cast<uint8_t>(reg));
        return;
    }
    for (unsigned reg = 0; reg < registers.size(); ++reg) {
        registers[reg] =
            readSuperIoRegister(ports, method, port, device, static_cast<uint8_t>(reg));
    }
}

void WriteSuperIORegister(PortIo& ports, std::string_view manufacturer, uint16_t port,
                          uint8_t device, uint8_t reg, uint8_t value) {
    const SuperIoMethod method = superIoMethodFor(manufacturer);
    if (!enterConfiguration(ports, method, port)) return;
    selectLogicalDevice(ports, method, port, device);
    writeIndexedRegister(ports, port, reg, value);
    exitConfiguration(ports, method, port);
}

}  // namespace zelkora::common
