// list: every record the library reports, section by section, on stdout.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands/command.h"
#include "cli/hardware_access.h"
#include "cli/standard_streams.h"
#include "zelkora/sysinfo.h"

namespace zelkora::cli {

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

void printProcessorAndBoard() {
    ProcessorInfo processor{};
    if (GetProcessorInfo(&processor)) {
        std::printf(
            "[Processor Information]\nCPUVersionStr=%s\nCPUVendorID=%s\nCPUSocketType=%s\n"
            "CPUFamily=%d\nCPUModel=%d\nCPUStepping=%d\nCPUSpeed=%d\nCPUExtendedClock=%d\n"
            "CPURatio=%g\nCPUFeature=%d\n\n",
            processor.CPUVersionStr, processor.CPUVendorID, processor.CPUSocketType,
            processor.CPUFamily, processor.CPUModel, processor.CPUStepping, processor.CPUSpeed,
            processor.CPUExtendedClock, static_cast<double>(processor.CPURatio),
            static_cast<int>(processor.CPUFeature));
    }
    MotherBoardInfo board{};
    if (GetMotherBoardInfo(&board)) {
        std::printf(
            "[Motherboard Information]\nManufacture=%s\nModelName=%s\nRevisionVer=%s\n"
            "ReleaseDate=%s\nBIOSVendor=%s\nBIOSRevision=%s\nBIOSRomSize=%d\n"
            "ChipsetDriverProvider=%s\nChipsetDriverVersion=%s\nChipsetDriverDate=%s\n\n",
            board.Manufacture, board.ModelName, board.RevisionVer, board.ReleaseDate,
            board.BIOSVendor, board.BIOSRevision, board.BIOSRomSize, board.ChipsetDriverProvider,
            board.ChipsetDriverVersion, board.ChipsetDriverDate);
    }
}

void printIde() {
    static const char* const kSections[] = {"Primary Master", "Primary Slaver", "Secondary Master",
                                            "Secondary Slaver"};
    int index = 0;
    for (DevicePos pos = GetFirstIDEDevicePos(); pos && index < 4; ++index) {
        IDEDeviceInfo drive{};
        GetNextIDEDevice(&drive, &pos);
        std::printf(
            "[%s]\nFirmwareRev=%s\nModelNumber=%s\nSerialNumber=%s\nDeviceType=%d\n"
            "GenCfgInfo=%d\nMajorVersion=%d\nPIOCapability=%d\nDMACapability=%d\n"
            "TotalSectors=%d\n\n",
            kSections[index], drive.FirmwareRev, drive.ModelNumber, drive.SerialNumber,
            drive.DeviceType, drive.GenCfgInfo, drive.MajorVersion, drive.PIOCapability,
            drive.DMACapability, static_cast<int>(drive.TotalSectors));
    }
}

void printSuperIo() {
    DevicePos pos = GetFirstSuperIOPos();
    if (!pos) return;
    std::printf("[Super-I/O List]\n");
    while (pos) {
        SuperIODeviceInfo device{};
        GetNextSuperIO(&device, &pos);
        std::printf("Super-I/O Type=%s\nDevice ID=%2.2X\nDevice Revision=%2.2X\n", device.ChipType,
                    device.ChipID, device.ChipRevision);
        if (device.PnPID == 0) continue;
        std::printf("PNP%4.4X %1.1X DeviceDesc=%s\n", device.PnPID, device.Instance,
                    device.Description);
        std::printf("PNP%4.4X %1.1X I/O Address=", device.PnPID, device.Instance);
        if (device.IOStart2 != 0) {
            std::printf("%4.4Xh - %4.4Xh;%4.4Xh - %4.4Xh\n", device.IOStart, device.IOEnd,
                        device.IOStart2, device.IOEnd2);
        } else if (device.IOStart != 0) {
            std::printf("%4.4Xh - %4.4Xh\n", device.IOStart, device.IOEnd);
        } else {
            std::printf("-\n");
        }
        std::printf("PNP%4.4X %1.1X DeviceClass=%s\n", device.PnPID, device.Instance,
                    device.DeviceClass);
    }
    std::printf("\n");
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

Action defineList(CLI::App& command) {
    auto file = std::make_shared<std::string>("-");
    command
        .add_option("-o,--output", *file,
                    "Write the listing into FILE (made whole, by rename) instead of standard "
                    "output; - is standard output")
        ->option_text("FILE");
    return [file] {
        const HardwareAccess access;
        if (!access.opened()) return kAccessRefused;
        OutputRedirect output(*file);
        if (!output.ready()) {
            complain("cannot write " + output.name() + ": " + output.problem());
            return kUsageOrFileError;
        }
        printGeneral();
        printOs();
        printProcessorAndBoard();
        printIde();
        printPci();
        printSuperIo();
        if (!output.commit()) {
            complain("cannot write " + output.name() + ": " + output.problem());
            return kUsageOrFileError;
        }
        return kSuccess;
    };
}

}  // namespace zelkora::cli
