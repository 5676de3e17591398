// The PCI enumeration's first/next pair.
#include "lib/devices/pci_bus.h"
#include "lib/devices/pci_description.h"
#include "lib/hw/driver.h"
#include "lib/hw/library_state.h"
#include "zelkora/sysinfo.h"

using zelkora::hw::state;

extern "C" {

DevicePos GetFirstPCIDevicePos(void) {
    if (!state().hardwareReady) return nullptr;
    auto& list = state().pciDevices;
    list.clear();
    zelkora::devices::IndexedPciDescriptions descriptions;
    list.records() = zelkora::devices::scanPciBus(zelkora::hw::driverPorts(), descriptions);
    return list.first();
}

PCIDeviceInfo* GetNextPCIDevice(PCIDeviceInfo* info, DevicePos* pos) {
    return state().pciDevices.next(info, pos);
}

}  // extern "C"
