// The Super-I/O enumeration's first/next pair.
#include "lib/devices/superio_devices.h"
#include "lib/hw/driver.h"
#include "lib/hw/library_state.h"
#include "zelkora/sysinfo.h"

using zelkora::hw::state;

extern "C" {

DevicePos GetFirstSuperIOPos(void) {
    if (!state().hardwareReady) return nullptr;
    auto& list = state().superIoDevices;
    list.clear();
    for (const auto& record : zelkora::devices::enumerateSuperIoDevices(
             zelkora::hw::driverPorts(), state().superIoManufacturer)) {
        list.append(record);
    }
    return list.first();
}

SuperIODeviceInfo* GetNextSuperIO(SuperIODeviceInfo* info, DevicePos* pos) {
    return state().superIoDevices.next(info, pos);
}

}  // extern "C"
