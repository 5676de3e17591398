#pragma once

#include <cstdint>
#include <optional>

#include "common/port_io.h"
#include "registers/pci_field_spec.h"

namespace zelkora::registers {

// One field-exact write to one function.
struct PciFieldWrite {
    uint8_t bus = 0;
    uint8_t device = 0;
    uint8_t function = 0;
    ResolvedField field;
    uint32_t value = 0;
    std::optional<uint32_t> mask;  // only these bits change; all without one
};

struct PciFieldWriteOutcome {
    std::optional<uint32_t> before;  // the field before, when it was read
    uint32_t written = 0;
    uint32_t readBack = 0;
    // Bits the write set or cleared that read back otherwise (read-only or
    // owned by the hardware). Write-1-to-clear bits are not counted.
    uint32_t notStuck = 0;
    bool wrote = false;    // the write was sent
    bool refused = false;  // the driver refused it
    // A read gave no reading (the host refused it): with a mask the old bits
    // are unknown and nothing is written; after the write the read-back is
    // unknown and nothing can be said of which bits stuck.
    bool readRefused = false;
};

// The value a masked write sends: the masked bits from `value`, the others
// as they were, except write-1-to-clear bits, which are sent as 0 so that
// they stay as they are.
uint32_t mergedFieldValue(uint32_t before, const PciFieldWrite& write);

// Reads the field first when a mask needs the old bits or `readBefore` asks
// (to keep it for undoing), writes it, and reads it back: each access one
// address write and one data access of the field's width.
PciFieldWriteOutcome applyPciFieldWrite(common::PortIo& ports, const PciFieldWrite& write,
                                        bool readBefore);

}  // namespace zelkora::registers
