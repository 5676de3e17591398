#include "tests/support/simulated_machine.h"

#include "lib/hw/driver.h"
#include "platform/services.h"
#include "platform/sim/simulated_services.h"
#include "winio/sim/board_builder.h"
#include "zelkora/sysinfo.h"

namespace zelkora::testing {

SimulatedMachine::SimulatedMachine(std::string_view json, const std::filesystem::path& directory)
    : SimulatedMachine(
          platform::machine::MachineFile::parse(json, "test-machine.json", directory)) {}

SimulatedMachine::SimulatedMachine(std::shared_ptr<const platform::machine::MachineFile> file)
    : file_(std::move(file)),
      board_(winio::sim::buildBoard(*file_)),
      driver_(std::make_shared<TestDriver>(board_)) {
    UninitializeSysInfoLib();
    hw::setDriver(driver_);
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

std::string machineError(std::string_view json, const std::filesystem::path& directory) {
    try {
        const auto file = platform::machine::MachineFile::parse(json, "bad.json", directory);
        winio::sim::buildBoard(*file);
        platform::makeSimulatedServices(*file);
    } catch (const platform::machine::MachineError& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace zelkora::testing
