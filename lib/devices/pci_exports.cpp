// The PCI enumeration's first/next pair.
#include "lib/devices/pci_bus.h"
#include "lib/devices/pci_description.h"
#include "lib/hw/driver.h"
#include "lib/hw/library_state.h"
#include "platform/services.h"
#include "zelkora/sysinfo.h"

using zelkora::hw::state;

extern "C" {

DevicePos GetFirstPCIDevicePos(void) {
    if (!state().hardwareReady) return nullptr;
    auto& list = state().pciDevices;
    list.clear();
    // The bus as it is now: functions added or removed since the last walk
    // appear or disappear, and the registry follows them. The driver lists
    // the bus first, so that every function the walk can meet was there when
    // the registry looked (a function plugged in between would otherwise be
    // walked without a description).
    const zelkora::hw::ConfigScanScope scan(zelkora::hw::driver());
    zelkora::platform::services().refreshDevices();
    zelkora::devices::IndexedPciDescriptions descriptions;
    list.records() = zelkora::devices::scanPciBus(zelkora::hw::driverPorts(), descriptions);
    return list.first();
}

PCIDeviceInfo* GetNextPCIDevice(PCIDeviceInfo* info, DevicePos* pos) {
    return state().pciDevices.next(info, pos);
}

}  // extern "C"
