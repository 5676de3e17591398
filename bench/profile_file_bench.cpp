// Cost of writing a PCI configuration save through ProfileFile: 257 keys per
// function, one section per description. Shows keys written per second
// against the size of the file, for a new file, over an existing file, and
// for a file rewritten whole after every key (one object per key), which is
// what a store without a shared cache would do.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/profile_file.h"

namespace {

namespace fs = std::filesystem;
using zelkora::common::ProfileFile;

const fs::path& workDirectory() {
    static const fs::path directory = [] {
        std::string pattern = (fs::temp_directory_path() / "profile-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return fs::path(pattern);
    }();
    return directory;
}

struct PciKey {
    std::string section;
    std::string key;
    std::string value;
};

// The keys of a save of `functions` PCI functions, in the order a save
// writes them; every seventh function repeats a description.
std::vector<PciKey> pciSaveKeys(int functions) {
    std::vector<PciKey> keys;
    keys.reserve(static_cast<std::size_t>(functions) * 257);
    std::array<char, 64> text{};
    for (int index = 0; index < functions; ++index) {
        const int bus = index / 32;
        const int device = index % 32;
        const int function = index % 8;
        const int description = index % 7 == 6 ? index - 1 : index;
        std::snprintf(text.data(), text.size(), "Chipset PCI Function %d (rev %02X)", description,
                      description & 0xFF);
        const std::string section = text.data();
        std::snprintf(text.data(), text.size(), "Bus%2.2X Dev%2.2X Fun%2.2X", bus, device,
                      function);
        const std::string prefix = text.data();
        keys.push_back({section, prefix + " DeviceDesc", section});
        for (int offset = 0; offset < 256; ++offset) {
            std::snprintf(text.data(), text.size(), "%2.2Xh", (offset * 37 + index) & 0xFF);
            const std::string value = text.data();
            std::snprintf(text.data(), text.size(), "%s Register %2.2Xh", prefix.c_str(), offset);
            keys.push_back({section, text.data(), value});
        }
    }
    return keys;
}

void writeAll(const std::string& path, const std::vector<PciKey>& keys) {
    ProfileFile profile(true);
    profile.setFile(path);
    for (const PciKey& key : keys)
        profile.writeString(key.key, key.value, key.section);
}

void report(benchmark::State& state, const std::string& path, std::size_t keysPerIteration) {
    state.counters["keys/s"] = benchmark::Counter(
        static_cast<double>(keysPerIteration) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(path));
}

void SaveToNewFile(benchmark::State& state) {
    const std::vector<PciKey> keys = pciSaveKeys(static_cast<int>(state.range(0)));
    const std::string path = (workDirectory() / "new.ini").string();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(path);
        state.ResumeTiming();
        writeAll(path, keys);
    }
    report(state, path, keys.size());
}

void SaveOverExistingFile(benchmark::State& state) {
    const std::vector<PciKey> keys = pciSaveKeys(static_cast<int>(state.range(0)));
    const std::string path = (workDirectory() / "existing.ini").string();
    fs::remove(path);
    writeAll(path, keys);
    std::vector<PciKey> changed = keys;
    for (PciKey& key : changed)
        key.value = "00h";
    bool flip = false;
    for (auto _ : state) {
        writeAll(path, flip ? keys : changed);
        flip = !flip;
    }
    report(state, path, keys.size());
}

// Every key through its own object: read, change and save the whole file.
void RewriteWholeFilePerKey(benchmark::State& state) {
    const std::vector<PciKey> keys = pciSaveKeys(static_cast<int>(state.range(0)));
    const std::string path = (workDirectory() / "per-key.ini").string();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(path);
        state.ResumeTiming();
        for (const PciKey& key : keys) {
            ProfileFile profile(true);
            profile.setFile(path);
            profile.writeString(key.key, key.value, key.section);
        }
    }
    report(state, path, keys.size());
}

// Wall-clock time: the cost of a save is mostly the file system's.
BENCHMARK(SaveToNewFile)->Arg(1)->Arg(10)->Arg(100)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SaveOverExistingFile)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RewriteWholeFilePerKey)
    ->Arg(1)
    ->Arg(4)
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(workDirectory(), ignored);
    return 0;
}
