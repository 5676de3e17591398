// The PCI bus scan: buses 0-4, then every higher bus that a bridge found on
// the way puts behind itself; every device and function number of each.
#include "lib/devices/pci_bus.h"

#include <bitset>
#include <cstring>
#include <span>

#include "common/fixed_text.h"
#include "common/pci_config.h"
#include "hardware/pc_addresses.h"
#include "lib/devices/pci_class_table.h"
#include "lib/devices/pci_register_layout.h"

namespace zelkora::devices {

namespace {

constexpr uint32_t kFirstAddress = hardware::kPciConfigEnable;
constexpr uint32_t kFunctionStep = 0x100;
constexpr uint32_t kBusStep = 0x1'0000;
constexpr unsigned kBusCount = 256;
constexpr unsigned kAlwaysWalkedBuses = 5;  // buses 0 to 4, bridges or not
constexpr uint8_t kPciToPciBridge = 0x01;
constexpr uint8_t kCardBusBridge = 0x02;
constexpr unsigned kSecondaryBus = 0x19;  // the same offsets in both bridge headers
constexpr unsigned kSubordinateBus = 0x1A;

using BusSet = std::bitset<kBusCount>;

uint16_t configWord(const PCIDeviceInfo& record, unsigned offset) {
    return static_cast<uint16_t>(record.Config[offset] | record.Config[offset + 1] << 8);
}

uint32_t configDword(const PCIDeviceInfo& record, unsigned offset) {
    return uint32_t{configWord(record, offset)} | uint32_t{configWord(record, offset + 2)} << 16;
}

void describe(PCIDeviceInfo& record, PciDescriptionSource& descriptions) {
    if (descriptions.describe(record.VendorID, record.DeviceID, record.Subsystem, record.Revision,
                              record.Description)) {
        return;
    }
    // Many registries key a device by subsystem 0 instead of its real one.
    char retry[50] = {};
    if (descriptions.describe(record.VendorID, record.DeviceID, 0, record.Revision, retry)) {
        std::memcpy(record.Description, retry, sizeof retry);
        record.Description[sizeof record.Description - 1] = '\0';
    } else {
        common::copyText(record.Description, kPciDescriptionFailure);
    }
}

PCIDeviceInfo readFunction(common::PortIo& ports, uint8_t bus, uint8_t device, uint8_t function) {
    PCIDeviceInfo record{};
    record.Bus = bus;
    record.Device = device;
    record.Function = function;
    common::ReadPCIConfigByteBlock(ports, bus, device, function, std::span(record.Config));

    // The header type is read again rather than taken from the snapshot.
    const uint32_t headerDword = common::ReadPCIConfigDword(ports, bus, device, function, 3);
    if ((headerDword >> 16) & 0x7F) {
        fillType1Registers(record.Type1Registers);
        record.Layout = 0xFF;
        record.Subsystem = 0;
    } else {
        fillType0Registers(record.Type0Registers);
        record.Layout = 0x00;
        record.Subsystem = configDword(record, 0x2C);
    }
    record.VendorID = configWord(record, 0x00);
    record.DeviceID = configWord(record, 0x02);
    record.Revision = record.Config[0x08];
    record.ProgIf = record.Config[0x09];
    record.SubClass = record.Config[0x0A];
    record.BaseClass = record.Config[0x0B];
    record.IRQ = record.Config[0x3C];
    return record;
}

// A single-function device may answer with the same space on every function
// number; those copies share bus, device and all 256 bytes with a listed one.
bool isDuplicate(const std::vector<PCIDeviceInfo>& listed, const PCIDeviceInfo& record) {
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        // The list is ordered, so earlier records are on other devices.
        if (it->Bus != record.Bus || it->Device != record.Device) break;
        if (std::memcmp(it->Config, record.Config, sizeof record.Config) == 0) return true;
    }
    return false;
}

// A PCI-to-PCI or CardBus bridge forwards configuration cycles for its
// secondary bus up to its subordinate bus; an unconfigured one (bus numbers
// 0, or a subordinate below the secondary) names none.
void markBridgedBuses(const PCIDeviceInfo& record, BusSet& bridged) {
    const uint8_t headerType = record.Config[0x0E] & 0x7F;
    if (headerType != kPciToPciBridge && headerType != kCardBusBridge) return;
    const unsigned secondary = record.Config[kSecondaryBus];
    const unsigned subordinate = record.Config[kSubordinateBus];
    for (unsigned bus = secondary; bus != 0 && bus <= subordinate; ++bus)
        bridged.set(bus);
}

// All 32 devices and 8 function numbers of one bus, the function changing
// fastest; absent functions cost only the presence read.
void scanOneBus(common::PortIo& ports, PciDescriptionSource& descriptions, uint8_t bus,
                std::vector<PCIDeviceInfo>& records, BusSet& bridged) {
    const uint32_t first = kFirstAddress + bus * kBusStep;
    for (uint32_t address = first; address < first + kBusStep; address += kFunctionStep) {
        const auto device = static_cast<uint8_t>((address >> 11) & 0x1F);
        const auto function = static_cast<uint8_t>((address >> 8) & 0x07);
        const uint32_t id = common::ReadPCIConfigDword(ports, bus, device, function, 0);
        if ((id & 0xFFFF) == 0xFFFF) continue;

        PCIDeviceInfo record = readFunction(ports, bus, device, function);
        markBridgedBuses(record, bridged);
        describe(record, descriptions);
        LookUpPCIClassText(record.BaseClass, record.SubClass, record.ProgIf, record.ClassText);
        if (!isDuplicate(records, record)) records.push_back(record);
    }
}

}  // namespace

std::vector<PCIDeviceInfo> scanPciBus(common::PortIo& ports, PciDescriptionSource& descriptions) {
    std::vector<PCIDeviceInfo> records;
    // Buses are walked in ascending order, so a bridge is found before the
    // buses behind it; a bus that only a later bridge names is not gone back to.
    BusSet bridged;
    for (unsigned bus = 0; bus < kBusCount; ++bus) {
        if (bus >= kAlwaysWalkedBuses && !bridged.test(bus)) continue;
        scanOneBus(ports, descriptions, static_cast<uint8_t>(bus), records, bridged);
    }
    return records;
}

}  // namespace zelkora::devices
