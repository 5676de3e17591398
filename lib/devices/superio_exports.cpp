// The Super-I/O enumeration's first/next pair.
#include "lib/hw/library_state.h"
#include "zelkora/sysinfo.h"

using zelkora::hw::state;

extern "C" {

DevicePos GetFirstSuperIOPos(void) {
    if (!state().hardwareReady) return nullptr;
    state().superIoDevices.clear();
    return state().superIoDevices.first();
}

SuperIODeviceInfo* GetNextSuperIO(SuperIODeviceInfo* info, DevicePos* pos) {
    return state().superIoDevices.next(info, pos);
}

}  // extern "C"
