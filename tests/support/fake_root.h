#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zelkora::testing {

// A path in the temporary folder that no other test process uses at the same
// time (ctest runs tests in parallel, each in its own process).
inline std::filesystem::path scratchPath(std::string_view stem) {
    return std::filesystem::temp_directory_path() /
           (std::string(stem) + "-" + std::to_string(::getpid()));
}

// A folder of the test's own in the temporary folder, removed with everything
// in it when destroyed.
class ScratchDir {
  public:
    explicit ScratchDir(std::string_view stem = "zelkora-scratch");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Writes `bytes` to the file at `relative`, making its folders.
    std::filesystem::path write(std::string_view relative, std::string_view bytes) const;
    void folder(std::string_view relative) const;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// A fake system root (sys/, proc/, ...) that the live sources read while it
// lives: ZELKORA_SYSROOT names it until destruction.
class FakeRoot : public ScratchDir {
  public:
    explicit FakeRoot(std::string_view stem = "zelkora-root");
    ~FakeRoot();

    // A sysfs function "bb:dd.f" of domain 0 with `config` as its config file
    // and the attributes the kernel derives from it; `driver` binds it.
    void addPciFunction(std::string_view address, std::string_view config,
                        std::string_view driver = {}) const;
    void removePciFunction(std::string_view address) const;
    // Copies a fake root kept as files (a folder of tests/data/roots) into
    // this one; its symbolic links stay links.
    void copyFrom(std::string_view name) const;
};

// The whole content of a file, as bytes.
std::string fileBytes(const std::filesystem::path& path);
// Replaces a file's content with `bytes`.
void writeBytes(const std::filesystem::path& path, std::string_view bytes);

// A standard-header space: vendor, device, class code, revision, subsystem.
std::string pciSpace(uint16_t vendor, uint16_t device, uint32_t classCode, uint8_t revision,
                     uint32_t subsystem, uint8_t headerType = 0);

}  // namespace zelkora::testing
