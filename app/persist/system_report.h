#pragma once

#include <span>
#include <string>

#include "zelkora/sysinfo.h"

namespace zelkora::persist {

// Writes everything the library reports about the machine into the profile
// file at `path` (an absolute path), key by key: existing keys get new values,
// other sections and keys stay. `ideRecords` is the IDE page's list; when it
// is empty the drives come from the library's own walk, with "None" and
// zeros for an empty position. False when the file could not be written;
// `problem` then says why.
bool writeSystemReport(const std::string& path, std::span<const IDEDeviceInfo> ideRecords,
                       std::string* problem = nullptr);

}  // namespace zelkora::persist
