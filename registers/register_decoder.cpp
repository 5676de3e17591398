#include "registers/register_decoder.h"

#include <cstdio>

namespace zelkora::registers {

namespace {

// Small numbers read the same in both bases; larger ones are hexadecimal.
std::string numberText(uint64_t value) {
    return value < 10 ? std::to_string(value) : hexText(value, 1);
}

}  // namespace

std::string hexText(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llXh", digits, static_cast<unsigned long long>(value));
    return text;
}

uint32_t spaceValue(std::span<const uint8_t, 256> space, unsigned offset, unsigned width,
                    bool bigEndian) {
    uint32_t value = 0;
    for (unsigned i = 0; i < width; ++i) {
        const uint32_t byte = offset + i < space.size() ? space[offset + i] : 0;
        value |= byte << (8 * (bigEndian ? width - 1 - i : i));
    }
    return value;
}

DecodedField decodeField(const FieldDescription& field, uint32_t registerValue) {
    DecodedField decoded{field.name, field.bits, field.bits.extract(registerValue), {}};
    const uint32_t value = decoded.value;
    if (field.address) {
        const uint64_t address =
            (uint64_t{registerValue & field.bits.mask()} << field.address->shift) |
            field.address->orBits;
        const int digits = (field.bits.high + 1 + static_cast<int>(field.address->shift) + 3) / 4;
        decoded.text = field.name + "=" + hexText(address, digits);
        return decoded;
    }
    for (const auto& [number, name] : field.values) {
        if (number == value) {
            decoded.text = field.name + "=" + name;
            return decoded;
        }
    }
    if (field.bits.low == field.bits.high && field.values.empty()) {
        decoded.text = field.name + ((value != 0) != field.invert ? "+" : "-");
    } else {
        decoded.text = field.name + "=" + numberText(uint64_t{value} + field.add);
    }
    return decoded;
}

DecodedRegister decodeRegister(const RegisterDescription& description,
                               std::span<const uint8_t, 256> space, unsigned base,
                               const std::vector<FieldDescription>* fields) {
    DecodedRegister decoded;
    decoded.offset = static_cast<uint8_t>(base + description.offset);
    decoded.width = description.width;
    decoded.name = description.name;
    decoded.key = description.key;
    decoded.value =
        spaceValue(space, base + description.offset, description.width, description.bigEndian);
    for (const FieldDescription& field : fields ? *fields : description.fields) {
        if (field.rw1c) decoded.rw1cMask |= field.bits.mask();
        decoded.fields.push_back(decodeField(field, decoded.value));
    }
    return decoded;
}

std::vector<DecodedRegister> decodeSuperIoRegisters(const RegisterBook& book,
                                                    std::span<const uint8_t, 256> registers) {
    std::vector<DecodedRegister> decoded;
    for (const RegisterDescription& description : book.superIo)
        decoded.push_back(decodeRegister(description, registers, 0));
    return decoded;
}

const DecodedRegister* registerHolding(const std::vector<DecodedRegister>& registers,
                                       unsigned offset) {
    for (const DecodedRegister& decoded : registers) {
        if (offset >= decoded.offset && offset < decoded.offset + decoded.width) return &decoded;
    }
    return nullptr;
}

}  // namespace zelkora::registers
