#pragma once

#include <span>
#include <string>

#include "app/persist/machine_model.h"
#include "zelkora/sysinfo.h"

namespace zelkora::persist {

// Writes the model into the profile file at `path` (an absolute path), key
// by key: existing keys get new values, other sections and keys stay. False
// when the file could not be written; `problem` then says why.
bool writeModelReport(const std::string& path, const MachineModel& model,
                      std::string* problem = nullptr);

// Reads everything the library reports and writes it as above. `ideRecords`
// is the IDE page's list; when it is empty the drives come from the
// library's own walk, with "None" and zeros for an empty position.
bool writeSystemReport(const std::string& path, std::span<const IDEDeviceInfo> ideRecords,
                       std::string* problem = nullptr);

}  // namespace zelkora::persist
