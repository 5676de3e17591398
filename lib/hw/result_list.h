#pragma once

#include <vector>

#include "zelkora/sysinfo.h"

namespace zelkora::hw {

// One enumeration's records inside the library. A position points at a
// record; a rebuild invalidates every earlier position.
template <typename Record>
class ResultList {
  public:
    void clear() { records_.clear(); }
    void append(const Record& record) { records_.push_back(record); }
    std::vector<Record>& records() { return records_; }
    const std::vector<Record>& records() const { return records_; }

    DevicePos first() { return records_.empty() ? nullptr : records_.data(); }

    // Copies the record at *pos into *out and moves *pos to the next record
    // (null after the last). A position that is not in the list (null, or
    // left from an earlier walk) ends the walk and leaves *out untouched.
    Record* next(Record* out, DevicePos* pos) {
        if (!out || !pos) return out;
        auto* current = static_cast<Record*>(*pos);
        const Record* begin = records_.data();
        const Record* end = begin + records_.size();
        if (!current || current < begin || current >= end) {
            *pos = nullptr;
            return out;
        }
        *out = *current;
        *pos = current + 1 < end ? current + 1 : nullptr;
        return out;
    }

  private:
    std::vector<Record> records_;
};

}  // namespace zelkora::hw
