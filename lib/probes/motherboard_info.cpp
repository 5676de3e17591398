// GetMotherBoardInfo: BIOS identification text, SMBIOS BIOS structure and the
// chipset driver's registry entries.
#include <array>

#include "common/fixed_text.h"
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
    std::array<uint8_t, kBiosIdentificationLength> text{};
    for (size_t i = 0; i < text.size(); ++i) {
        hw::driver().getPhysByte(kBiosIdentificationAddress + static_cast<uint32_t>(i), &text[i]);
    }
    return splitBiosIdentification(text);
}

void readBiosStructure(MotherBoardInfo& info) {
    std::string_view vendor = common::kUnknown;
    std::string_view version = common::kUnknown;
    uint16_t romSize = 0;
    SmbiosReader reader;
    std::optional<std::vector<uint8_t>> structure;
    if (reader.Open() == kSmbiosOk) structure = reader.FindStructure(kBiosStructure);
    if (structure) {
        // Bytes 04h and 05h number the vendor's and the version's strings.
        if (auto text = smbiosStringAt(*structure, 0x04); !text.empty()) vendor = text;
        if (auto text = smbiosStringAt(*structure, 0x05); !text.empty()) version = text;
        if ((*structure)[1] > 0x09) romSize = static_cast<uint16_t>(((*structure)[0x09] + 1) * 64);
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
