#include "common/data_file.h"

#include <dlfcn.h>
#include <sys/auxv.h>

#include <filesystem>

#include "common/profile_file.h"

#ifndef ZELKORA_BIN_TO_DATA
#define ZELKORA_BIN_TO_DATA "../share/zelkora"
#endif
#ifndef ZELKORA_LIB_TO_DATA
#define ZELKORA_LIB_TO_DATA "../share/zelkora"
#endif

namespace zelkora::common {

namespace {

bool isFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The installed data folder as seen from this module. The loader names the
// executable only by its argv[0], so the executable's own folder is taken
// from /proc/self/exe; a shared library is named by the path it was loaded
// from.
std::string installedDataDirectory() {
    Dl_info self{};
    Dl_info program{};
    const auto* programHeaders = reinterpret_cast<const void*>(getauxval(AT_PHDR));
    if (dladdr(reinterpret_cast<void*>(&installedDataDirectory), &self) && self.dli_fname &&
        dladdr(programHeaders, &program) && program.dli_fbase != self.dli_fbase) {
        const std::string library = self.dli_fname;
        const std::size_t slash = library.rfind('/');
        const std::string folder = slash == std::string::npos ? "./" : library.substr(0, slash + 1);
        return folder + ZELKORA_LIB_TO_DATA "/";
    }
    return programDirectory() + ZELKORA_BIN_TO_DATA "/";
}

}  // namespace

std::string dataFilePath(std::string_view name) {
    if (name.starts_with('/')) return std::string(name);
    std::string beside = programDirectory() + std::string(name);
    if (isFile(beside)) return beside;
    std::string installed = installedDataDirectory() + std::string(name);
    return isFile(installed) ? installed : beside;
}

}  // namespace zelkora::common
