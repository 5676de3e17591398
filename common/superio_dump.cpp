#include "common/superio_dump.h"

#include <algorithm>

namespace zelkora::common {

namespace {

constexpr uint8_t kLogicalDeviceSelect = 0x07;
constexpr uint8_t kExitKey = 0xAA;

bool holdsSettings(const LogicalDeviceDump& device) {
    return std::any_of(device.registers.begin(), device.registers.end(),
                       [](uint8_t value) { return value != 0xFF; });
}

}  // namespace

bool indexEndsConfiguration(SuperIoMethod method, uint8_t reg) {
    return reg == kExitKey && (method == SuperIoMethod::Winbond || method == SuperIoMethod::Smsc);
}

SuperIoDump readSuperIoDump(PortIo& ports, SuperIoMethod method, uint16_t port) {
    SuperIoDump dump{port, method, {}, {}};
    if (method == SuperIoMethod::Via || !enterConfiguration(ports, method, port)) return dump;
    for (unsigned reg = 0; reg < dump.globals.size(); ++reg)
        dump.globals[reg] = readIndexedRegister(ports, method, port, static_cast<uint8_t>(reg));

    for (uint8_t number = 0; number < kDumpedLogicalDevices; ++number) {
        selectLogicalDevice(ports, method, port, number);
        if (readIndexedRegister(ports, method, port, kLogicalDeviceSelect) != number) continue;
        LogicalDeviceDump device{number, {}};
        for (unsigned i = 0; i < device.registers.size(); ++i) {
            const auto reg = static_cast<uint8_t>(kFirstLogicalDeviceRegister + i);
            device.registers[i] = indexEndsConfiguration(method, reg)
                                      ? 0xFF
                                      : readIndexedRegister(ports, method, port, reg);
        }
        if (holdsSettings(device)) dump.devices.push_back(device);
    }
    selectLogicalDevice(ports, method, port, dump.globals[kLogicalDeviceSelect]);
    exitConfiguration(ports, method, port);
    return dump;
}

}  // namespace zelkora::common
