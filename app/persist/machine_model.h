#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "zelkora/sysinfo.h"

namespace zelkora::persist {

// The kinds of information the library reports, in the order the system
// report writes them.
enum class MachineSection : unsigned { General, Os, Processor, Memory, Board, Ide, Pci, SuperIo };
inline constexpr std::size_t kMachineSectionCount = 8;
using MachineSections = std::bitset<kMachineSectionCount>;

inline MachineSections allMachineSections() {
    return MachineSections().set();
}

// The names the command line and JSON give the sections: general, os, cpu,
// memory, board, ide, pci, superio.
std::string_view machineSectionName(MachineSection section);
std::optional<MachineSection> machineSectionNamed(std::string_view name);

// What the library reported about the machine, read once and kept: every
// writer (the INI report, the text listing, JSON) formats this, so that they
// cannot differ in what they show. Sections not asked for stay empty.
struct MachineModel {
    MachineSections sections;
    GeneralInfo general{};
    OSVersionInfo os{};
    ProcessorInfo processor{};
    MemoryInfo memory{};
    MotherBoardInfo board{};
    // The IDE records in list order. Walked by the library itself rather
    // than taken from the IDE page, a position without a drive is shown as
    // "None" with zeros; the page's records are shown as they are.
    std::vector<IDEDeviceInfo> drives;
    bool drivesWalked = false;
    std::vector<PCIDeviceInfo> pciFunctions;
    std::vector<SuperIODeviceInfo> superIoDevices;

    bool has(MachineSection section) const { return sections.test(static_cast<unsigned>(section)); }
    // A drive record the writers show as an empty position.
    bool isEmptyPosition(const IDEDeviceInfo& drive) const {
        return drivesWalked && drive.DeviceType == 0;
    }
};

// Asks the library for the `sections` wanted, in the report's order, and
// nothing else: a model of the PCI section alone walks the PCI bus only.
// `idePage` is the program's IDE page list; when it is empty the drives come
// from the library's own walk.
MachineModel readMachineModel(MachineSections sections,
                              std::span<const IDEDeviceInfo> idePage = {});

}  // namespace zelkora::persist
