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
    // appear or disappear, and the registry follows them.
    zelkora::platform::services().refreshDevices();
    zelkora::devices::IndexedPciDescriptions descriptions;
    const zelkora::hw::ConfigScanScope scan(zelkora::hw::driver());
    list.records() = zelkora::devices::scanPciBus(zelkora::hw::driverPorts(), descriptions);
    return list.first();
}

PCIDeviceInfo* GetNextPCIDevice(PCIDeviceInfo* info, DevicePos* pos) {
    return state().pciDevices.next(info, pos);
}

}  // extern "C"
