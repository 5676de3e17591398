// Arbitrary bytes as the content of a profile file: reads and writes must
// never crash, and what a read returns must survive the save and a fresh
// load of the file unchanged.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/profile_file.h"
#include "common/profile_line.h"
#include "fuzz/scratch_file.h"

namespace {

using zelkora::common::ProfileFile;

const std::string& profilePath() {
    static const std::string path = zelkora::fuzzing::scratchFile("profile-fuzz", "fuzz.ini");
    return path;
}

struct Probe {
    std::string section;
    std::string key;
    std::string value;
};

// Names and values taken from the file's own lines, so that reads and
// writes hit the sections and keys that the input holds.
std::vector<Probe> probesFrom(std::string_view text) {
    std::vector<Probe> probes;
    while (!text.empty() && probes.size() < 32) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, std::min<std::size_t>(end, 400));
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t equals = line.find('=');
        const std::string_view section = line.substr(line.starts_with('[') ? 1 : 0);
        probes.push_back(
            {std::string(section.substr(0, section.rfind(']'))),
             std::string(line.substr(0, equals)),
             std::string(equals == std::string_view::npos ? line : line.substr(equals + 1))});
    }
    return probes;
}

// What a read returns after `value` was written.
std::string readBack(std::string value) {
    value = value.substr(0, value.find('\0'));
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    using namespace zelkora::common;
    return std::string(unquoteProfileValue(trimProfileBlanks(value)).substr(0, 255));
}

bool isWritableKey(std::string key) {
    key = key.substr(0, key.find('\0'));
    for (char& c : key) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    const std::string_view name = zelkora::common::trimProfileBlanks(key);
    return name.find('=') == std::string_view::npos && !name.starts_with('[') &&
           !name.starts_with(';');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const std::string& path = profilePath();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;

    const std::vector<Probe> probes = probesFrom(content);
    std::vector<std::pair<const Probe*, std::string>> seen;
    {
        ProfileFile profile(true);
        profile.setFile(path);
        for (std::size_t index = 0; index < probes.size(); ++index) {
            const Probe& probe = probes[index];
            profile.getString(probe.key, "-", probe.section);
            profile.getInteger(probe.value, 7);
            if (index % 3 == 0) continue;
            profile.writeString(probe.key, probe.value);
            const std::string read = profile.getString(probe.key, "-");
            // A file that refuses writing (flush says so) keeps its old values.
            if (isWritableKey(probe.key) && read != readBack(probe.value) && profile.flush())
                std::abort();
            profile.writeInteger(probe.value, static_cast<int32_t>(index) - 5, probe.key);
        }
        for (const Probe& probe : probes) {
            seen.emplace_back(&probe, profile.getString(probe.key, "-", probe.section));
        }
    }
    ProfileFile reloaded(true);
    reloaded.setFile(path);
    for (const auto& [probe, value] : seen) {
        if (reloaded.getString(probe->key, "-", probe->section) != value) std::abort();
    }
    return 0;
}
