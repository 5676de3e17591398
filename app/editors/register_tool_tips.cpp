#include "app/editors/register_tool_tips.h"

#include "registers/pci_decoder.h"
#include "registers/register_decoder.h"
#include "registers/register_text.h"

namespace zelkora::app {

namespace {

constexpr std::size_t kSpaceSize = 256;

bool isWholeSpace(std::span<const uint8_t> bytes, int offset) {
    return bytes.size() == kSpaceSize && offset >= 0 && offset < static_cast<int>(kSpaceSize);
}

}  // namespace

RegisterToolTips::RegisterToolTips() {
    try {
        book_ = registers::readShippedRegisterBook();
    } catch (const registers::RegisterFileError& error) {
        fault_ = QString::fromStdString(error.what());
    }
}

QString RegisterToolTips::pciByte(std::span<const uint8_t> config, int offset) const {
    if (!isWholeSpace(config, offset)) return {};
    if (!book_) return fault_;
    const std::span<const uint8_t, kSpaceSize> space(config.data(), kSpaceSize);
    return QString::fromStdString(registers::pciByteDescription(
        registers::decodePciConfig(*book_, space), space, static_cast<unsigned>(offset)));
}

QString RegisterToolTips::superIoByte(std::span<const uint8_t> values, int offset) const {
    if (!isWholeSpace(values, offset)) return {};
    if (!book_) return fault_;
    const std::span<const uint8_t, kSpaceSize> space(values.data(), kSpaceSize);
    return QString::fromStdString(registers::superIoByteDescription(
        registers::decodeSuperIoRegisters(*book_, space), space, static_cast<unsigned>(offset)));
}

}  // namespace zelkora::app
