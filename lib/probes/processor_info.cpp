// GetProcessorInfo: CPUID identification and the SMBIOS processor structure.
#include <cstring>
#include <string_view>

#include "common/fixed_text.h"
#include "lib/hw/driver.h"
#include "lib/probes/processor_ratio.h"
#include "lib/probes/smbios_reader.h"
#include "platform/services.h"
#include "zelkora/sysinfo.h"

namespace zelkora::probes {

namespace {

constexpr uint8_t kProcessorStructure = 4;

struct ProcessorSmbiosFields {
    uint16_t speed = 0;
    uint16_t externalClock = 0;
    float ratio = 0;
    std::string_view socket = common::kUnknown;
    std::string_view version = common::kUnknown;
};

uint16_t wordAt(const std::vector<uint8_t>& structure, size_t offset) {
    if (offset + 2 > structure[1]) return 0;  // an older, shorter structure
    return static_cast<uint16_t>(structure[offset] | structure[offset + 1] << 8);
}

// The string named by the byte at `offset`, "Unknown" when it names none.
std::string_view stringOrUnknown(const std::vector<uint8_t>& structure, size_t offset) {
    const auto text = smbiosStringAt(structure, offset);
    return text.empty() ? common::kUnknown : text;
}

}  // namespace

float processorRatio(uint16_t speed, uint16_t externalClock) {
    if (externalClock == 0) return 0.0f;
    const unsigned whole = speed / externalClock;
    const unsigned remainder = speed % externalClock;
    // Compared as integers: remainder / clock against 1/4 and 3/4.
    if (4 * remainder <= externalClock) return static_cast<float>(whole);
    if (4 * remainder <= 3u * externalClock) return static_cast<float>(whole) + 0.5f;
    return static_cast<float>(whole + 1);
}

}  // namespace zelkora::probes

extern "C" int32_t GetProcessorInfo(ProcessorInfo* info) {
    using namespace zelkora;
    if (!hw::hardwareReady() || !info) return 0;

    auto& services = platform::services();
    const auto leaf1 = services.cpuid(1);
    info->CPUFamily = static_cast<uint8_t>((leaf1.eax >> 8) & 0x0F);
    info->CPUModel = static_cast<uint8_t>((leaf1.eax >> 4) & 0x0F);
    info->CPUStepping = static_cast<uint8_t>(leaf1.eax & 0x0F);
    info->CPUFeature = leaf1.edx;

    std::memset(info->CPUVendorID, 0, sizeof info->CPUVendorID);
    const auto leaf0 = services.cpuid(0);
    std::memcpy(info->CPUVendorID, &leaf0.ebx, 4);
    std::memcpy(info->CPUVendorID + 4, &leaf0.edx, 4);
    std::memcpy(info->CPUVendorID + 8, &leaf0.ecx, 4);

    probes::ProcessorSmbiosFields fields;
    probes::SmbiosReader reader;
    std::optional<std::vector<uint8_t>> structure;
    if (reader.Open() == probes::kSmbiosOk)
        structure = reader.findStructure(probes::kProcessorStructure);
    if (structure) {
        fields.externalClock = probes::wordAt(*structure, 0x12);
        fields.speed = probes::wordAt(*structure, 0x16);
        fields.ratio = probes::processorRatio(fields.speed, fields.externalClock);
        fields.socket = probes::stringOrUnknown(*structure, 0x04);
        fields.version = probes::stringOrUnknown(*structure, 0x10);
    }

    info->CPUSpeed = fields.speed;
    info->CPUExtendedClock = fields.externalClock;
    info->CPURatio = fields.ratio;
    common::copyText(info->CPUSocketType, fields.socket);
    common::copyText(info->CPUVersionStr, fields.version);
    return 1;
}
