// The machine model asks the library only for the sections it is given, and
// a whole model reads each function's configuration space once.
#include "app/persist/machine_model.h"

#include <gtest/gtest.h>

#include <map>

#include "lib/hw/driver.h"
#include "tests/persist/demo_machine.h"
#include "tests/support/backend_driver.h"

namespace zelkora::persist {
namespace {

// The board as the driver sees it, counting reads of physical memory.
class PhysicalReadCounter : public winio::Backend {
  public:
    explicit PhysicalReadCounter(winio::Backend& board) : board_(board) {}
    PortReading readPortChecked(uint16_t port, unsigned size) override {
        return board_.readPortChecked(port, size);
    }
    bool writePort(uint16_t port, uint32_t value, unsigned size) override {
        return board_.writePort(port, value, size);
    }
    bool readPhysical(uint32_t address, std::span<uint8_t> out) override {
        ++reads;
        return board_.readPhysical(address, out);
    }
    int reads = 0;

  private:
    winio::Backend& board_;
};

TEST(MachineModel, PciAloneWalksThePciBusAndAWholeModelReadsEachSpaceOnce) {
    testing::SimulatedMachine machine(testing::demoMachine());
    const auto counter = std::make_shared<PhysicalReadCounter>(machine.board());
    hw::setDriver(testing::makeBackendDriver(counter));
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
    EXPECT_EQ(counter->reads, 0) << "no physical memory";

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
    EXPECT_GT(counter->reads, 0);
}

}  // namespace
}  // namespace zelkora::persist
