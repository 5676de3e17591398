#pragma once

#include <filesystem>

namespace zelkora::testing {

// The source tree and the folder of the build's programs, as configured.
// Only build_paths.cpp is compiled with them, so that the other test sources
// compile alike in every checkout and come from the compiler cache.
extern const char kSourceDirText[];
extern const char kOutputDirText[];

inline const std::filesystem::path kSourceDir = kSourceDirText;
inline const std::filesystem::path kOutputDir = kOutputDirText;

}  // namespace zelkora::testing
