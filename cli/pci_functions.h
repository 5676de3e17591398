#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/pci_config.h"
#include "common/port_io.h"
#include "registers/decoded_registers.h"
#include "registers/pci_field_spec.h"

namespace zelkora::cli {

// One PCI function as pci-get and pci-set see it: its address, its
// configuration space as just read and that space decoded.
struct PciFunctionView {
    registers::PciSlot slot;
    std::array<uint8_t, 256> config{};
    common::UnreadDwords unread;  // dwords the host refused to this user (FFh filler)
    registers::PciDecoding decoding;
};

// A field that cannot be named or read because the host refuses bytes of the
// function to this user: an access problem (status 1), not a usage error.
class ReadRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// resolvePciField, and ReadRefused when the field lies in refused bytes or a
// capability name cannot be found while bytes are refused.
registers::ResolvedField resolveReadable(const registers::RegisterBook& book,
                                         const PciFunctionView& view, std::string_view name);

// "00:1f.0".
std::string slotText(const registers::PciSlot& slot);

// The functions a slot names: the function at bus:dev.fn when one answers
// there, or the first listed function with that vendor:device (every one with
// `all`). Empty when nothing matches.
std::vector<registers::PciSlot> functionsMatching(const registers::PciSlot& slot, bool all,
                                                  common::PortIo& ports);

PciFunctionView readFunction(const registers::PciSlot& slot, const registers::RegisterBook& book,
                             common::PortIo& ports);

// Decodes `config` again (after a write changed it).
void redecode(PciFunctionView& view, const registers::RegisterBook& book);

// The field's value in the view as text: the described register's line
// ("04h Command = 0406h: I/O- Mem+ ...") when the field is exactly one,
// else "05h.b = 04h".
std::string fieldLine(const PciFunctionView& view, const registers::ResolvedField& field);
// Its value alone: "0406h".
std::string fieldValueText(uint32_t value, uint8_t width);
uint32_t fieldValue(const PciFunctionView& view, const registers::ResolvedField& field);

// Runs the body of pci-get or pci-set: a slot, name, value or register
// file fault ends it with status 2, bytes refused to this user with 1, each
// with its reason on stderr.
int runFieldCommand(std::string_view command, const std::function<int()>& body);

// "no PCI function at 00:1a.0" / "no PCI function 8086:9999".
std::string noFunctionText(const registers::PciSlot& slot);

}  // namespace zelkora::cli
