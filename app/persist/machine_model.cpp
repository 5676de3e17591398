#include "app/persist/machine_model.h"

#include <array>

namespace zelkora::persist {

namespace {

constexpr std::array<std::string_view, kMachineSectionCount> kSectionNames = {
    "general", "os", "cpu", "memory", "board", "ide", "pci", "superio"};

template <typename Record>
std::vector<Record> walk(DevicePos (*first)(), Record* (*next)(Record*, DevicePos*)) {
    std::vector<Record> records;
    for (DevicePos pos = first(); pos;)
        next(&records.emplace_back(), &pos);
    return records;
}

}  // namespace

std::string_view machineSectionName(MachineSection section) {
    return kSectionNames[static_cast<unsigned>(section)];
}

std::optional<MachineSection> machineSectionNamed(std::string_view name) {
    for (unsigned i = 0; i < kSectionNames.size(); ++i) {
        if (kSectionNames[i] == name) return static_cast<MachineSection>(i);
    }
    return std::nullopt;
}

MachineModel readMachineModel(MachineSections sections, std::span<const IDEDeviceInfo> idePage) {
    MachineModel model;
    model.sections = sections;
    using enum MachineSection;
    if (model.has(General)) GetGeneralInfo(&model.general);
    if (model.has(Os)) GetOSVersionInfo(&model.os);
    if (model.has(Processor)) GetProcessorInfo(&model.processor);
    if (model.has(Memory)) GetMemoryInfo(&model.memory);
    if (model.has(Board)) GetMotherBoardInfo(&model.board);
    if (model.has(Ide)) {
        model.drivesWalked = idePage.empty();
        model.drives = model.drivesWalked ? walk(GetFirstIDEDevicePos, GetNextIDEDevice)
                                          : std::vector(idePage.begin(), idePage.end());
    }
    if (model.has(Pci)) model.pciFunctions = walk(GetFirstPCIDevicePos, GetNextPCIDevice);
    if (model.has(SuperIo)) model.superIoDevices = walk(GetFirstSuperIOPos, GetNextSuperIO);
    return model;
}

}  // namespace zelkora::persist
