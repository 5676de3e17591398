#pragma once

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::testing {

// The demo board with its clock frozen, so that a report reads the same in
// every run; `change` edits the description further.
template <typename Change>
std::string demoMachine(Change change) {
    std::ifstream file(kMachinesDir / "demo.json");
    nlohmann::json machine = nlohmann::json::parse(file);
    machine["system"]["clock"] = "2003-03-05 09:07:02";
    change(machine);
    return machine.dump();
}

inline std::string demoMachine() {
    return demoMachine([](nlohmann::json&) {});
}

// That description written into `folder` as demo.json, its files named by
// absolute path so that it can live there; gives its path.
inline std::filesystem::path writeFrozenDemo(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / "demo.json";
    writeBytes(path, demoMachine([](nlohmann::json& machine) {
                   machine["system"]["windowsDirectory"] = (kMachinesDir / "demo/windows").string();
                   machine["registry"] = {(kMachinesDir / "demo/registry.reg").string()};
               }));
    return path;
}

}  // namespace zelkora::testing
