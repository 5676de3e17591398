#include "registers/pci_decoder.h"

#include <strings.h>
#include <array>
#include <cstdio>

#include "registers/register_decoder.h"

namespace zelkora::registers {

namespace {

constexpr uint8_t kCapabilitiesListBit = 0x10;  // Status bit 4
constexpr unsigned kFirstCapabilityOffset = 0x40;

bool isSixtyFourBitMemoryBar(uint32_t value) {
    return (value & 1u) == 0 && ((value >> 1) & 3u) == 2;
}

// The header registers; a BAR's fields follow its type bits, and the BAR
// after a 64-bit memory BAR is that BAR's upper half.
std::vector<DecodedRegister> decodeHeader(const RegisterBook& book,
                                          const std::vector<RegisterDescription>& layout,
                                          std::span<const uint8_t, 256> config) {
    std::vector<DecodedRegister> header;
    for (const RegisterDescription& description : book.pciHeader)
        header.push_back(decodeRegister(description, config, 0));
    const RegisterDescription* lowerHalf = nullptr;
    for (const RegisterDescription& description : layout) {
        if (!description.bar) {
            header.push_back(decodeRegister(description, config, 0));
            continue;
        }
        const uint32_t value = spaceValue(config, description.offset, 4);
        if (lowerHalf && lowerHalf->offset + 4 == description.offset) {
            DecodedRegister upper = decodeRegister(description, config, 0, &book.bar.upperHalf);
            upper.name += " (upper half of " + lowerHalf->name + ")";
            header.push_back(std::move(upper));
            lowerHalf = nullptr;
            continue;
        }
        header.push_back(
            decodeRegister(description, config, 0, (value & 1u) ? &book.bar.io : &book.bar.memory));
        lowerHalf = isSixtyFourBitMemoryBar(value) ? &description : nullptr;
    }
    return header;
}

bool holds(const Condition& condition, std::span<const uint8_t, 256> config, unsigned base) {
    return condition.bits.extract(spaceValue(config, base + condition.at, condition.width)) ==
           condition.is;
}

void appendRegisters(const std::vector<RegisterDescription>& descriptions,
                     std::span<const uint8_t, 256> config, unsigned base,
                     std::vector<DecodedRegister>& out) {
    for (const RegisterDescription& description : descriptions) {
        // A capability near the top of the space may describe more than it has room for.
        if (base + description.offset + description.width > config.size()) continue;
        out.push_back(decodeRegister(description, config, base));
    }
}

DecodedCapability decodeCapability(const RegisterBook& book, std::span<const uint8_t, 256> config,
                                   uint8_t offset) {
    DecodedCapability capability;
    capability.offset = offset;
    capability.id = config[offset];
    capability.next = config[offset + 1u];
    appendRegisters(book.capabilityHeader, config, offset, capability.registers);
    const CapabilityDescription* description = book.capability(capability.id);
    if (!description) {
        capability.name = "Capability " + hexText(capability.id, 2);
        return capability;
    }
    capability.name = description->name;
    capability.key = description->key;
    appendRegisters(description->registers, config, offset, capability.registers);
    for (const CapabilityVariant& variant : description->variants) {
        if (variant.when && !holds(*variant.when, config, offset)) continue;
        appendRegisters(variant.registers, config, offset, capability.registers);
        break;
    }
    return capability;
}

}  // namespace

PciDecoding decodePciConfig(const RegisterBook& book, std::span<const uint8_t, 256> config) {
    PciDecoding decoding;
    decoding.layout = config[0x0E] & 0x7F;
    static const std::vector<RegisterDescription> kNoLayout;
    const auto& layout = decoding.layout == 0   ? book.type0
                         : decoding.layout == 1 ? book.type1
                                                : kNoLayout;
    decoding.header = decodeHeader(book, layout, config);
    if (!(config[0x06] & kCapabilitiesListBit)) return decoding;

    // A CardBus bridge keeps its pointer at 14h.
    unsigned at = decoding.layout == 2 ? 0x14 : 0x34;
    std::array<bool, 256> listed{};
    // The low two bits of every pointer are reserved.
    for (uint8_t pointer = config[at] & 0xFC; pointer != 0; pointer = config[at] & 0xFC) {
        if (pointer < kFirstCapabilityOffset || listed[pointer]) {
            std::string text = "the pointer at " + hexText(at, 2) + " is " +
                               hexText(config[at], 2) +
                               (listed[pointer] ? ", a capability already listed (a loop)"
                                                : ", below 40h (inside the header)") +
                               "; the capability list ends there";
            decoding.listProblem =
                CapabilityListProblem{static_cast<uint8_t>(at), config[at], std::move(text)};
            break;
        }
        listed[pointer] = true;
        decoding.capabilities.push_back(decodeCapability(book, config, pointer));
        at = pointer + 1u;
    }
    return decoding;
}

PciRegisterAt pciRegisterAt(const PciDecoding& decoding, unsigned offset) {
    if (const DecodedRegister* reg = registerHolding(decoding.header, offset))
        return {reg, nullptr};
    for (const DecodedCapability& capability : decoding.capabilities) {
        if (const DecodedRegister* reg = registerHolding(capability.registers, offset))
            return {reg, &capability};
    }
    return {};
}

const DecodedCapability* findCapability(const PciDecoding& decoding, std::string_view key) {
    for (const DecodedCapability& capability : decoding.capabilities) {
        if (!capability.key.empty() && capability.key.size() == key.size() &&
            strncasecmp(capability.key.c_str(), key.data(), key.size()) == 0) {
            return &capability;
        }
    }
    return nullptr;
}

}  // namespace zelkora::registers
