#include "cli/pci_functions.h"

#include <strings.h>
#include <cstdio>

#include "cli/commands/command.h"
#include "cli/standard_streams.h"
#include "common/pci_config.h"
#include "common/pci_field_access.h"
#include "registers/pci_decoder.h"
#include "registers/register_decoder.h"
#include "registers/register_text.h"
#include "zelkora/sysinfo.h"

namespace zelkora::cli {

using registers::PciSlot;

std::string slotText(const PciSlot& slot) {
    char text[16];
    std::snprintf(text, sizeof text, "%02x:%02x.%x", slot.bus, slot.device, slot.function);
    return text;
}

std::vector<PciSlot> functionsMatching(const PciSlot& slot, bool all, common::PortIo& ports) {
    if (slot.byAddress) {
        // Whatever answers there, listed or not (a bus no bridge names).
        const uint32_t vendor =
            common::readPciField(ports, slot.bus, slot.device, slot.function, 0x00, 2);
        if (vendor == 0xFFFF) return {};
        return {slot};
    }
    std::vector<PciSlot> found;
    for (DevicePos pos = GetFirstPCIDevicePos(); pos;) {
        PCIDeviceInfo record{};
        GetNextPCIDevice(&record, &pos);
        if (record.VendorID != slot.vendorId || record.DeviceID != slot.deviceId) continue;
        found.push_back(PciSlot{true, record.Bus, record.Device, record.Function, 0, 0});
        if (!all) break;
    }
    return found;
}

PciFunctionView readFunction(const PciSlot& slot, const registers::RegisterBook& book,
                             common::PortIo& ports) {
    PciFunctionView view;
    view.slot = slot;
    view.unread =
        common::ReadPCIConfigByteBlock(ports, slot.bus, slot.device, slot.function, view.config);
    redecode(view, book);
    return view;
}

void redecode(PciFunctionView& view, const registers::RegisterBook& book) {
    view.decoding = registers::decodePciConfig(book, view.config);
}

uint32_t fieldValue(const PciFunctionView& view, const registers::ResolvedField& field) {
    return registers::spaceValue(view.config, field.offset, field.width);
}

std::string fieldValueText(uint32_t value, uint8_t width) {
    return registers::hexText(value, width * 2);
}

std::string fieldLine(const PciFunctionView& view, const registers::ResolvedField& field) {
    const registers::PciRegisterAt at = registers::pciRegisterAt(view.decoding, field.offset);
    if (at.reg && at.reg->offset == field.offset && at.reg->width == field.width)
        return registers::registerLine(*at.reg);
    char text[24];
    std::snprintf(text, sizeof text, "%02Xh.%c = ", field.offset,
                  field.width == 1   ? 'b'
                  : field.width == 2 ? 'w'
                                     : 'l');
    return text + fieldValueText(fieldValue(view, field), field.width);
}

registers::ResolvedField resolveReadable(const registers::RegisterBook& book,
                                         const PciFunctionView& view, std::string_view name) {
    const std::string refused = view.unread.any()
                                    ? "bytes " + common::unreadBytesText(view.unread) + " of " +
                                          slotText(view.slot) +
                                          " are refused to this user (reading them needs root)"
                                    : std::string();
    registers::ResolvedField field;
    try {
        field = registers::resolvePciField(book, view.decoding, name);
    } catch (const registers::FieldSpecError& error) {
        // The capability list may run through the refused bytes.
        const bool capability = name.size() > 4 && strncasecmp(name.data(), "CAP_", 4) == 0;
        if (!refused.empty() && capability) throw ReadRefused(error.what() + ("; " + refused));
        throw;
    }
    for (unsigned dword = field.offset / 4u; dword <= (field.offset + field.width - 1u) / 4u;
         ++dword) {
        if (view.unread[dword]) throw ReadRefused(std::string(name) + ": " + refused);
    }
    return field;
}

int runFieldCommand(std::string_view command, const std::function<int()>& body) {
    const std::string prefix = std::string(command) + ": ";
    try {
        return body();
    } catch (const ReadRefused& error) {
        complain(prefix + error.what());
        return kAccessRefused;
    } catch (const registers::FieldSpecError& error) {
        complain(prefix + error.what());
    } catch (const registers::RegisterFileError& error) {
        complain(error.what());
    }
    return kUsageOrFileError;
}

std::string noFunctionText(const PciSlot& slot) {
    if (slot.byAddress) return "no PCI function at " + slotText(slot);
    char text[48];
    std::snprintf(text, sizeof text, "no PCI function %04x:%04x", slot.vendorId, slot.deviceId);
    return text;
}

}  // namespace zelkora::cli
