#include "tests/support/run_program.h"

#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/fake_root.h"

namespace zelkora::testing {

namespace {

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

}  // namespace

std::vector<std::string> ProgramRun::errLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

ProgramRun runProgram(const std::filesystem::path& program, const std::string& arguments,
                      const std::filesystem::path& machine, const std::filesystem::path& folder,
                      const std::filesystem::path& stdoutPath) {
    const auto out = stdoutPath.empty() ? folder / "stdout.txt" : stdoutPath;
    const auto err = folder / "stderr.txt";
    const std::string command = "cd " + quoted(folder.string()) +
                                " && ZELKORA_MACHINE=" + quoted(machine.string()) + " " +
                                quoted(program.string()) + " " + arguments + " >" +
                                quoted(out.string()) + " 2>" + quoted(err.string());
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            stdoutPath.empty() ? fileBytes(out) : std::string(), fileBytes(err)};
}

}  // namespace zelkora::testing
