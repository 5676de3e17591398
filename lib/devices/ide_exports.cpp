// The IDE enumeration's first/next pair.
#include "lib/devices/ide_devices.h"
#include "lib/hw/driver.h"
#include "lib/hw/library_state.h"
#include "zelkora/sysinfo.h"

using zelkora::hw::state;

extern "C" {

DevicePos GetFirstIDEDevicePos(void) {
    if (!state().hardwareReady) return nullptr;
    auto& list = state().ideDevices;
    list.clear();
    for (const auto& record : zelkora::devices::enumerateIdeDevices(zelkora::hw::driverPorts())) {
        list.append(record);
    }
    return list.first();
}

IDEDeviceInfo* GetNextIDEDevice(IDEDeviceInfo* info, DevicePos* pos) {
    return state().ideDevices.next(info, pos);
}

}  // extern "C"
