#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/machine/machine_file.h"
#include "tests/support/build_paths.h"
#include "tests/support/test_driver.h"
#include "winio/sim/simulated_board.h"

namespace zelkora::testing {

inline const std::filesystem::path kMachinesDir = kSourceDir / "machines";
// Expected reports, hives, fake roots and dumps, kept as files.
inline const std::filesystem::path kTestData = kSourceDir / "tests/data";

// A simulated machine handed to the library for the life of one test: the
// library's driver answers from the board and its operating system services
// from the same description. On destruction access is closed and the library
// goes back to its own driver and services.
class SimulatedMachine {
  public:
    // A description written in the test; relative file names resolve
    // against `directory`.
    explicit SimulatedMachine(std::string_view json,
                              const std::filesystem::path& directory = kMachinesDir);
    // A description file, such as kMachinesDir / "demo.json".
    static std::unique_ptr<SimulatedMachine> fromFile(const std::filesystem::path& path);
    explicit SimulatedMachine(std::shared_ptr<const platform::machine::MachineFile> file);
    ~SimulatedMachine();

    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;

    winio::sim::SimulatedBoard& board() { return *board_; }
    // The library's driver over the board: its fault hooks and counts.
    TestDriver& driver() { return *driver_; }
    // The shared register routines straight over the board's driver.
    common::PortIo& ports() { return driver_->ports(); }
    // InitializeSysInfoLib through the simulated driver.
    bool open();

  private:
    std::shared_ptr<const platform::machine::MachineFile> file_;
    std::shared_ptr<winio::sim::SimulatedBoard> board_;
    std::shared_ptr<TestDriver> driver_;
};

// The message a description named "bad.json" in `directory` is refused with
// (board and services both built), or "no error".
std::string machineError(std::string_view json, const std::filesystem::path& directory = ".");

}  // namespace zelkora::testing
