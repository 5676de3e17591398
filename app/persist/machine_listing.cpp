#include "app/persist/machine_listing.h"

#include "app/persist/report_entries.h"

namespace zelkora::persist {

std::string machineListing(const MachineModel& model) {
    std::string text;
    const std::vector<ReportEntry> entries = reportEntries(model, EntryStyle::Listing);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ReportEntry& entry = entries[i];
        if (i == 0 || entries[i - 1].section != entry.section)
            text.append(i == 0 ? "[" : "\n[").append(entry.section).append("]\n");
        text.append(entry.key).append("=").append(entry.value).append("\n");
    }
    return text;
}

}  // namespace zelkora::persist
