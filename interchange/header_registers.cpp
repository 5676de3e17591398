#include "interchange/header_registers.h"

#include <vector>

namespace zelkora::interchange {

namespace {

std::string_view find(const std::vector<registers::RegisterDescription>& registers,
                      uint8_t offset) {
    for (const registers::RegisterDescription& reg : registers) {
        if (offset >= reg.offset && offset < reg.offset + reg.width) return reg.name;
    }
    return {};
}

}  // namespace

std::string_view headerRegisterName(const registers::RegisterBook& book, uint8_t headerType,
                                    uint8_t offset) {
    if (offset < 0x10) return find(book.pciHeader, offset);
    switch (headerType & 0x7F) {
        case 0x00:
            return find(book.type0, offset);
        case 0x01:
            return find(book.type1, offset);
        default:
            return {};
    }
}

}  // namespace zelkora::interchange
