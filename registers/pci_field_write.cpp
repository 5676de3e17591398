#include "registers/pci_field_write.h"

#include "common/pci_field_access.h"

namespace zelkora::registers {

uint32_t mergedFieldValue(uint32_t before, const PciFieldWrite& write) {
    const uint32_t all = fieldMask(write.field.width);
    const uint32_t mask = write.mask.value_or(all) & all;
    return ((before & ~mask & ~write.field.rw1cMask) | (write.value & mask)) & all;
}

PciFieldWriteOutcome applyPciFieldWrite(common::PortIo& ports, const PciFieldWrite& write,
                                        bool readBefore) {
    const ResolvedField& field = write.field;
    const uint32_t all = fieldMask(field.width);
    const uint32_t mask = write.mask.value_or(all) & all;
    PciFieldWriteOutcome outcome;
    ports.takeRefusedRead();
    if (readBefore || mask != all) {
        outcome.before = common::readPciField(ports, write.bus, write.device, write.function,
                                              field.offset, field.width);
        // Merging FFh filler would write bits nobody asked for.
        if (ports.takeRefusedRead()) {
            outcome.readRefused = true;
            return outcome;
        }
    }
    outcome.written = outcome.before ? mergedFieldValue(*outcome.before, write) : write.value & all;
    ports.takeRefusedWrite();
    common::writePciField(ports, write.bus, write.device, write.function, field.offset, field.width,
                          outcome.written);
    outcome.wrote = true;
    outcome.refused = ports.takeRefusedWrite();
    outcome.readBack = common::readPciField(ports, write.bus, write.device, write.function,
                                            field.offset, field.width);
    outcome.readRefused = ports.takeRefusedRead();
    if (!outcome.readRefused)
        outcome.notStuck = (outcome.readBack ^ outcome.written) & mask & ~field.rw1cMask;
    return outcome;
}

}  // namespace zelkora::registers
