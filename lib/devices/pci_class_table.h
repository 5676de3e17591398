#pragma once

#include <cstdint>
#include <span>

namespace zelkora::devices {

// One row of the PCI class code table. FFh in the subclass or programming
// interface stands for "any" in the look-up's later passes.
struct PCIClassEntry {
    uint8_t baseClass;
    uint8_t subClass;
    uint8_t progIf;
    const char* text;
    uint32_t validMark;  // 55AAh in every row, 0 in the terminating row
};

// The table's rows followed by the terminating row.
std::span<const PCIClassEntry> pciClassTable();

// Writes the class text of a code into `text` (cut to 49 characters and
// terminated).
void LookUpPCIClassText(uint8_t baseClass, uint8_t subClass, uint8_t progIf, char (&text)[50]);

}  // namespace zelkora::devices
