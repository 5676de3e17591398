#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
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

// The first `limit` bytes of a regular file; nullopt when it is missing, no
// regular file or unreadable. Opening never blocks, so a FIFO or a device
// under a sysfs name in a copied tree cannot hang the reader.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t limit);

}  // namespace zelkora::platform
