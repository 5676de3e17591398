// The PCI configuration file of a board with 200 functions (51,400 keys):
// save and load through the real writer and the simulated bus, in keys per
// second, against a naive store that reads and rewrites the whole file for
// every key. And the system report of the demo board, in milliseconds.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/persist/library_ports.h"
#include "app/persist/pci_config_file.h"
#include "app/persist/system_report.h"
#include "common/pci_config.h"
#include "common/profile_file.h"
#include "tests/support/simulated_machine.h"
#include "tests/support/test_driver.h"

namespace {

namespace fs = std::filesystem;
using zelkora::persist::PciFunction;

constexpr int kFunctions = 200;
constexpr int kNaiveKeys = 257;  // one function's worth: the naive store is that slow

const fs::path& workDirectory() {
    static const fs::path directory = [] {
        std::string pattern = (fs::temp_directory_path() / "pci-config-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return fs::path(pattern);
    }();
    return directory;
}

// 200 functions, eight to a device, each with its own description and
// registers that differ from function to function.
struct Board {
    Board() {
        std::string json = R"({"pci": {"functions": [)";
        std::array<char, 200> text{};
        for (int index = 0; index < kFunctions; ++index) {
            const int bus = index / 64, device = index / 8 % 8, function = index % 8;
            std::snprintf(text.data(), text.size(),
                          R"(%s{"address": "%02x:%02x.%x", "vendor": "0x8086", "device": "0x%04X",)"
                          R"( "bytes": {"0x40": "0x%02X", "0x80": "0x%02X"}})",
                          index ? "," : "", bus, device, function, 0x2400 + index, index & 0xFF,
                          (index * 7) & 0xFF);
            json += text.data();
            std::snprintf(text.data(), text.size(), "Bench Function %d", index);
            functions.push_back({static_cast<uint8_t>(bus), static_cast<uint8_t>(device),
                                 static_cast<uint8_t>(function), text.data()});
        }
        json += "]}}";
        machine = std::make_unique<zelkora::testing::SimulatedMachine>(json);
        ports = &machine->ports();
    }
    std::unique_ptr<zelkora::testing::SimulatedMachine> machine;
    zelkora::common::PortIo* ports = nullptr;
    std::vector<PciFunction> functions;
};

std::string keyOf(const PciFunction& function, int offset) {
    std::array<char, 40> text{};
    std::snprintf(text.data(), text.size(), "Bus%2.2X Dev%2.2X Fun%2.2X Register %2.2Xh",
                  function.bus, function.device, function.function, offset);
    return text.data();
}

void keysPerSecond(benchmark::State& state, std::size_t keys) {
    state.counters["keys/s"] =
        benchmark::Counter(static_cast<double>(keys) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void PciSave(benchmark::State& state) {
    Board board;
    const std::string path = (workDirectory() / "save.ini").string();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(path);
        state.ResumeTiming();
        if (!zelkora::persist::savePciConfig(path, board.functions, *board.ports)) std::abort();
    }
    keysPerSecond(state, board.functions.size() * 257);
}

void PciLoad(benchmark::State& state) {
    Board board;
    const std::string path = (workDirectory() / "load.ini").string();
    zelkora::persist::savePciConfig(path, board.functions, *board.ports);
    for (auto _ : state) {
        const auto writes = zelkora::persist::planPciLoad(path, board.functions);
        zelkora::persist::applyPciLoad(writes, *board.ports);
        if (writes.size() != board.functions.size() * 256) std::abort();
    }
    keysPerSecond(state, board.functions.size() * 256);
}

// The same keys, each through its own object: the whole file read, changed
// and written back (through a temporary file and fsync) for every key.
void NaivePciSavePerKey(benchmark::State& state) {
    Board board;
    const std::string path = (workDirectory() / "naive-save.ini").string();
    zelkora::persist::savePciConfig(path, board.functions, *board.ports);
    std::array<uint8_t, 256> config{};
    for (auto _ : state) {
        const PciFunction& function = board.functions.back();
        zelkora::common::ReadPCIConfigByteBlock(*board.ports, function.bus, function.device,
                                                function.function, config);
        for (int offset = 0; offset < kNaiveKeys - 1; ++offset) {
            zelkora::common::ProfileFile profile(true);
            profile.setFile(path);
            std::array<char, 8> value{};
            std::snprintf(value.data(), value.size(), "%2.2Xh", config[offset] ^ 0xFF);
            profile.writeString(keyOf(function, offset), value.data(), function.description);
        }
        zelkora::common::ProfileFile profile(true);
        profile.setFile(path);
        profile.writeString("Bus Dev Fun DeviceDesc", function.description, function.description);
    }
    keysPerSecond(state, kNaiveKeys);
}

// A load that opens the file afresh for every key it reads.
void NaivePciLoadPerKey(benchmark::State& state) {
    Board board;
    const std::string path = (workDirectory() / "naive-load.ini").string();
    zelkora::persist::savePciConfig(path, board.functions, *board.ports);
    for (auto _ : state) {
        const PciFunction& function = board.functions.back();
        for (int offset = 0; offset < kNaiveKeys - 1; ++offset) {
            zelkora::common::ProfileFile profile(true);
            profile.setFile(path);
            const auto value = zelkora::persist::parseRegisterValue(
                profile.getString(keyOf(function, offset), "", function.description));
            if (value) {
                zelkora::common::WritePCIConfigByte(*board.ports, function.bus, function.device,
                                                    function.function, static_cast<uint8_t>(offset),
                                                    *value);
            }
        }
    }
    keysPerSecond(state, kNaiveKeys - 1);
}

void DemoBoardReport(benchmark::State& state) {
    auto machine =
        zelkora::testing::SimulatedMachine::fromFile(zelkora::testing::kMachinesDir / "demo.json");
    if (!machine->open()) std::abort();
    const std::string path = (workDirectory() / "report.ini").string();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(path);
        state.ResumeTiming();
        if (!zelkora::persist::writeSystemReport(path, {})) std::abort();
    }
}

BENCHMARK(PciSave)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(NaivePciSavePerKey)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PciLoad)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(NaivePciLoadPerKey)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DemoBoardReport)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(workDirectory(), ignored);
    return 0;
}
