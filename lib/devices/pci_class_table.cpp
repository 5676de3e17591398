// PCI class codes and their texts. Row order matters: each look-up pass
// takes the first matching row, and the first row is the default.
#include "lib/devices/pci_class_table.h"

#include <array>

#include "common/fixed_text.h"

namespace zelkora::devices {

namespace {

constexpr uint32_t kValid = 0x55AA;
constexpr uint8_t kAny = 0xFF;

constexpr std::array<PCIClassEntry, 132> kClassTable = {{
    {0xFF, kAny, kAny, "Device does not fit any of the defined class code.", kValid},

    {0x00, kAny, kAny, "Device built before class codes defined.", kValid},
    {0x00, 0x00, 0x00, "All devices other than VGA.", kValid},
    {0x00, 0x01, 0x01, "VGA-compatible device.", kValid},

    {0x01, kAny, kAny, "Mass storage controller.", kValid},
    {0x01, 0x00, 0x00, "SCSI controller.", kValid},
    {0x01, 0x01, kAny, "IDE controller.", kValid},
    {0x01, 0x02, 0x00, "Floppy disk controller.", kValid},
    {0x01, 0x03, 0x00, "IPI controller.", kValid},
    {0x01, 0x04, 0x00, "RAID controller.", kValid},
    {0x01, 0x80, 0x00, "Other mass storage controller.", kValid},

    {0x02, kAny, kAny, "Network controller.", kValid},
    {0x02, 0x00, 0x00, "Ethernet controller.", kValid},
    {0x02, 0x01, 0x00, "Token ring controller.", kValid},
    {0x02, 0x02, 0x00, "FDDI controller.", kValid},
    {0x02, 0x03, 0x00, "ATM controller.", kValid},
    {0x02, 0x04, 0x00, "ISDN controller.", kValid},
    {0x02, 0x80, 0x00, "Other network controller.", kValid},

    {0x03, kAny, kAny, "Display controller.", kValid},
    {0x03, 0x00, 0x00, "VGA-compatile controller.", kValid},
    {0x03, 0x00, 0x01, "VGA-compatile controller.", kValid},
    {0x03, 0x01, 0x00, "XGA controller.", kValid},
    {0x03, 0x02, 0x00, "3D controller.", kValid},
    {0x03, 0x80, 0x00, "Other display controller.", kValid},

    {0x04, kAny, kAny, "Multimedia device.", kValid},
    {0x04, 0x00, 0x00, "Video device.", kValid},
    {0x04, 0x01, 0x00, "Audio device.", kValid},
    {0x04, 0x02, 0x00, "Computer Telephony Debice.", kValid},
    {0x04, 0x80, 0x00, "Other multimedia device.", kValid},

    {0x05, kAny, kAny, "Memory controller.", kValid},
    {0x05, 0x00, 0x00, "RAM memory controller.", kValid},
    {0x05, 0x01, 0x00, "Flash controller.", kValid},
    {0x05, 0x80, 0x00, "Other memory controller.", kValid},

    {0x06, kAny, kAny, "Bridge device.", kValid},
    {0x06, 0x00, 0x00, "Host/PCI bridge.", kValid},
    {0x06, 0x01, 0x00, "PCI/ISA bridge.", kValid},
    {0x06, 0x02, 0x00, "PCI/EISA bridge.", kValid},
    {0x06, 0x03, 0x00, "PCI/Micro Channel bridge.", kValid},
    {0x06, 0x04, 0x00, "PCI/PCI bridge.", kValid},
    {0x06, 0x04, 0x01, "Subtractive Decode PCI/PCI bridge.", kValid},
    {0x06, 0x05, 0x00, "PCI/PCMCIA bridge.", kValid},
    {0x06, 0x06, 0x00, "PCI/NuBus bridge.", kValid},
    {0x06, 0x07, 0x00, "PCI/CardBus bridge.", kValid},
    {0x06, 0x80, 0x00, "Other bridge type.", kValid},

    {0x07, kAny, kAny, "Simple communications controllers.", kValid},
    {0x07, 0x00, 0x00, "Generic XT-compatiable serial controller.", kValid},
    {0x07, 0x00, 0x01, "16450-compatible serial controller.", kValid},
    {0x07, 0x00, 0x02, "16550-compatible serial controller.", kValid},
    {0x07, 0x00, 0x03, "16650-compatible serial controller.", kValid},
    {0x07, 0x00, 0x04, "16750-compatible serial controller.", kValid},
    {0x07, 0x00, 0x05, "16850-compatible serial controller.", kValid},
    {0x07, 0x00, 0x06, "16950-compatible serial controller.", kValid},
    {0x07, 0x01, 0x00, "Parallel port.", kValid},
    {0x07, 0x01, 0x01, "Bi-directional parallel port.", kValid},
    {0x07, 0x01, 0x02, "ECP 1.X-compliant parallel port.", kValid},
    {0x07, 0x01, 0x03, "IEEE 1284 controller.", kValid},
    {0x07, 0x01, 0xFE, "IEEE 1284 Target Device.", kValid},
    {0x07, 0x02, 0x00, "Multiport serial controller.", kValid},
    {0x07, 0x03, 0x00, "Generic Modem.", kValid},
    {0x07, 0x03, 0x01, "Hayes-Compatiable Modem,16450-compatible Interface.", kValid},
    {0x07, 0x03, 0x02, "Hayes-Compatiable Modem,16550-compatible Interface.", kValid},
    {0x07, 0x03, 0x03, "Hayes-Compatiable Modem,16650-compatible Interface.", kValid},
    {0x07, 0x03, 0x04, "Hayes-Compatiable Modem,16750-compatible Interface.", kValid},
    {0x07, 0x80, 0x00, "Other communications device.", kValid},

    {0x08, kAny, kAny, "Base system peripherals.", kValid},
    {0x08, 0x00, 0x00, "Generic 8259 programmable interrupt controller.", kValid},
    {0x08, 0x00, 0x01, "ISA PIC.", kValid},
    {0x08, 0x00, 0x02, "EISA PIC.", kValid},
    {0x08, 0x00, 0x10, "IO PIC.", kValid},
    {0x08, 0x00, 0x20, "IO(X) APIC Interrupt Controller.", kValid},
    {0x08, 0x01, 0x00, "Generic 8237 DMA controller.", kValid},
    {0x08, 0x01, 0x01, "ISA DMA.", kValid},
    {0x08, 0x01, 0x02, "EISA DMA.", kValid},
    {0x08, 0x02, 0x00, "Generic 8254 timer.", kValid},
    {0x08, 0x02, 0x01, "ISA system timers.", kValid},
    {0x08, 0x02, 0x02, "EISA system timers.", kValid},
    {0x08, 0x03, 0x00, "Generic RTC controller.", kValid},
    {0x08, 0x03, 0x01, "ISA RTC controller.", kValid},
    {0x08, 0x04, 0x00, "Generic PCI Hot-Plug controller.", kValid},
    {0x08, 0x80, 0x01, "Other system peripheral.", kValid},

    {0x09, kAny, kAny, "Input devices.", kValid},
    {0x09, 0x00, 0x00, "Keyboard controller.", kValid},
    {0x09, 0x00, 0x00, "Keyboard controller.", kValid},
    {0x09, 0x01, 0x00, "Digitizer(pen).", kValid},
    {0x09, 0x02, 0x00, "Mouse controller.", kValid},
    {0x09, 0x03, 0x00, "Scanner controller.", kValid},
    {0x09, 0x04, 0x00, "Generic Gameport controller.", kValid},
    {0x09, 0x04, 0x10, "Gameport controller.", kValid},
    {0x09, 0x80, 0x00, "Other input controller.", kValid},

    {0x0A, kAny, kAny, "Docking stations.", kValid},
    {0x0A, 0x00, 0x00, "Generic dock station.", kValid},
    {0x0A, 0x80, 0x00, "Other type of docking station.", kValid},

    {0x0B, kAny, kAny, "Processors.", kValid},
    {0x0B, 0x00, 0x01, "386.", kValid},
    {0x0B, 0x01, 0x00, "486.", kValid},
    {0x0B, 0x02, 0x00, "Pentium.", kValid},
    {0x0B, 0x10, 0x00, "Alpha.", kValid},
    {0x0B, 0x20, 0x00, "PowerPC.", kValid},
    {0x0B, 0x30, 0x00, "MIPS.", kValid},
    {0x0B, 0x40, 0x00, "Co-processor.", kValid},

    {0x0C, kAny, kAny, "Serial bus controllers.", kValid},
    {0x0C, 0x00, 0x00, "Firewire(IEEE 1394).", kValid},
    {0x0C, 0x00, 0x10, "IEEE 1394 using 1394 OpenHCI spec.", kValid},
    {0x0C, 0x01, 0x00, "ACCESS.bus).", kValid},
    {0x0C, 0x02, 0x00, "SSA(Serial Storage Architecture.", kValid},
    {0x0C, 0x03, 0x00, "USB controller using UHC spec.", kValid},
    {0x0C, 0x03, 0x10, "USB controller using OHC spec.", kValid},
    {0x0C, 0x03, 0x80, "USB controller with no spec.", kValid},
    {0x0C, 0x03, 0xFE, "USB Device(not Host controller.", kValid},
    {0x0C, 0x04, 0x00, "Fibre Channel.", kValid},
    {0x0C, 0x05, 0x00, "SMBus(System Management Bus).", kValid},

    {0x0D, kAny, kAny, "Wireless controllers.", kValid},
    {0x0D, 0x00, 0x00, "IRDA compatible controller.", kValid},
    {0x0D, 0x01, 0x00, "Consumer IR controller.", kValid},
    {0x0D, 0x10, 0x00, "FR controller.", kValid},
    {0x0D, 0x80, 0x00, "Other type of wireless controller.", kValid},

    {0x0E, kAny, kAny, "Intelligent controllers.", kValid},
    {0x0E, 0x00, kAny, "Intelligent IO controller.", kValid},
    {0x0E, 0x00, 0x00, "Message FIFO at Offset 40H.", kValid},

    {0x0F, kAny, kAny, "Satellite communications controllers.", kValid},
    {0x0F, 0x01, 0x00, "TV.", kValid},
    {0x0F, 0x02, kAny, "Audio.", kValid},
    {0x0F, 0x03, kAny, "Voice.", kValid},
    {0x0F, 0x04, kAny, "Data.", kValid},

    {0x10, kAny, kAny, "Encryption/Decryption controllers.", kValid},
    {0x10, 0x00, 0x00, "Network and Computing Encrypt/Decrypt.", kValid},
    {0x10, 0x10, 0x00, "Entertainment Encrypt/Decrypt.", kValid},
    {0x10, 0x80, 0x00, "Other Encrypt/Decrypt.", kValid},

    {0x11, kAny, kAny, "Data Acquisition & Signal Processing controllers.", kValid},
    {0x11, 0x00, 0x00, "DPIO modules.", kValid},
    {0x11, 0x80, 0x00, "Other Data Acquistion & signal Processing Controller.", kValid},

    {0xFF, 0xFF, 0xFF, "", 0},
}};

// First row (before the terminating one) that `matches` accepts, or null.
template <typename Predicate>
const PCIClassEntry* firstRow(Predicate matches) {
    for (const auto& row : kClassTable) {
        if (row.validMark == 0) break;
        if (matches(row)) return &row;
    }
    return nullptr;
}

}  // namespace

std::span<const PCIClassEntry> pciClassTable() {
    return kClassTable;
}

void LookUpPCIClassText(uint8_t baseClass, uint8_t subClass, uint8_t progIf, char (&text)[50]) {
    const PCIClassEntry* row = firstRow([&](const PCIClassEntry& r) {
        return r.baseClass == baseClass && r.subClass == subClass && r.progIf == progIf;
    });
    if (!row) {
        row = firstRow([&](const PCIClassEntry& r) {
            return r.baseClass == baseClass && r.subClass == subClass && r.progIf == kAny;
        });
    }
    if (!row) {
        row = firstRow([&](const PCIClassEntry& r) {
            return r.baseClass == baseClass && r.subClass == kAny && r.progIf == kAny;
        });
    }
    if (!row) row = &kClassTable.front();
    common::copyText(text, row->text);
}

}  // namespace zelkora::devices
