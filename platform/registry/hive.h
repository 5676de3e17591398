#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

namespace zelkora::platform::registry {

// A .reg file that could not be read; the message names the file, the line
// and the problem.
class RegFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The registry stand-in: the keys and values of HKEY_LOCAL_MACHINE (and the
// other roots) held in memory.
class Hive {
  public:
    virtual ~Hive() = default;
};

std::unique_ptr<Hive> emptyHive();
// A hive made of registry export files, merged in order.
std::unique_ptr<Hive> loadRegFiles(const std::vector<std::filesystem::path>& files);
// A hive describing this Linux host (PCI devices from sysfs, names from pci.ids).
std::unique_ptr<Hive> buildLiveHive();

}  // namespace zelkora::platform::registry
