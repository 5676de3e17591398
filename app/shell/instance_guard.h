#pragma once

#include <filesystem>
#include <optional>

namespace zelkora::app {

// Keeps a second copy of the program from starting: an exclusive lock on a
// file named after the program's instance name, held for the life of the
// process. The kernel drops the lock when the process ends, even by a crash.
class InstanceGuard {
  public:
    static constexpr const char* kInstanceName = "{F5EFF561-ECB3-11d1-A18D-DCB3C85EBD34}";

    // The user's runtime directory: $XDG_RUNTIME_DIR, else /tmp/zelkora-<uid>.
    static std::filesystem::path defaultDirectory();

    // The guard when this is the only copy; empty when another copy holds the
    // lock. The folder is used only when it belongs to the user and no one
    // else may write to it. A lock file that cannot be created there does
    // not stop the program (a read-only runtime directory must not lock the
    // user out).
    static std::optional<InstanceGuard> acquire(const std::filesystem::path& directory);

    InstanceGuard(InstanceGuard&& other) noexcept;
    InstanceGuard& operator=(InstanceGuard&& other) noexcept;
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;
    ~InstanceGuard();

  private:
    explicit InstanceGuard(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace zelkora::app
