#pragma once

#include <string>

#include "lib/hw/result_list.h"
#include "zelkora/sysinfo.h"

namespace zelkora::hw {

// The library's process-wide state: the hardware-ready flag and the three
// result lists. Only the library's one calling thread touches it.
struct LibraryState {
    int32_t hardwareReady = 0;
    ResultList<IDEDeviceInfo> ideDevices;
    ResultList<PCIDeviceInfo> pciDevices;
    ResultList<SuperIODeviceInfo> superIoDevices;
    // The Super-I/O manufacturer last found; kept between enumerations.
    std::string superIoManufacturer;
    // The machine file error already written to stderr (said once, not at
    // every retry of InitializeSysInfoLib).
    std::string reportedMachineError;
};

LibraryState& state();

}  // namespace zelkora::hw
