#include "common/superio_chip_name.h"

#include <array>
#include <cstdio>

#include "common/superio_access.h"
#include "hardware/pc_addresses.h"

namespace zelkora::common {

namespace {

constexpr uint8_t kChipIdRegister = 0x20, kChipRevisionRegister = 0x21,
                  kChipRevision16Register = 0x22;

std::string sectionName(const char* pattern, unsigned id) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), pattern, id);
    return text.data();
}

}  // namespace

std::string chipSectionName(uint8_t id) {
    return sectionName("ID=%2.2Xh", id);
}

uint16_t findChipConfigPort(PortIo& ports, uint16_t fallback) {
    for (const uint16_t port : hardware::kSuperIoPorts) {
        if (ProbeChipID(ports, port, kChipIdRegister) != 0) return port;
    }
    return fallback;
}

ChipName nameChip(PortIo& ports, uint16_t port, uint8_t id, ProfileFile& file) {
    ChipName name;
    auto readSection = [&](const std::string& section) {
        name.manufacturer = file.getString("Manufacture", {}, section);
        name.chipType = file.getString("Super-I/O Type");
    };
    readSection(chipSectionName(id));
    if (!name.manufacturer.empty()) return name;
    const uint8_t high = ProbeChipID(ports, port, kChipIdRegister);
    const uint8_t low = ProbeChipID(ports, port, kChipRevisionRegister);
    name.sixteenBit = true;
    name.id16 = static_cast<uint16_t>(high << 8 | low);
    name.revision16 = ProbeChipID(ports, port, kChipRevision16Register);
    readSection(sectionName("ID=%4.4Xh", name.id16));
    return name;
}

}  // namespace zelkora::common
