// The live host's PCI listing of a fake root with 200 functions, against
// `lspci -xxx` reading the same tree, in one run. Each of our listings starts
// cold, as a new process would: a new driver backend and new live services
// (so the registry is built again from sysfs and pci.ids).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lib/hw/driver.h"
#include "platform/live/live_services.h"
#include "platform/services.h"
#include "tests/support/fake_root.h"
#include "tests/support/test_driver.h"
#include "winio/live/live_host.h"
#include "zelkora/sysinfo.h"

namespace {

using namespace zelkora;

constexpr int kFunctions = 200;
constexpr int kRounds = 20;

double secondsOf(auto&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

size_t coldListing() {
    hw::setDriver(std::make_shared<testing::TestDriver>(std::make_shared<winio::live::LiveHost>()));
    platform::setServices(platform::makeLiveServices());
    size_t count = 0;
    if (InitializeSysInfoLib() == 1) {
        for (DevicePos pos = GetFirstPCIDevicePos(); pos; ++count) {
            PCIDeviceInfo record{};
            GetNextPCIDevice(&record, &pos);
        }
    }
    UninitializeSysInfoLib();
    return count;
}

size_t warmListing() {
    size_t count = 0;
    for (DevicePos pos = GetFirstPCIDevicePos(); pos; ++count) {
        PCIDeviceInfo record{};
        GetNextPCIDevice(&record, &pos);
    }
    return count;
}

// Runs lspci without a shell in between, its output thrown away; false when
// it cannot be started or fails.
bool runLspci(const std::string& sysfsPath) {
    const std::string option = "sysfs.path=" + sysfsPath;
    std::vector<char*> argv = {const_cast<char*>("lspci"), const_cast<char*>("-xxx"),
                               const_cast<char*>("-O"), const_cast<char*>(option.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawnp(&child, "lspci", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Lists `sysfs` (the bus of the system root in force) cold and warm, then
// runs lspci on the same tree.
int compare(const std::string& sysfs, size_t expected) {
    size_t listed = 0;
    const double cold = secondsOf([&] {
                            for (int round = 0; round < kRounds; ++round)
                                listed = coldListing();
                        }) /
                        kRounds;

    hw::setDriver(std::make_shared<testing::TestDriver>(std::make_shared<winio::live::LiveHost>()));
    platform::setServices(platform::makeLiveServices());
    InitializeSysInfoLib();
    warmListing();
    const double warm = secondsOf([&] {
                            for (int round = 0; round < kRounds; ++round)
                                warmListing();
                        }) /
                        kRounds;
    UninitializeSysInfoLib();

    const int status = expected == 0 || listed == expected ? 0 : 1;
    std::printf("Live PCI listing of %s: %zu functions listed\n", sysfs.c_str(), listed);
    std::printf("  cold listing (new backend and registry) : %8.2f ms\n", cold * 1e3);
    std::printf("  listing again in the same process       : %8.2f ms\n", warm * 1e3);
    if (!runLspci(sysfs)) {  // also warms the page cache, as our first round did
        std::printf("  lspci not installed or failing: no comparison\n");
        return status;
    }
    const double lspci = secondsOf([&] {
                             for (int round = 0; round < kRounds; ++round)
                                 runLspci(sysfs);
                         }) /
                         kRounds;
    std::printf("  lspci -xxx (a process of its own)       : %8.2f ms\n", lspci * 1e3);
    std::printf("  ratio cold listing / lspci              : %8.2f (goal: at most 1)\n",
                cold / lspci);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // "--host": this machine's own bus (only sysfs and pci.ids are read).
    if (argc > 1 && std::string_view(argv[1]) == "--host") return compare("/sys/bus/pci", 0);
    const testing::FakeRoot root("zelkora-live-listing-bench");
    for (int i = 0; i < kFunctions; ++i) {
        char address[16];
        std::snprintf(address, sizeof address, "%02x:%02x.%x", i / 40, (i % 40) / 2, i % 2);
        const auto device = static_cast<uint16_t>(0x1000 + i);
        root.addPciFunction(address, testing::pciSpace(0x8086, device, 0x020000, i % 3,
                                                       0x10430000u + static_cast<unsigned>(i)));
    }
    return compare((root.path() / "sys/bus/pci").string(), kFunctions);
}
