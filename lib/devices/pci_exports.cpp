// The PCI enumeration's first/next pair.
#include "lib/hw/library_state.h"
#include "zelkora/sysinfo.h"

using zelkora::hw::state;

extern "C" {

DevicePos GetFirstPCIDevicePos(void) {
    if (!state().hardwareReady) return nullptr;
    state().pciDevices.clear();
    return state().pciDevices.first();
}

PCIDeviceInfo* GetNextPCIDevice(PCIDeviceInfo* info, DevicePos* pos) {
    return state().pciDevices.next(info, pos);
}

}  // extern "C"
