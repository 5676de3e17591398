#include "platform/live/system_root.h"

#include <cstdlib>
#include <system_error>

namespace zelkora::platform {

std::filesystem::path systemRoot() {
    const char* root = std::getenv("ZELKORA_SYSROOT");
    return root && *root ? std::filesystem::path(root) : std::filesystem::path("/");
}

std::filesystem::path hostPath(std::string_view relative) {
    while (!relative.empty() && relative.front() == '/')
        relative.remove_prefix(1);
    return systemRoot() / relative;
}

std::filesystem::path dataFilePath(std::string_view absolute) {
    const auto own = hostPath(absolute);
    std::error_code error;
    if (systemRoot() != "/" && std::filesystem::exists(own, error)) return own;
    return std::filesystem::path(absolute);
}

}  // namespace zelkora::platform
