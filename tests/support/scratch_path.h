#pragma once

#include <unistd.h>

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

}  // namespace zelkora::testing
