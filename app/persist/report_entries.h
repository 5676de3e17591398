#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/persist/machine_model.h"

namespace zelkora::persist {

// One key of the system report, with the section it goes into.
struct ReportEntry {
    std::string_view section;
    std::string key;
    std::string value;
};

enum class EntryStyle {
    // The system report as it has always been written: the three chipset
    // driver fields left out, and every Super-I/O record writing the chip's
    // three keys again (an INI file keeps the last).
    Report,
    // The text listing: the same keys and values, the chipset driver's too,
    // and the chip's keys once per chip.
    Listing,
};

// The keys of the model's sections in the report's order, each value as the
// report writes it: texts unchanged, numbers as "%d" (a 32-bit value with its
// top bit set is negative), the processor ratio as "%g".
std::vector<ReportEntry> reportEntries(const MachineModel& model, EntryStyle style);

}  // namespace zelkora::persist
