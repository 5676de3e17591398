#include "capture/redaction.h"

#include <algorithm>

#include "winio/sim/smbios_image.h"

namespace zelkora::capture {

namespace {

enum class FieldKind { String, Uuid };

// Where SMBIOS structures keep what names one unit.
struct IdentifyingField {
    uint8_t type;
    uint8_t offset;
    FieldKind kind;
    std::string_view name;
};

constexpr std::array kIdentifyingFields = {
    IdentifyingField{1, 0x07, FieldKind::String, "the system serial number"},
    IdentifyingField{1, 0x08, FieldKind::Uuid, "the system UUID"},
    IdentifyingField{2, 0x07, FieldKind::String, "the board serial number"},
    IdentifyingField{2, 0x08, FieldKind::String, "the board asset tag"},
    IdentifyingField{3, 0x07, FieldKind::String, "the chassis serial number"},
    IdentifyingField{3, 0x08, FieldKind::String, "the chassis asset tag"},
    IdentifyingField{4, 0x20, FieldKind::String, "the processor serial number"},
    IdentifyingField{4, 0x21, FieldKind::String, "the processor asset tag"},
    IdentifyingField{17, 0x18, FieldKind::String, "the memory modules' serial numbers"},
    IdentifyingField{17, 0x19, FieldKind::String, "the memory modules' asset tags"},
};

constexpr uint8_t kEndOfTable = 127;
constexpr size_t kUuidLength = 16;

bool redactField(std::span<uint8_t> structure, const IdentifyingField& field) {
    const size_t formattedLength = structure[1];
    if (field.kind == FieldKind::Uuid) {
        if (formattedLength < field.offset + kUuidLength) return false;
        const auto uuid = structure.subspan(field.offset, kUuidLength);
        // All zeros says "no UUID"; all ones "not set yet". Neither names a unit.
        const auto all = [&](uint8_t value) {
            return std::all_of(uuid.begin(), uuid.end(), [&](uint8_t b) { return b == value; });
        };
        const bool named = !all(0) && !all(0xFF);
        std::fill(uuid.begin(), uuid.end(), uint8_t{0});
        return named;
    }
    if (formattedLength <= field.offset) return false;
    const auto place = winio::sim::smbiosStringPlace(structure, structure[field.offset]);
    if (!place) return false;
    const auto text = structure.subspan(place->offset, place->length);
    std::fill(text.begin(), text.end(), uint8_t{'X'});
    return true;
}

}  // namespace

void Redactions::note(std::string_view what) {
    if (std::find(replaced_.begin(), replaced_.end(), what) == replaced_.end())
        replaced_.emplace_back(what);
}

void redactSmbiosTable(std::span<uint8_t> table, Redactions& redactions) {
    for (size_t at = 0;;) {
        const auto end = winio::sim::smbiosStructureEnd(table, at);
        if (!end) return;
        const auto structure = table.subspan(at, *end - at);
        for (const IdentifyingField& field : kIdentifyingFields) {
            if (field.type == structure[0] && redactField(structure, field))
                redactions.note(field.name);
        }
        if (structure[0] == kEndOfTable) return;
        at = *end;
    }
}

bool redactDriveSerial(std::array<uint16_t, 256>& words) {
    constexpr unsigned kSerialFirst = 10, kSerialLast = 19;
    bool replaced = false;
    for (unsigned i = kSerialFirst; i <= kSerialLast; ++i) {
        uint16_t word = 0;
        for (const unsigned shift : {8u, 0u}) {
            uint8_t c = static_cast<uint8_t>(words[i] >> shift);
            if (c != ' ' && c != 0) {
                c = 'X';
                replaced = true;
            }
            word = static_cast<uint16_t>(word | c << shift);
        }
        words[i] = word;
    }
    // Word 255: signature A5h in the low byte, and a high byte that makes
    // all 512 bytes add up to 0.
    if ((words[255] & 0xFF) == 0xA5) {
        uint8_t sum = 0;
        for (unsigned i = 0; i < 255; ++i)
            sum = static_cast<uint8_t>(sum + (words[i] & 0xFF) + (words[i] >> 8));
        sum = static_cast<uint8_t>(sum + 0xA5);
        words[255] = static_cast<uint16_t>(static_cast<uint8_t>(-sum) << 8 | 0xA5);
    }
    return replaced;
}

}  // namespace zelkora::capture
