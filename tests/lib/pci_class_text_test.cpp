#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/fixed_text.h"
#include "lib/devices/pci_class_table.h"

namespace zelkora::devices {
namespace {

std::string classText(uint8_t base, uint8_t sub, uint8_t progIf) {
    char text[50];
    std::memset(text, 0, sizeof text);
    LookUpPCIClassText(base, sub, progIf, text);
    EXPECT_EQ(text[49], '\0');
    return std::string(common::fieldText(text));
}

// The three passes: exact row, then any programming interface (FFh), then the
// base class row; an unknown class gets the first row's text. Texts of 50
// characters and more are cut to the field's 49.
TEST(PciClassText, ExactRowThenAnyInterfaceThenBaseClass) {
    EXPECT_EQ(classText(0x0C, 0x03, 0x10), "USB controller using OHC spec.");
    EXPECT_EQ(classText(0x06, 0x04, 0x01), "Subtractive Decode PCI/PCI bridge.");
    // A given FFh matches a row holding FFh already in the first pass.
    EXPECT_EQ(classText(0x01, 0xFF, 0xFF), "Mass storage controller.");

    EXPECT_EQ(classText(0x01, 0x01, 0x8A), "IDE controller.");
    EXPECT_EQ(classText(0x0E, 0x00, 0x01), "Intelligent IO controller.");

    // These texts are keyed with programming interface 01h, so 00h misses them.
    EXPECT_EQ(classText(0x0B, 0x00, 0x00), "Processors.");
    EXPECT_EQ(classText(0x0B, 0x00, 0x01), "386.");
    EXPECT_EQ(classText(0x0C, 0x03, 0x20), "Serial bus controllers.");

    EXPECT_EQ(classText(0x12, 0x00, 0x00), "Device does not fit any of the defined class code");
    EXPECT_EQ(classText(0xFF, 0xFF, 0xFF), "Device does not fit any of the defined class code");
    EXPECT_EQ(classText(0x07, 0x03, 0x02), "Hayes-Compatiable Modem,16550-compatible Interfac");
    EXPECT_EQ(pciClassTable().size(), 132u) << "the closing row included";
}

}  // namespace
}  // namespace zelkora::devices
