#include "cli/hardware_access.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "zelkora/sysinfo.h"

namespace zelkora::cli {

namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Opens the library once and passes on what the driver printed about it, so
// that a refused start gives one line naming its cause rather than ours
// beside the driver's.
bool openLibrary() {
    std::fflush(stderr);
    const std::unique_ptr<std::FILE, FileClose> capture(std::tmpfile());
    const int saved = capture ? ::dup(STDERR_FILENO) : -1;
    if (saved < 0 || ::dup2(::fileno(capture.get()), STDERR_FILENO) < 0) {
        if (saved >= 0) ::close(saved);
        return InitializeSysInfoLib() == 1;
    }
    const bool opened = InitializeSysInfoLib() == 1;
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);

    std::rewind(capture.get());
    bool said = false;
    char buffer[512];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, capture.get())) > 0;) {
        std::fwrite(buffer, 1, got, stderr);
        said = true;
    }
    if (!opened && !said) {
        std::fputs("zelkora-cli: Initialize Systeminfo library error,please retry!\n", stderr);
    }
    return opened;
}

}  // namespace

HardwareAccess::HardwareAccess() : opened_(openLibrary()) {}

HardwareAccess::~HardwareAccess() {
    UninitializeSysInfoLib();
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

}  // namespace zelkora::cli
