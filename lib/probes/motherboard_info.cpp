// GetMotherBoardInfo: BIOS identification text, SMBIOS BIOS structure and the
// chipset driver's registry entries.
#include <algorithm>
#include <array>
#include <span>

#include "common/fixed_text.h"
#include "hardware/pc_addresses.h"
#include "lib/hw/driver.h"
#include "lib/probes/bios_identification.h"
#include "lib/probes/chipset_driver.h"
#include "lib/probes/smbios_reader.h"
#include "zelkora/sysinfo.h"

namespace zelkora::probes {
namespace {

constexpr uint8_t kBiosStructure = 0;

BiosIdentification readBiosIdentification() {
    // Read byte by byte as the BIOS area allows; a byte that cannot be read
    // stays zero and ends the text there.
    std::array<uint8_t, hardware::kBiosIdentificationLength> text{};
    for (size_t i = 0; i < text.size(); ++i) {
        hw::driver().getPhysByte(hardware::kBiosIdentificationAddress + static_cast<uint32_t>(i),
                                 &text[i]);
    }
    return splitBiosIdentification(text);
}

// ROM size in KB from a BIOS structure. From SMBIOS 3.1 on, a size byte of
// FFh means "see the extended size at 18h" (bits 13-0 a count, bits 15-14 the
// unit: MB or GB), which saturates at the field's FFFFh.
uint16_t romSizeKb(std::span<const uint8_t> structure, uint8_t bcdRevision) {
    const uint8_t size = structure[0x09];
    if (size == 0xFF && bcdRevision >= 0x31 && structure[1] >= 0x1A) {
        const unsigned extended = structure[0x18] | structure[0x19] << 8;
        const uint64_t megabytes = uint64_t{extended & 0x3FFFu} << (10 * ((extended >> 14) & 1));
        if ((extended >> 14) > 1) return 0;  // a unit the standard reserves
        return static_cast<uint16_t>(std::min<uint64_t>(megabytes * 1024, 0xFFFF));
    }
    return static_cast<uint16_t>((size + 1) * 64);
}

void readBiosStructure(MotherBoardInfo& info) {
    std::string_view vendor = common::kUnknown;
    std::string_view version = common::kUnknown;
    uint16_t romSize = 0;
    SmbiosReader reader;
    std::optional<std::vector<uint8_t>> structure;
    if (reader.Open() == kSmbiosOk) structure = reader.findStructure(kBiosStructure);
    if (structure) {
        // Bytes 04h and 05h number the vendor's and the version's strings.
        if (auto text = smbiosStringAt(*structure, 0x04); !text.empty()) vendor = text;
        if (auto text = smbiosStringAt(*structure, 0x05); !text.empty()) version = text;
        if ((*structure)[1] > 0x09) romSize = romSizeKb(*structure, reader.bcdRevision());
    }
    common::copyText(info.BIOSVendor, vendor);
    common::copyText(info.BIOSRevision, version);
    info.BIOSRomSize = romSize;
}

}  // namespace
}  // namespace zelkora::probes

extern "C" int32_t GetMotherBoardInfo(MotherBoardInfo* info) {
    using namespace zelkora;
    if (!info) return 0;
    info->BIOSRomSize = 0;
    common::copyText(info->Manufacture, common::kUnknown);
    common::copyText(info->ModelName, common::kUnknown);
    common::copyText(info->RevisionVer, common::kUnknown);
    common::copyText(info->ReleaseDate, common::kUnknown);
    common::copyText(info->BIOSVendor, common::kUnknown);
    common::copyText(info->BIOSRevision, common::kUnknown);
    if (!hw::hardwareReady()) return 0;

    const auto identification = probes::readBiosIdentification();
    common::copyText(info->ModelName, identification.model);
    common::copyText(info->RevisionVer, identification.revision);
    common::copyText(info->ReleaseDate, identification.date);
    common::copyText(info->Manufacture, "Mirel Inc.");

    probes::readBiosStructure(*info);

    probes::ChipsetDriverTexts chipset;
    if (const auto hostBridge = probes::findHostBridge())
        chipset = probes::readChipsetDriver(*hostBridge);
    common::copyText(info->ChipsetDriverProvider, chipset.provider);
    common::copyText(info->ChipsetDriverVersion, chipset.version);
    common::copyText(info->ChipsetDriverDate, chipset.date);
    return 1;
}
