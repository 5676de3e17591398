#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"

namespace zelkora::testing {

struct ProgramRun {
    int status = -1;  // the exit status, -1 when it did not exit
    std::string out;
    std::string err;
    std::vector<std::string> errLines() const;
};

// Runs `program arguments` through the shell in `folder`, with ZELKORA_MACHINE
// naming `machine` (empty: the live host); its output is kept in files in
// that folder, or standard output goes to `stdoutPath` when one is given.
ProgramRun runProgram(const std::filesystem::path& program, const std::string& arguments,
                      const std::filesystem::path& machine, const std::filesystem::path& folder,
                      const std::filesystem::path& stdoutPath = {});

}  // namespace zelkora::testing
