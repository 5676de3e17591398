#include "registers/register_text.h"

#include <cstdio>

#include "registers/pci_decoder.h"
#include "registers/register_decoder.h"

namespace zelkora::registers {

namespace {

// Words joined by blanks into lines of at most `columns` characters.
void appendWrapped(std::string& text, const std::vector<std::string>& words, std::size_t columns) {
    std::size_t lineLength = 0;
    for (const std::string& word : words) {
        if (lineLength > 0 && lineLength + 1 + word.size() > columns) {
            text += '\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            text += ' ';
            ++lineLength;
        }
        text += word;
        lineLength += word.size();
    }
}

std::vector<std::string> splitWords(const std::string& sentence) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < sentence.size()) {
        const std::size_t end = sentence.find(' ', start);
        words.push_back(sentence.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return words;
}

std::string registerHeading(const DecodedRegister& reg) {
    return hexText(reg.offset, 2) + " " + reg.name + " (" + std::to_string(reg.width) +
           (reg.width == 1 ? " byte" : " bytes") + ") = " + registerValueText(reg);
}

void appendFields(std::string& text, const DecodedRegister& reg) {
    std::vector<std::string> words;
    for (const DecodedField& field : reg.fields)
        words.push_back(field.text);
    if (words.empty()) return;
    text += '\n';
    appendWrapped(text, words, kToolTipColumns);
}

std::string undescribedByte(std::span<const uint8_t, 256> space, unsigned offset,
                            const char* note) {
    return hexText(offset, 2) + " = " + hexText(space[offset & 0xFF], 2) + note;
}

}  // namespace

std::string registerValueText(const DecodedRegister& reg) {
    return hexText(reg.value, reg.width * 2);
}

std::string registerLine(const DecodedRegister& reg) {
    std::string line = hexText(reg.offset, 2) + " " + reg.name + " = " + registerValueText(reg);
    for (std::size_t i = 0; i < reg.fields.size(); ++i)
        line += (i == 0 ? ": " : " ") + reg.fields[i].text;
    return line;
}

std::string pciByteDescription(const PciDecoding& decoding, std::span<const uint8_t, 256> config,
                               unsigned offset) {
    const PciRegisterAt at = pciRegisterAt(decoding, offset);
    if (!at.reg) {
        return undescribedByte(config, offset, offset >= 0x40 ? " (device specific)" : "");
    }
    std::string text = registerHeading(*at.reg);
    if (at.capability) {
        text += "\nin the " + at.capability->name + " capability at " +
                hexText(at.capability->offset, 2);
    }
    appendFields(text, *at.reg);
    const auto& problem = decoding.listProblem;
    if (problem && problem->at >= at.reg->offset && problem->at < at.reg->offset + at.reg->width) {
        text += '\n';
        appendWrapped(text, splitWords("Broken capability list: " + problem->text),
                      kToolTipColumns);
    }
    return text;
}

std::string superIoByteDescription(const std::vector<DecodedRegister>& registers,
                                   std::span<const uint8_t, 256> space, unsigned offset) {
    const DecodedRegister* reg = registerHolding(registers, offset);
    if (!reg) return undescribedByte(space, offset, "");
    std::string text = registerHeading(*reg);
    appendFields(text, *reg);
    return text;
}

}  // namespace zelkora::registers
