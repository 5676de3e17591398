#pragma once

#include <filesystem>
#include <string_view>

namespace zelkora::platform {

// The folder every live source reads below: "/" unless ZELKORA_SYSROOT names
// another, so that tests and users can run the live code on a fake tree.
std::filesystem::path systemRoot();

// A path of the live host ("sys/bus/pci/devices") below the system root.
std::filesystem::path hostPath(std::string_view relative);

// A data file that the system's packages install (pci.ids): the root's own
// copy when it holds one, else the system's.
std::filesystem::path dataFilePath(std::string_view absolute);

}  // namespace zelkora::platform
