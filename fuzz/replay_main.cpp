// Runs the inputs of a fuzz corpus once each through the target, for builds
// without libFuzzer: each argument is a file or a folder of files. Fails when
// there was nothing to run; a fault in the target aborts as it would under
// the fuzzer (with the sanitizers' report in a sanitizer build).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

void collect(const fs::path& path, std::vector<fs::path>& inputs) {
    if (fs::is_directory(path)) {
        std::vector<fs::path> entries;
        for (const auto& entry : fs::directory_iterator(path))
            if (entry.is_regular_file()) entries.push_back(entry.path());
        std::sort(entries.begin(), entries.end());
        inputs.insert(inputs.end(), entries.begin(), entries.end());
    } else if (fs::is_regular_file(path)) {
        inputs.push_back(path);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i)
        collect(argv[i], inputs);
    if (inputs.empty()) {
        std::fprintf(stderr, "no corpus inputs found\n");
        return 1;
    }
    for (const auto& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        std::printf("%s (%zu bytes)\n", input.filename().c_str(), bytes.size());
        std::fflush(stdout);
        // A copy of exactly the input's size, so that a read past its end is
        // caught by the address sanitizer as under the fuzzer.
        const std::vector<uint8_t> data(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
