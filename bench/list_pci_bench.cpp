// `zelkora-cli list pci` against `lspci -xxx`, both as processes of their own
// reading the same bus, as medians of 15 interleaved runs: on this machine's
// bus and on a fake root of 2,000 functions (buses 1-8 behind a bridge, the
// host's pci.ids for names). Prints the medians and their ratio.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/fake_root.h"

namespace {

namespace fs = std::filesystem;
using zelkora::testing::FakeRoot;
using zelkora::testing::pciSpace;

constexpr int kRuns = 15;
constexpr unsigned kFakeFunctions = 2000;

// Runs `argv` with `environment`, its output thrown away; seconds it took,
// or a negative number when it could not run or failed.
double timedRun(std::vector<std::string> argv, const std::vector<std::string>& environment) {
    std::vector<char*> args, env;
    for (auto& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    std::vector<std::string> envCopy = environment;
    for (auto& entry : envCopy)
        env.push_back(entry.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int started = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    const bool ran = started == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                     WEXITSTATUS(status) == 0;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return ran ? seconds : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The environment of this process without ZELKORA_MACHINE (the live host)
// and with ZELKORA_SYSROOT as given (empty: left out).
std::vector<std::string> environmentFor(const std::string& sysroot) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (text.starts_with("ZELKORA_MACHINE=") || text.starts_with("ZELKORA_SYSROOT=")) continue;
        environment.push_back(text);
    }
    if (!sysroot.empty()) environment.push_back("ZELKORA_SYSROOT=" + sysroot);
    return environment;
}

// How many lines of a command's output match `pattern` (run in this
// process's environment, where a fake root names itself).
std::size_t countLines(const std::vector<std::string>& argv, const std::string& pattern) {
    std::string command = "env -u ZELKORA_MACHINE";
    for (const auto& arg : argv)
        command += " '" + arg + "'";
    command += " 2>/dev/null | grep -c '" + pattern + "'";
    unsigned long count = 0;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lu", &count) != 1) count = 0;
        ::pclose(pipe);
    }
    return count;
}

int compare(const std::string& title, const std::string& sysroot) {
    const auto environment = environmentFor(sysroot);
    const std::string sysfs = (fs::path(sysroot.empty() ? "/" : sysroot) / "sys/bus/pci").string();
    const std::vector<std::string> ours = {ZELKORA_OUTPUT_DIR "/zelkora-cli", "list", "pci"};
    const std::vector<std::string> theirs = {"lspci", "-xxx", "-O", "sysfs.path=" + sysfs};
    std::vector<double> ourTimes, theirTimes;
    for (int run = 0; run < kRuns; ++run) {
        ourTimes.push_back(timedRun(ours, environment));
        theirTimes.push_back(timedRun(theirs, environment));
    }
    std::printf("%s\n", title.c_str());
    std::printf("  functions listed: zelkora-cli %zu, lspci %zu\n", countLines(ours, "DeviceDesc="),
                countLines(theirs, "^[0-9a-f]*:[0-9a-f]"));
    if (*std::min_element(ourTimes.begin(), ourTimes.end()) < 0) {
        std::printf("  zelkora-cli list pci failed\n");
        return 1;
    }
    std::printf("  zelkora-cli list pci, median of %d : %8.2f ms\n", kRuns, median(ourTimes) * 1e3);
    if (*std::min_element(theirTimes.begin(), theirTimes.end()) < 0) {
        std::printf("  lspci not installed or failing: no comparison\n");
        return 0;
    }
    std::printf("  lspci -xxx, median of %d          : %8.2f ms\n", kRuns,
                median(theirTimes) * 1e3);
    std::printf("  ratio zelkora-cli / lspci          : %8.2f (goal: at most 1)\n",
                median(ourTimes) / median(theirTimes));
    return 0;
}

// Buses 1 to 8 behind one bridge on bus 0, 250 functions each (multi-function
// devices of eight), with the host bridge: 2,000 functions.
void fillFakeRoot(const FakeRoot& root) {
    root.addPciFunction("00:00.0", pciSpace(0x8086, 0x29C0, 0x060000, 0x10, 0x82761043));
    std::string bridge = pciSpace(0x8086, 0x29C1, 0x060400, 0x10, 0, 0x01);
    bridge[0x19] = 1;  // secondary bus
    bridge[0x1A] = 8;  // subordinate bus
    root.addPciFunction("00:01.0", bridge);
    for (unsigned n = 0; n + 2 < kFakeFunctions; ++n) {
        const unsigned bus = 1 + n / 250, device = (n % 250) / 8, function = n % 8;
        char address[16];
        std::snprintf(address, sizeof address, "%02x:%02x.%x", bus, device, function);
        root.addPciFunction(address, pciSpace(0x8086, static_cast<uint16_t>(0x10C9 + function),
                                              0x020000, 1, 0xA03C8086u, function == 0 ? 0x80 : 0));
    }
    // lspci and the library both name the functions from pci.ids.
    for (const char* ids : {"usr/share/misc/pci.ids", "usr/share/hwdata/pci.ids"}) {
        if (!fs::exists(fs::path("/") / ids)) continue;
        fs::create_directories((root.path() / ids).parent_path());
        fs::create_symlink(fs::path("/") / ids, root.path() / ids);
    }
}

}  // namespace

int main() {
    int status = compare("This machine's bus (/sys/bus/pci)", "");
    const FakeRoot root("zelkora-list-pci-bench");
    fillFakeRoot(root);
    status |= compare("A fake root of 2,000 functions", root.path().string());
    return status;
}
