#pragma once

#include <string>

namespace zelkora::cli {

// The system information library, open for one command and closed after.
class HardwareAccess {
  public:
    HardwareAccess();
    ~HardwareAccess();
    HardwareAccess(const HardwareAccess&) = delete;
    HardwareAccess& operator=(const HardwareAccess&) = delete;

    // False when the library could not open hardware access; the reason
    // (the driver's own, or ours when it gave none) is on stderr then.
    bool opened() const { return opened_; }

  private:
    bool opened_ = false;
};

// A command-line path as the profile file takes it: absolute, against the
// current directory.
std::string absolutePath(const std::string& path);

}  // namespace zelkora::cli
