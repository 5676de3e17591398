#include "registers/pci_field_spec.h"

#include <strings.h>
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/pci_field_access.h"
#include "registers/pci_decoder.h"
#include "registers/register_decoder.h"

namespace zelkora::registers {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Hexadecimal digits with an optional 0x, at most `maximum`.
std::optional<uint32_t> parseHex(std::string_view text, uint64_t maximum = 0xFFFF'FFFFu) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || text.size() > 16 || error != std::errc() ||
        end != text.data() + text.size() || value > maximum) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

std::string widthText(unsigned width) {
    return std::to_string(width) + (width == 1 ? " byte" : " bytes");
}

const RegisterDescription* findRegister(const std::vector<RegisterDescription>& list,
                                        std::string_view name) {
    for (const RegisterDescription& description : list) {
        if (sameName(description.key, name)) return &description;
        for (const std::string& alias : description.aliases) {
            if (sameName(alias, name)) return &description;
        }
    }
    return nullptr;
}

const char* layoutName(uint8_t layout) {
    switch (layout) {
        case 0:
            return "general device";
        case 1:
            return "PCI-to-PCI bridge";
        default:
            return "this header type's";
    }
}

// The bits of bytes offset..offset+width-1 that a written 1 clears.
uint32_t rw1cBits(const PciDecoding& decoding, uint8_t offset, uint8_t width) {
    uint32_t mask = 0;
    for (unsigned i = 0; i < width; ++i) {
        const PciRegisterAt at = pciRegisterAt(decoding, offset + i);
        if (!at.reg) continue;
        const unsigned byteInRegister = offset + i - at.reg->offset;
        mask |= ((at.reg->rw1cMask >> (8 * byteInRegister)) & 0xFFu) << (8 * i);
    }
    return mask;
}

// The capability that `CAP_KEY` names in this function, and the end of what
// its description covers (0 when nothing beyond its header is described).
const DecodedCapability& capabilityNamed(const RegisterBook& book, const PciDecoding& decoding,
                                         std::string_view key, std::string_view text) {
    bool described = false;
    for (const CapabilityDescription& capability : book.capabilities)
        described = described || sameName(capability.key, key);
    if (!described)
        throw FieldSpecError(std::string(text) + ": no capability is called " + std::string(key));
    if (const DecodedCapability* found = findCapability(decoding, key)) return *found;
    std::string reason =
        std::string(text) + ": the function has no " + std::string(key) + " capability in its list";
    if (decoding.listProblem) reason += " (" + decoding.listProblem->text + ")";
    throw FieldSpecError(reason);
}

// How far the description of a capability reaches past its start; 0 when
// only its ID and next pointer are described, so its extent is unknown.
unsigned describedEnd(const DecodedCapability& capability, std::size_t headerRegisters) {
    unsigned end = 0;
    for (const DecodedRegister& reg : capability.registers)
        end = std::max<unsigned>(end, reg.offset + reg.width - capability.offset);
    return capability.registers.size() <= headerRegisters ? 0 : end;
}

// A register of the common header or of the function's layout.
const RegisterDescription* headerRegister(const RegisterBook& book, uint8_t layout,
                                          std::string_view name) {
    if (const RegisterDescription* common = findRegister(book.pciHeader, name)) return common;
    if (layout == 0) return findRegister(book.type0, name);
    if (layout == 1) return findRegister(book.type1, name);
    return nullptr;
}

}  // namespace

uint32_t fieldMask(uint8_t width) {
    return width >= 4 ? 0xFFFF'FFFFu : (1u << (8 * width)) - 1u;
}

void checkFits(uint32_t value, uint8_t width, std::string_view what, std::string_view field) {
    if (value & ~fieldMask(width)) {
        char text[160];
        std::snprintf(text, sizeof text, "%.*s: %s %Xh does not fit in %s", int(field.size()),
                      field.data(), std::string(what).c_str(), value, widthText(width).c_str());
        throw FieldSpecError(text);
    }
}

PciSlot parsePciSlot(std::string_view text) {
    const auto bad = [&](const char* why) {
        return FieldSpecError(std::string(text) + ": " + why);
    };
    PciSlot slot;
    std::string_view rest = text;
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos) {
        const std::size_t colon = rest.find(':');
        const auto vendor = parseHex(rest.substr(0, colon), 0xFFFF);
        const auto device = colon == std::string_view::npos
                                ? std::nullopt
                                : parseHex(rest.substr(colon + 1), 0xFFFF);
        if (!vendor || !device)
            throw bad("is not a slot (bus:device.function or vendor:device, hexadecimal)");
        slot.byAddress = false;
        slot.vendorId = static_cast<uint16_t>(*vendor);
        slot.deviceId = static_cast<uint16_t>(*device);
        return slot;
    }
    // An optional domain, which mechanism 1 reaches only as 0000.
    if (std::count(rest.begin(), rest.end(), ':') == 2) {
        const std::size_t colon = rest.find(':');
        if (parseHex(rest.substr(0, colon)) != 0u)
            throw bad("configuration mechanism 1 reaches PCI domain 0000 only");
        rest.remove_prefix(colon + 1);
    }
    const std::size_t colon = rest.find(':');
    const std::size_t point = rest.find('.');
    const auto bus =
        colon == std::string_view::npos ? std::nullopt : parseHex(rest.substr(0, colon), 0xFF);
    const auto device = colon == std::string_view::npos || point < colon
                            ? std::nullopt
                            : parseHex(rest.substr(colon + 1, point - colon - 1), 0x1F);
    const auto function = parseHex(rest.substr(point + 1), 7);
    if (!bus || !device || !function)
        throw bad(
            "is not bus:device.function (bus 00-FF, device 00-1F, function 0-7, hexadecimal)");
    slot.bus = static_cast<uint8_t>(*bus);
    slot.device = static_cast<uint8_t>(*device);
    slot.function = static_cast<uint8_t>(*function);
    return slot;
}

FieldAssignment parseFieldAssignment(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0)
        throw FieldSpecError(std::string(text) + ": is not FIELD=VALUE");
    FieldAssignment assignment;
    assignment.field = std::string(text.substr(0, equals));
    std::string_view value = text.substr(equals + 1);
    const std::size_t colon = value.find(':');
    const auto parsed = parseHex(value.substr(0, colon));
    if (!parsed) {
        throw FieldSpecError(std::string(text) + ": \"" + std::string(value.substr(0, colon)) +
                             "\" is not a hexadecimal value of at most 32 bits");
    }
    assignment.value = *parsed;
    if (colon != std::string_view::npos) {
        assignment.mask = parseHex(value.substr(colon + 1));
        if (!assignment.mask) {
            throw FieldSpecError(std::string(text) + ": \"" + std::string(value.substr(colon + 1)) +
                                 "\" is not a hexadecimal mask of at most 32 bits");
        }
    }
    return assignment;
}

ResolvedField resolvePciField(const RegisterBook& book, const PciDecoding& decoding,
                              std::string_view text) {
    const std::string field(text);
    std::string_view name = text;
    std::optional<uint8_t> width;
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        const std::string_view suffix = name.substr(dot + 1);
        if (sameName(suffix, "b")) width = 1;
        if (sameName(suffix, "w")) width = 2;
        if (sameName(suffix, "l")) width = 4;
        if (!width) throw FieldSpecError(field + ": the width is .b, .w or .l");
        name = name.substr(0, dot);
    }

    ResolvedField resolved;
    if (name.size() > 4 && sameName(name.substr(0, 4), "CAP_")) {
        const std::size_t plus = name.find('+');
        const std::string_view key = name.substr(4, plus - 4);
        const DecodedCapability& capability = capabilityNamed(book, decoding, key, text);
        unsigned relative = 0;
        if (plus != std::string_view::npos) {
            const auto parsed = parseHex(name.substr(plus + 1), 0xFF);
            if (!parsed) throw FieldSpecError(field + ": the offset after + is not hexadecimal");
            relative = *parsed;
        }
        const unsigned offset = capability.offset + relative;
        const DecodedRegister* described = nullptr;
        for (const DecodedRegister& reg : capability.registers) {
            if (reg.offset == offset) described = &reg;
        }
        if (!width && !described) {
            throw FieldSpecError(field + ": nothing is described at " + hexText(offset & 0xFF, 2) +
                                 "; give a width (.b, .w or .l)");
        }
        resolved.width = width.value_or(described ? described->width : 1);
        const unsigned end = describedEnd(capability, book.capabilityHeader.size());
        if (offset + resolved.width > 256 || (end != 0 && relative + resolved.width > end)) {
            throw FieldSpecError(field + ": reaches beyond the " + capability.name +
                                 " capability at " + hexText(capability.offset, 2));
        }
        resolved.offset = static_cast<uint8_t>(offset);
    } else if (const RegisterDescription* named = headerRegister(book, decoding.layout, name)) {
        resolved.offset = named->offset;
        resolved.width = width.value_or(named->width);
        if (resolved.width > named->width) {
            throw FieldSpecError(field + ": " + named->name + " is " + widthText(named->width) +
                                 " wide; " + widthText(resolved.width) + " would reach beyond it");
        }
    } else if (findRegister(book.type0, name) || findRegister(book.type1, name)) {
        throw FieldSpecError(field + ": the function's header (" + layoutName(decoding.layout) +
                             " layout) has no such register");
    } else if (const auto offset = parseHex(name, 0xFFFF)) {
        if (*offset > 0xFF) throw FieldSpecError(field + ": the offset is beyond FFh");
        if (!width) throw FieldSpecError(field + ": give the width of an offset (.b, .w or .l)");
        resolved.offset = static_cast<uint8_t>(*offset);
        resolved.width = *width;
    } else {
        throw FieldSpecError(field +
                             ": not a register name, CAP_name+offset or hexadecimal offset");
    }

    if (!common::isPciFieldAligned(resolved.offset, resolved.width)) {
        throw FieldSpecError(field + ": a field of " + widthText(resolved.width) +
                             " must start at a multiple of " + std::to_string(resolved.width) +
                             "; " + hexText(resolved.offset, 2) + " is not");
    }
    resolved.rw1cMask = rw1cBits(decoding, resolved.offset, resolved.width);
    return resolved;
}

}  // namespace zelkora::registers
