#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelkora::testing {

// A folder standing for the root of a Linux host (ZELKORA_SYSROOT): sysfs PCI
// functions with their configuration space and attributes, and any other
// file a test writes. Removed with everything in it when destroyed.
class FakePciRoot {
  public:
    explicit FakePciRoot(std::filesystem::path root);
    ~FakePciRoot();
    FakePciRoot(const FakePciRoot&) = delete;
    FakePciRoot& operator=(const FakePciRoot&) = delete;

    const std::filesystem::path& path() const { return root_; }

    // A function "bb:dd.f" of domain 0 with `config` as its config file and
    // the attributes the kernel derives from it; `driver` binds it.
    void addFunction(std::string_view address, std::string_view config,
                     std::string_view driver = {});
    void removeFunction(std::string_view address);
    // A file below the root ("proc/meminfo"), folders made as needed.
    void writeFile(std::string_view relative, std::string_view bytes);

  private:
    std::filesystem::path root_;
};

// A standard-header space: vendor, device, class code, revision, subsystem.
std::string pciSpace(uint16_t vendor, uint16_t device, uint32_t classCode, uint8_t revision,
                     uint32_t subsystem, uint8_t headerType = 0);

// Sets ZELKORA_SYSROOT for its lifetime.
class SysrootScope {
  public:
    explicit SysrootScope(const std::filesystem::path& root);
    ~SysrootScope();
    SysrootScope(const SysrootScope&) = delete;
    SysrootScope& operator=(const SysrootScope&) = delete;
};

}  // namespace zelkora::testing
