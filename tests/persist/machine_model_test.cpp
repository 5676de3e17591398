// The machine model asks the library only for the sections it is given, and
// a whole model reads each function's configuration space once.
#include "app/persist/machine_model.h"

#include <gtest/gtest.h>

#include <map>

#include "lib/hw/driver.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/test_driver.h"

namespace zelkora::persist {
namespace {

TEST(MachineModel, PciAloneWalksThePciBusAndAWholeModelReadsEachSpaceOnce) {
    testing::SimulatedMachine machine(testing::demoMachine());
    ASSERT_TRUE(machine.open());
    auto& recorder = machine.board().recorder();

    recorder.start();
    const MachineModel pci =
        readMachineModel(MachineSections().set(static_cast<unsigned>(MachineSection::Pci)));
    recorder.stop();
    EXPECT_EQ(pci.pciFunctions.size(), 11u);
    EXPECT_TRUE(pci.drives.empty() && pci.superIoDevices.empty());
    ASSERT_FALSE(recorder.accesses().empty());
    for (const auto& access : recorder.accesses())
        ASSERT_TRUE(access.port >= 0xCF8 && access.port <= 0xCFF) << std::hex << access.port;
    EXPECT_EQ(machine.driver().calls.physicalReads, 0) << "no physical memory";

    // Dword 04h (a base address) is read only when a whole space is.
    recorder.clear();
    recorder.start();
    const MachineModel whole = readMachineModel(allMachineSections());
    recorder.stop();
    std::map<uint32_t, int> spaceReads;
    for (const auto& access : recorder.accesses()) {
        if (access.port == 0xCF8 && access.direction == winio::sim::PortAccess::Direction::Write &&
            (access.value & 0xFC) == 0x10)
            ++spaceReads[access.value & 0xFFFF'FF00];
    }
    ASSERT_EQ(whole.pciFunctions.size(), 11u);
    for (const PCIDeviceInfo& function : whole.pciFunctions) {
        const uint32_t address =
            0x8000'0000u | function.Bus << 16 | function.Device << 11 | function.Function << 8;
        EXPECT_EQ(spaceReads[address], 1) << std::hex << address;
    }
    EXPECT_FALSE(whole.drives.empty());
    EXPECT_GT(machine.driver().calls.physicalReads, 0);
}

}  // namespace
}  // namespace zelkora::persist
