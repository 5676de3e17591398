#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zelkora::fuzzing {

// A file in a folder of this run's own, memory-backed when possible (every
// run writes it); the folder goes when the process ends.
inline std::string scratchFile(const std::string& stem, const std::string& name) {
    static std::string directory;
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / (stem + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    directory = pattern;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    });
    return pattern + "/" + name;
}

}  // namespace zelkora::fuzzing
