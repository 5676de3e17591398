// Arbitrary text as a register description file, or as pci-set lines
// (SLOT FIELD=VALUE...) resolved against a function whose configuration
// space is the input's own bytes: nothing may crash, a field always lies
// inside one double word of the space, and decoded registers inside the space.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "common/pci_field_access.h"
#include "registers/pci_decoder.h"
#include "registers/pci_field_spec.h"
#include "registers/register_decoder.h"
#include "registers/register_text.h"

namespace {

using namespace zelkora::registers;

const RegisterBook& shippedBook() {
    static const RegisterBook book =
        readRegisterBook(ZELKORA_SOURCE_DIR "/resources/registers.json");
    return book;
}

void checkDecoding(const PciDecoding& decoding, const std::array<uint8_t, 256>& space) {
    for (const DecodedCapability& capability : decoding.capabilities) {
        if (capability.offset < 0x40) std::abort();
        for (const DecodedRegister& reg : capability.registers) {
            if (reg.offset + reg.width > 256) std::abort();
        }
    }
    for (unsigned offset = 0; offset < 256; ++offset)
        pciByteDescription(decoding, space, offset);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::array<uint8_t, 256> space{};
    std::memcpy(space.data(), data, std::min(size, space.size()));
    if (text.starts_with('{')) {
        try {
            const RegisterBook book = parseRegisterBook(text, "fuzz.json");
            checkDecoding(decodePciConfig(book, space), space);
            decodeSuperIoRegisters(book, space);
        } catch (const RegisterFileError&) {
        }
        return 0;
    }
    const PciDecoding decoding = decodePciConfig(shippedBook(), space);
    checkDecoding(decoding, space);
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        try {
            parsePciSlot(word);
        } catch (const FieldSpecError&) {
        }
        try {
            const FieldAssignment assignment = parseFieldAssignment(word);
            const ResolvedField field = resolvePciField(shippedBook(), decoding, assignment.field);
            if (!zelkora::common::isPciFieldAligned(field.offset, field.width)) std::abort();
            checkFits(assignment.value, field.width, "the value", word);
        } catch (const FieldSpecError&) {
        }
    }
    return 0;
}
