#include "platform/live/system_root.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        // sysfs files say they are 4096 bytes whatever they hold: read to the end.
        text.emplace(limit, '\0');
        std::size_t done = 0;
        while (done < limit) {
            const ssize_t got = ::read(fd, text->data() + done, limit - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                text.reset();
                break;
            }
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        if (text) text->resize(done);
    }
    ::close(fd);
    return text;
}

}  // namespace zelkora::platform
