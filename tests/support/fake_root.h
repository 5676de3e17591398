#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "tests/support/scratch_path.h"

namespace zelkora::testing {

// A fake system root (sys/, proc/, ...) in a scratch folder that the live
// sources read while it lives: ZELKORA_SYSROOT names it until destruction.
class FakeRoot {
  public:
    explicit FakeRoot(std::string_view stem = "zelkora-root") : path_(scratchPath(stem)) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        ::setenv("ZELKORA_SYSROOT", path_.c_str(), 1);
    }
    ~FakeRoot() {
        ::unsetenv("ZELKORA_SYSROOT");
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    FakeRoot(const FakeRoot&) = delete;
    FakeRoot& operator=(const FakeRoot&) = delete;

    // Writes `bytes` to the file at `relative` below the root, making its folders.
    std::filesystem::path write(std::string_view relative, std::string_view bytes) const {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }
    void folder(std::string_view relative) const {
        std::filesystem::create_directories(path_ / relative);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace zelkora::testing
