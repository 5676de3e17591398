#include "tests/support/simulated_machine.h"

#include "lib/hw/driver.h"
#include "platform/services.h"
#include "platform/sim/simulated_services.h"
#include "winio/core/driver_core.h"
#include "winio/sim/board_builder.h"
#include "zelkora/sysinfo.h"

namespace zelkora::testing {

namespace {

// The library's view of a driver whose backend is the test's board.
class BoardDriver : public hw::Driver {
  public:
    explicit BoardDriver(std::shared_ptr<winio::Backend> board) : core_(std::move(board)) {}

    bool initializeWinIo() override { return core_.initialize(); }
    int32_t shutdownWinIo() override { return core_.shutdown(); }
    bool getPortVal(uint16_t port, uint32_t* value, uint8_t size) override {
        return core_.getPortVal(port, value, size);
    }
    bool setPortVal(uint16_t port, uint32_t value, uint8_t size) override {
        return core_.setPortVal(port, value, size);
    }
    bool getPhysByte(uint32_t address, uint8_t* value) override {
        return core_.getPhysByte(address, value);
    }
    bool getPhysWord(uint32_t address, uint16_t* value) override {
        return core_.getPhysWord(address, value);
    }
    bool getPhysLong(uint32_t address, uint32_t* value) override {
        return core_.getPhysLong(address, value);
    }
    bool getPhysBlock(uint32_t address, uint8_t* buffer, uint32_t length) override {
        return core_.getPhysBlock(address, buffer, length);
    }

  private:
    winio::DriverCore core_;
};

}  // namespace

SimulatedMachine::SimulatedMachine(std::string_view json, const std::filesystem::path& directory)
    : SimulatedMachine(
          platform::machine::MachineFile::parse(json, "test-machine.json", directory)) {}

SimulatedMachine::SimulatedMachine(std::shared_ptr<const platform::machine::MachineFile> file)
    : file_(std::move(file)), board_(winio::sim::buildBoard(*file_)) {
    UninitializeSysInfoLib();
    hw::setDriver(std::make_unique<BoardDriver>(board_));
    platform::setServices(platform::makeSimulatedServices(*file_));
}

std::unique_ptr<SimulatedMachine> SimulatedMachine::fromFile(const std::filesystem::path& path) {
    return std::make_unique<SimulatedMachine>(platform::machine::MachineFile::load(path));
}

SimulatedMachine::~SimulatedMachine() {
    UninitializeSysInfoLib();
    hw::setDriver(nullptr);
    platform::setServices(nullptr);
}

bool SimulatedMachine::open() {
    return InitializeSysInfoLib() == 1;
}

}  // namespace zelkora::testing
