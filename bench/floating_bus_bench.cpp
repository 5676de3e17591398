// Cost of the IDE and Super-I/O walks on a live host whose legacy ports
// float (no raw port access): every IDE position reads busy forever, so each
// costs two full busy waits of 249999 status reads; the Super-I/O walk finds
// no chip and takes the VIA path. Compared with the same walks on a
// simulated board with drives and a chip, to show what the floating bus adds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/port_io.h"
#include "lib/devices/ide_devices.h"
#include "lib/devices/superio_devices.h"
#include "platform/machine/machine_file.h"
#include "tests/support/test_driver.h"
#include "winio/live/live_host.h"
#include "winio/sim/board_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace zelkora;

// A live host that sees no PCI devices and no firmware tables, so that the
// VIA path's configuration writes reach nothing on the machine running this.
std::shared_ptr<winio::Backend> isolatedLiveHost() {
    static const fs::path empty = [] {
        std::string pattern = (fs::temp_directory_path() / "floating-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return fs::path(pattern);
    }();
    return std::make_shared<winio::live::LiveHost>(
        winio::live::HostPaths{empty, empty, empty, empty, {empty, empty}}, false);
}

std::shared_ptr<winio::Backend> demoBoard() {
    return std::shared_ptr<winio::Backend>(winio::sim::loadBoard(
        fs::path(__FILE__).parent_path().parent_path() / "machines" / "demo.json"));
}

void BM_IdeWalkFloatingBus(benchmark::State& state) {
    testing::TestDriver driver(isolatedLiveHost());
    common::PortIo& ports = driver.ports();
    for (auto _ : state)
        benchmark::DoNotOptimize(devices::enumerateIdeDevices(ports));
}
BENCHMARK(BM_IdeWalkFloatingBus)->Unit(benchmark::kMillisecond);

void BM_IdeWalkDemoBoard(benchmark::State& state) {
    testing::TestDriver driver(demoBoard());
    common::PortIo& ports = driver.ports();
    for (auto _ : state)
        benchmark::DoNotOptimize(devices::enumerateIdeDevices(ports));
}
BENCHMARK(BM_IdeWalkDemoBoard)->Unit(benchmark::kMillisecond);

void BM_SuperIoWalkFloatingBus(benchmark::State& state) {
    testing::TestDriver driver(isolatedLiveHost());
    common::PortIo& ports = driver.ports();
    std::string manufacturer;
    for (auto _ : state)
        benchmark::DoNotOptimize(devices::enumerateSuperIoDevices(ports, manufacturer));
}
BENCHMARK(BM_SuperIoWalkFloatingBus)->Unit(benchmark::kMillisecond);

void BM_SuperIoWalkDemoBoard(benchmark::State& state) {
    testing::TestDriver driver(demoBoard());
    common::PortIo& ports = driver.ports();
    std::string manufacturer;
    for (auto _ : state)
        benchmark::DoNotOptimize(devices::enumerateSuperIoDevices(ports, manufacturer));
}
BENCHMARK(BM_SuperIoWalkDemoBoard)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
