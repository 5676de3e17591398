// zelkora-cli: what the system information library reports, without a window.
#include <cstdio>
#include <cstring>

#include "zelkora/sysinfo.h"

namespace {

void printGeneral() {
    GeneralInfo general{};
    GetGeneralInfo(&general);
    std::printf(
        "[General Information]\nComputerName=%s\nCurrentUser=%s\nCurrentDataTime=%s\n"
        "LocalLanguage=%s\n\n",
        general.ComputerName, general.CurrentUser, general.CurrentDateTime, general.LocalLanguage);
}

void printOs() {
    OSVersionInfo os{};
    if (GetOSVersionInfo(&os)) {
        std::printf(
            "[OS Information]\nOSNameString=%s\nOtherInfomation=%s\nMajorVersion=%d\n"
            "MinorVersion=%d\nBuilderNumber=%d\n\n",
            os.OSNameString, os.OtherInfo, static_cast<int>(os.MajorVersion),
            static_cast<int>(os.MinorVersion), static_cast<int>(os.BuildNumber));
    }
    MemoryInfo memory{};
    GetMemoryInfo(&memory);
    std::printf(
        "[Memory Information]\nTotalPhysicalMem=%d\nAvailPhysicalMem=%d\nTotalPageFiles=%d\n\n",
        static_cast<int>(memory.TotalPhysicalMem), static_cast<int>(memory.AvailPhysicalMem),
        static_cast<int>(memory.TotalPageFiles));
}

void printPci() {
    DevicePos pos = GetFirstPCIDevicePos();
    if (!pos) return;
    std::printf("[PCIDevice List]\n");
    while (pos) {
        PCIDeviceInfo device{};
        GetNextPCIDevice(&device, &pos);
        std::printf(
            "Bus%2.2XDev%2.2XFun%2.2X=%2.2X,%2.2X,%2.2X,%4.4X,%4.4X,%8.8X,%2.2X,%2.2X,%2.2X,"
            "%2.2X,%2.2X\n",
            device.Bus, device.Device, device.Function, device.Bus, device.Device, device.Function,
            device.VendorID, device.DeviceID, device.Subsystem, device.BaseClass, device.SubClass,
            device.ProgIf, device.Revision, device.IRQ);
        std::printf("Bus%2.2XDev%2.2XFun%2.2XDeviceClass=%s\n", device.Bus, device.Device,
                    device.Function, device.ClassText);
        std::printf("Bus%2.2XDev%2.2XFun%2.2XDeviceDesc=%s\n", device.Bus, device.Device,
                    device.Function, device.Description);
    }
    std::printf("\n");
}

}  // namespace

int main() {
    bool opened = false;
    for (int attempt = 0; attempt < 4 && !opened; ++attempt)
        opened = InitializeSysInfoLib() != 0;
    if (!opened) {
        std::fprintf(stderr, "zelkora-cli: Initialize Systeminfo library error,please retry!\n");
    }
    printGeneral();
    printOs();
    printPci();
    UninitializeSysInfoLib();
    return opened ? 0 : 1;
}
