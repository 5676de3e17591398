// The system report: its exact bytes for the demo board, an update of an
// existing file, the source of the drive sections, and numbers in "%d" and
// "%g".
#include "app/persist/system_report.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/fixed_text.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/device_lists.h"
#include "tests/support/scratch_path.h"

namespace zelkora::persist {
namespace {

namespace fs = std::filesystem;
using testing::fileBytes;

std::string report(std::span<const IDEDeviceInfo> ideRecords = {}) {
    const fs::path path = testing::scratchPath("report") += ".ini";
    fs::remove(path);
    EXPECT_TRUE(writeSystemReport(path.string(), ideRecords));
    std::string bytes = fileBytes(path);
    fs::remove(path);
    return bytes;
}

// The demo board's report. Four descriptions end in a blank, as the
// library's 50-character field cuts them.
constexpr std::string_view kDemoReport = R"([General Information]
ComputerName=DEMO-PC
CurrentUser=engineer
CurrentDataTime=2003/3/5 9:7:2
LocalLanguage=English (United States)

[OS Information]
OSNameString=Microsoft Windows XP
OtherInfomation=Service Pack 1
MajorVersion=5
MinorVersion=1
BuilderNumber=2600

[Processor Information]
CPUVersionStr=Intel(R) Pentium(R) 4 CP
CPUVendorID=GenuineIntel
CPUSocketType=Socket 478
CPUFamily=15
CPUModel=2
CPUStepping=9
CPUSpeed=2400
CPUExtendedClock=133
CPURatio=18
CPUFeature=-1075053569

[Memory Information]
TotalPhysicalMem=536870912
AvailPhysicalMem=318767104
TotalPageFiles=1283457024

[Motherboard Information]
Manufacture=Mirel Inc.
ModelName=MB 865PE Pro
RevisionVer=R1.02
ReleaseDate=Jan.05.2003
BIOSVendor=Phoenix Technologies, LTD
BIOSRevision=6.00 PG
BIOSRomSize=512

[Primary Master]
FirmwareRev=3.06
ModelNumber=ST380011A
SerialNumber=3JV4ZQ1X
DeviceType=170
GenCfgInfo=3162
MajorVersion=126
PIOCapability=3
DMACapability=8255
TotalSectors=156301488

[Primary Slaver]
FirmwareRev=None
ModelNumber=None
SerialNumber=None
DeviceType=0
GenCfgInfo=0
MajorVersion=0
PIOCapability=0
DMACapability=0
TotalSectors=0

[Secondary Master]
FirmwareRev=0L23
ModelNumber=HL-DT-ST DVD-ROM GDR8163B
SerialNumber=K2935CI0827
DeviceType=85
GenCfgInfo=34240
MajorVersion=30
PIOCapability=3
DMACapability=1031
TotalSectors=0

[Secondary Slaver]
FirmwareRev=None
ModelNumber=None
SerialNumber=None
DeviceType=0
GenCfgInfo=0
MajorVersion=0
PIOCapability=0
DMACapability=0
TotalSectors=0

[PCIDevice List]
Bus00Dev00Fun00=00,00,00,8086,2570,80F21043,06,00,00,02,00
Bus00Dev00Fun00DeviceClass=Host/PCI bridge.
Bus00Dev00Fun00DeviceDesc=Intel(R) 82865G/PE/P Processor to I/O Controller 
Bus00Dev01Fun00=00,01,00,8086,2571,00000000,06,04,00,02,00
Bus00Dev01Fun00DeviceClass=PCI/PCI bridge.
Bus00Dev01Fun00DeviceDesc=Intel(R) 82865G/PE/P Processor to AGP Controller 
Bus00Dev09Fun00=00,09,00,10EC,8139,813910EC,02,00,00,10,0B
Bus00Dev09Fun00DeviceClass=Ethernet controller.
Bus00Dev09Fun00DeviceDesc=Realtek RTL8139 Family PCI Fast Ethernet NIC
Bus00Dev1DFun00=00,1D,00,8086,24D2,80A61043,0C,03,00,02,10
Bus00Dev1DFun00DeviceClass=USB controller using UHC spec.
Bus00Dev1DFun00DeviceDesc=Intel(R) 82801EB USB Universal Host Controller - 
Bus00Dev1DFun07=00,1D,07,8086,24DD,80A61043,0C,03,20,02,17
Bus00Dev1DFun07DeviceClass=Serial bus controllers.
Bus00Dev1DFun07DeviceDesc=Intel(R) 82801EB USB2 Enhanced Host Controller - 
Bus00Dev1EFun00=00,1E,00,8086,244E,00000000,06,04,00,C2,00
Bus00Dev1EFun00DeviceClass=PCI/PCI bridge.
Bus00Dev1EFun00DeviceDesc=Intel(R) 82801 PCI Bridge - 244E
Bus00Dev1FFun00=00,1F,00,8086,24D0,00000000,06,01,00,02,00
Bus00Dev1FFun00DeviceClass=PCI/ISA bridge.
Bus00Dev1FFun00DeviceDesc=Intel(R) 82801EB LPC Interface Controller - 24D0
Bus00Dev1FFun01=00,1F,01,8086,24DB,80A61043,01,01,8A,02,FF
Bus00Dev1FFun01DeviceClass=IDE controller.
Bus00Dev1FFun01DeviceDesc=Intel(R) 82801EB Ultra ATA Storage Controllers
Bus00Dev1FFun03=00,1F,03,8086,24D3,80A61043,0C,05,00,02,11
Bus00Dev1FFun03DeviceClass=SMBus(System Management Bus).
Bus00Dev1FFun03DeviceDesc=Intel(R) 82801EB SMBus Controller - 24D3
Bus00Dev1FFun05=00,1F,05,8086,24D5,80F31043,04,01,00,02,11
Bus00Dev1FFun05DeviceClass=Audio device.
Bus00Dev1FFun05DeviceDesc=SoundMAX Integrated Digital Audio
Bus01Dev00Fun00=01,00,00,10DE,0322,00000000,03,00,00,A1,0B
Bus01Dev00Fun00DeviceClass=VGA-compatile controller.
Bus01Dev00Fun00DeviceDesc=NVIDIA GeForce FX 5200

[Super-I/O List]
Super-I/O Type=Winbond W83627HF/F/HG/G
Device ID=52
Device Revision=17
PNP0700 0 DeviceDesc=Standard floppy disk controller
PNP0700 0 I/O Address=03F0h - 03F7h
PNP0700 0 DeviceClass=Floppy controller device
PNP0501 1 DeviceDesc=Communications Port (COM1)
PNP0501 1 I/O Address=03F8h - 03FFh
PNP0501 1 DeviceClass=Serial port device
PNP0501 2 DeviceDesc=Communications Port (COM2)
PNP0501 2 I/O Address=02F8h - 02FFh
PNP0501 2 DeviceClass=Serial port device
PNP0401 0 DeviceDesc=ECP Printer Port (LPT1)
PNP0401 0 I/O Address=0378h - 037Fh;0778h - 077Ah
PNP0401 0 DeviceClass=Parallel port device
PNPB006 0 DeviceDesc=MPU-401 Compatible MIDI Device
PNPB006 0 I/O Address=0330h - 0331h
PNPB006 0 DeviceClass=Midi port device
PNPB02F 0 DeviceDesc=Standard Game Port
PNPB02F 0 I/O Address=0201h - 0201h
PNPB02F 0 DeviceClass=Game port device
)";

std::string section(std::string_view report, std::string_view name) {
    std::string header = "[";
    header.append(name).append("]\n");
    const std::size_t start = report.find(header);
    return std::string(report.substr(start, report.find("\n\n", start) + 2 - start));
}

TEST(SystemReport, DemoBoardNewFileAndOverAnExistingFile) {
    testing::SimulatedMachine machine(testing::demoMachine());
    ASSERT_TRUE(machine.open());
    EXPECT_EQ(report(), kDemoReport);

    // Keys already in the file keep their place and get new values; what
    // the report does not write stays; new keys follow their section.
    const fs::path path = testing::scratchPath("old-report") += ".ini";
    testing::writeBytes(path,
                        "; kept\n[Foreign]\nKeep=1\n\n[processor information]\n"
                        "CPUVendorID=Old\nOwnKey=stays\n");
    ASSERT_TRUE(writeSystemReport(path.string(), {}));
    std::string processor = section(kDemoReport, "Processor Information");
    const std::string vendor = "CPUVendorID=GenuineIntel\n";
    processor.erase(processor.find(vendor), vendor.size());
    processor.erase(0, processor.find('\n') + 1);
    std::string others(kDemoReport);
    others.erase(others.find(section(kDemoReport, "Processor Information")),
                 section(kDemoReport, "Processor Information").size());
    std::string expected = "; kept\n[Foreign]\nKeep=1\n\n[processor information]\n";
    expected.append(vendor).append("OwnKey=stays\n").append(processor).append(others);
    EXPECT_EQ(fileBytes(path), expected);
    fs::remove(path);

    EXPECT_FALSE(writeSystemReport("/nonexistent-zelkora-folder/report.ini", {}));
}

TEST(SystemReport, DrivesFromThePageListOrTheWalk) {
    testing::SimulatedMachine machine(testing::demoMachine());
    ASSERT_TRUE(machine.open());
    // The page's list is written as the library's records hold it, empty
    // positions too (55AAh for both capabilities); a position outside 1, 2,
    // 4, 8 keeps the section of the record before it.
    std::vector<IDEDeviceInfo> page = testing::ideRecords();
    ASSERT_EQ(page.size(), 4u);
    page[3].Position = 3;
    const std::string written = report(page);
    const std::string empty =
        "FirmwareRev=\nModelNumber=\nSerialNumber=\nDeviceType=0\nGenCfgInfo=0\n"
        "MajorVersion=0\nPIOCapability=21930\nDMACapability=21930\nTotalSectors=0\n\n";
    EXPECT_EQ(section(written, "Primary Slaver"), "[Primary Slaver]\n" + empty);
    EXPECT_EQ(section(written, "Secondary Master"), "[Secondary Master]\n" + empty);
    EXPECT_EQ(written.find("[Secondary Slaver]"), std::string::npos);
    EXPECT_EQ(section(written, "Primary Master"), section(kDemoReport, "Primary Master"));
}

TEST(SystemReport, SignedDecimalsAndRatios) {
    for (const auto& [clock, ratio] : {std::pair{"FC 08", "11.5"}, std::pair{"60 09", "12"}}) {
        const std::string speed = clock;  // a lambda may not capture a structured binding
        testing::SimulatedMachine machine(testing::demoMachine([&](nlohmann::json& board) {
            board["system"]["memory"]["totalPhysical"] = 0xC0000000u;
            board["system"]["memory"]["totalPageFile"] = 0xFFFFFFFFu;
            for (auto& structure : board["smbios"]["structures"]) {
                if (structure["type"] != 4) continue;
                std::string formatted = structure["formatted"];
                // External clock 200 MHz, current speed 2300 or 2400 MHz.
                formatted.replace(formatted.find("85 00 B8 0B 60 09"), 17,
                                  std::string("C8 00 B8 0B ") + speed);
                structure["formatted"] = formatted;
            }
        }));
        ASSERT_TRUE(machine.open());
        const std::string written = report();
        EXPECT_NE(written.find(std::string("\nCPURatio=") + ratio + "\n"), std::string::npos)
            << written;
        EXPECT_NE(written.find("\nCPUFeature=-1075053569\n"), std::string::npos);
        EXPECT_NE(written.find("\nTotalPhysicalMem=-1073741824\n"), std::string::npos);
        EXPECT_NE(written.find("\nTotalPageFiles=-1\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace zelkora::persist
