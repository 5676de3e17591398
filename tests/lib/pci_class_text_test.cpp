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

TEST(PciClassText, TableShape) {
    const auto table = pciClassTable();
    ASSERT_EQ(table.size(), 132u);
    for (size_t i = 0; i + 1 < table.size(); ++i)
        EXPECT_EQ(table[i].validMark, 0x55AAu) << i;
    EXPECT_EQ(table.back().validMark, 0u);
    EXPECT_EQ(table.back().baseClass, 0xFF);
    EXPECT_STREQ(table.back().text, "");
    EXPECT_STREQ(table.front().text, "Device does not fit any of the defined class code.");
}

TEST(PciClassText, ExactMatchFirst) {
    EXPECT_EQ(classText(0x0C, 0x03, 0x10), "USB controller using OHC spec.");
    EXPECT_EQ(classText(0x06, 0x04, 0x01), "Subtractive Decode PCI/PCI bridge.");
    EXPECT_EQ(classText(0x0E, 0x00, 0x00), "Message FIFO at Offset 40H.");
    EXPECT_EQ(classText(0x03, 0x00, 0x01), "VGA-compatile controller.");
    EXPECT_EQ(classText(0x07, 0x01, 0xFE), "IEEE 1284 Target Device.");
    // A given FFh matches a row holding FFh already in the first pass.
    EXPECT_EQ(classText(0x01, 0xFF, 0xFF), "Mass storage controller.");
}

TEST(PciClassText, AnyProgrammingInterfaceSecond) {
    EXPECT_EQ(classText(0x01, 0x01, 0x8A), "IDE controller.");
    EXPECT_EQ(classText(0x01, 0x01, 0x00), "IDE controller.");
    EXPECT_EQ(classText(0x0E, 0x00, 0x01), "Intelligent IO controller.");
    EXPECT_EQ(classText(0x0F, 0x02, 0x33), "Audio.");
}

TEST(PciClassText, BaseClassRowThird) {
    // These texts are keyed with programming interface 01h, so 00h misses them.
    EXPECT_EQ(classText(0x0B, 0x00, 0x00), "Processors.");
    EXPECT_EQ(classText(0x0B, 0x00, 0x01), "386.");
    EXPECT_EQ(classText(0x00, 0x01, 0x00), "Device built before class codes defined.");
    EXPECT_EQ(classText(0x00, 0x01, 0x01), "VGA-compatible device.");
    EXPECT_EQ(classText(0x08, 0x80, 0x00), "Base system peripherals.");
    EXPECT_EQ(classText(0x08, 0x80, 0x01), "Other system peripheral.");
    EXPECT_EQ(classText(0x0C, 0x03, 0x20), "Serial bus controllers.");
}

TEST(PciClassText, UnknownBaseClassAndLongTextsAreCut) {
    // Texts of 50 characters and more are cut to the field's 49.
    EXPECT_EQ(classText(0x12, 0x00, 0x00), "Device does not fit any of the defined class code");
    EXPECT_EQ(classText(0xFF, 0xFF, 0xFF), "Device does not fit any of the defined class code");
    EXPECT_EQ(classText(0x07, 0x03, 0x02), "Hayes-Compatiable Modem,16550-compatible Interfac");
    EXPECT_EQ(classText(0x11, 0x80, 0x00), "Other Data Acquistion & signal Processing Control");
    EXPECT_EQ(classText(0x11, 0x01, 0x00), "Data Acquisition & Signal Processing controllers.");
}

}  // namespace
}  // namespace zelkora::devices
