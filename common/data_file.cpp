#include "common/data_file.h"

#include <dlfcn.h>

#include <filesystem>

#include "common/profile_file.h"

#ifndef ZELKORA_LIB_TO_DATA
#define ZELKORA_LIB_TO_DATA "../share/zelkora"
#endif

namespace zelkora::common {

namespace {

bool isFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The installed data folder as seen from this code's own library, which lies
// in the library folder of the tree that the program and libzelkora-sysinfo
// were installed in (the loader names it by the path it was loaded from).
std::string installedDataDirectory() {
    Dl_info self{};
    if (!dladdr(reinterpret_cast<void*>(&installedDataDirectory), &self) || !self.dli_fname)
        return programDirectory();
    const std::string library = self.dli_fname;
    const std::size_t slash = library.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : library.substr(0, slash + 1);
    return folder + ZELKORA_LIB_TO_DATA "/";
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
