#pragma once

#include <cstdint>

#include "common/port_io.h"

namespace zelkora::common {

// Configuration mechanism 1 accesses of exactly the bytes of one field: one
// address write to 0CF8h, then one data access of the field's width at
// 0CFCh + (offset & 3). The field must lie inside its double word (a word at
// an even offset, a double word at a multiple of 4); other bytes of the
// double word are neither read nor written.

// Whether a field of `width` bytes (1, 2 or 4) at `offset` can be reached so.
bool isPciFieldAligned(uint8_t offset, uint8_t width);

uint32_t readPciField(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function, uint8_t offset,
                      uint8_t width);

void writePciField(PortIo& ports, uint8_t bus, uint8_t device, uint8_t function, uint8_t offset,
                   uint8_t width, uint32_t value);

}  // namespace zelkora::common
