#include "app/shell/instance_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

namespace zelkora::app {

std::filesystem::path InstanceGuard::defaultDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        return runtime;
    }
    return std::filesystem::path("/tmp") / ("zelkora-" + std::to_string(getuid()));
}

std::optional<InstanceGuard> InstanceGuard::acquire(const std::filesystem::path& directory) {
    std::error_code ignored;
    if (std::filesystem::create_directories(directory, ignored)) {
        // Only the user's own copies may see or take the lock.
        ::chmod(directory.c_str(), 0700);
    }
    // A folder that someone else owns or may write to (a /tmp/zelkora-<uid>
    // made by another user first) could hold a lock or a link of theirs:
    // such a folder is not used, and the program runs without the guard.
    const int folder = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (folder < 0) return InstanceGuard(-1);
    struct stat info {};
    if (::fstat(folder, &info) != 0 || info.st_uid != ::geteuid() || (info.st_mode & 022) != 0) {
        ::close(folder);
        return InstanceGuard(-1);
    }
    // Never follow a link planted where the lock file belongs.
    const int fd = ::openat(folder, kInstanceName, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    ::close(folder);
    if (fd < 0) return InstanceGuard(-1);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return std::nullopt;
        return InstanceGuard(-1);
    }
    return InstanceGuard(fd);
}

InstanceGuard::InstanceGuard(InstanceGuard&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InstanceGuard& InstanceGuard::operator=(InstanceGuard&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

InstanceGuard::~InstanceGuard() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace zelkora::app
