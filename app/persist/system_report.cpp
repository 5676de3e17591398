#include "app/persist/system_report.h"

#include "app/persist/report_entries.h"
#include "common/profile_file.h"

namespace zelkora::persist {

bool writeModelReport(const std::string& path, const MachineModel& model, std::string* problem) {
    common::ProfileFile profile(true);
    profile.setFile(path);
    for (const ReportEntry& entry : reportEntries(model, EntryStyle::Report))
        profile.writeString(entry.key, entry.value, entry.section);
    if (profile.flush()) return true;
    if (problem) *problem = profile.writeProblem();
    return false;
}

bool writeSystemReport(const std::string& path, std::span<const IDEDeviceInfo> ideRecords,
                       std::string* problem) {
    return writeModelReport(path, readMachineModel(allMachineSections(), ideRecords), problem);
}

}  // namespace zelkora::persist
