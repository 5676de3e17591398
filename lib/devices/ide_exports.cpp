// The IDE enumeration's first/next pair.
#include "lib/hw/library_state.h"
#include "zelkora/sysinfo.h"

using zelkora::hw::state;

extern "C" {

DevicePos GetFirstIDEDevicePos(void) {
    if (!state().hardwareReady) return nullptr;
    state().ideDevices.clear();
    return state().ideDevices.first();
}

IDEDeviceInfo* GetNextIDEDevice(IDEDeviceInfo* info, DevicePos* pos) {
    return state().ideDevices.next(info, pos);
}

}  // extern "C"
