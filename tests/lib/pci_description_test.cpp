#include "lib/devices/pci_description.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "common/fixed_text.h"
#include "lib/devices/pci_bus.h"
#include "lib/hw/driver.h"
#include "tests/support/device_lists.h"
#include "tests/support/fake_root.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::devices {
namespace {

using common::fieldText;

// A machine whose registry is the given .reg text (tests/data/pci-descriptions.reg
// unless given).
const std::string kDescriptions = testing::fileBytes(testing::kTestData / "pci-descriptions.reg");
class RegistryMachine {
  public:
    RegistryMachine(const std::string& functions = "",
                    const std::string& version = R"({"platformId": 2, "major": 5, "minor": 1})",
                    const std::string& regText = kDescriptions)
        : machine_((scratch_.write("r.reg", regText),
                    R"({"system": {"version": )" + version +
                        R"(}, "registry": ["r.reg"], "pci": {"functions": [)" + functions + "]}}"),
                   scratch_.path()) {
        EXPECT_TRUE(machine_.open());
    }

  private:
    testing::ScratchDir scratch_{"zelkora-pci-description"};
    testing::SimulatedMachine machine_;
};

std::string describe(uint16_t vendor, uint16_t device, uint32_t subsystem, uint8_t revision) {
    char text[50];
    std::memset(text, 'x', sizeof text);
    const bool found = LookUpPCIDescription(vendor, device, subsystem, revision, text);
    EXPECT_EQ(text[49], '\0');
    return found ? std::string(fieldText(text)) : "<failed:" + std::string(fieldText(text)) + ">";
}

std::vector<PCIDeviceInfo> scan(PciDescriptionSource& source) {
    return scanPciBus(hw::driverPorts(), source);
}

// Both searches must give byte-identical records.
void expectSameRecords(const std::vector<PCIDeviceInfo>& direct,
                       const std::vector<PCIDeviceInfo>& indexed) {
    ASSERT_EQ(direct.size(), indexed.size());
    for (size_t i = 0; i < direct.size(); ++i) {
        EXPECT_EQ(std::memcmp(&direct[i], &indexed[i], sizeof(PCIDeviceInfo)), 0)
            << i << ": " << direct[i].Description << " / " << indexed[i].Description;
    }
}

TEST(PciDescription, FirstKeyHoldingTheValueInEnumerationOrderAnyTypeOrLength) {
    RegistryMachine machine;
    // The first instance holds no DeviceDesc itself, but a key below it does.
    EXPECT_EQ(describe(0x8086, 0x2570, 0x80F21043, 0x02), "Nested below the first instance");
    EXPECT_EQ(describe(0x10EC, 0x8139, 0, 0x10), "RTL8139");
    EXPECT_EQ(describe(0x10EC, 0x8139, 0x813910EC, 0x10), "<failed:>");
    EXPECT_EQ(describe(0x8086, 0x2570, 0x80F21043, 0x03), "<failed:>") << "revision differs";
    EXPECT_EQ(describe(0x8086, 0x24D2, 0x80A61043, 0x02), "") << "a DWORD gives an empty text";
    EXPECT_EQ(describe(0x8086, 0x24D3, 0x80A61043, 0x02), "");
    EXPECT_EQ(describe(0x8086, 0x24D5, 0x80F31043, 0x02), "LONG" + std::string(45, 'y'));
}

TEST(PciDescription, BasePathFollowsThePlatform) {
    // platform, major, minor -> what the Windows 98 key and an XP key give
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {R"({"platformId": 1, "major": 4, "minor": 10})", "PIIX4 ISA bridge", "<failed:>"},
        // Windows 2000 searches ControlSet001 even where another set is current.
        {R"({"platformId": 2, "major": 5, "minor": 0})", "<failed:>", "RTL8139"},
        // A system the table does not know searches from the root key itself.
        {R"({"platformId": 3, "major": 6, "minor": 0})", "PIIX4 ISA bridge", "RTL8139"},
        {R"({"platformId": 2, "major": 4, "minor": 10})", kNT4DescriptionText, kNT4DescriptionText},
        {R"({"queryFails": true})", "<failed:>", "<failed:>"}};
    for (const auto& [version, win98Text, xpText] : cases) {
        RegistryMachine machine("", version);
        EXPECT_EQ(describe(0x8086, 0x7110, 0, 0x02), win98Text) << version;
        EXPECT_EQ(describe(0x10EC, 0x8139, 0, 0x10), xpText) << version;
    }
}

constexpr char kFunctions[] = R"(
    {"address": "00:00.0", "vendor": "0x8086", "device": "0x2570", "subsystem": "0x80F21043", "revision": "0x02"},
    {"address": "00:09.0", "vendor": "0x10EC", "device": "0x8139", "subsystem": "0x813910EC", "revision": "0x10", "class": "0x020000"},
    {"address": "00:1d.0", "vendor": "0x8086", "device": "0x24D2", "subsystem": "0x80A61043", "revision": "0x02"},
    {"address": "00:1e.0", "vendor": "0x8086", "device": "0x244E", "revision": "0xC2", "headerType": "0x01"})";

TEST(PciDescription, ScanRecordsFromBothSearchesAndTheExportedList) {
    RegistryMachine machine(kFunctions);
    DirectPciDescriptions direct;
    IndexedPciDescriptions indexed;
    const auto records = scan(direct);
    // The RTL8139 is found by the retry with subsystem 0.
    std::vector<std::string> texts;
    for (const auto& r : records)
        texts.emplace_back(fieldText(r.Description));
    EXPECT_EQ(texts, (std::vector<std::string>{"Nested below the first instance", "RTL8139", "",
                                               kPciDescriptionFailure}));
    expectSameRecords(records, scan(indexed));

    // The exported list uses the indexed search.
    expectSameRecords(records, testing::pciRecords());
}

// Random hives where identifiers recur at several depths, in other letter
// cases, below one another and with values of several types: the indexed
// search must answer exactly as the depth-first walk does.
TEST(PciDescription, IndexedSearchEqualsTheWalkOnVariedHives) {
    const std::vector<std::string> ids = {
        "VEN_8086&DEV_2570&SUBSYS_80F21043&REV_02", "VEN_8086&DEV_2570&SUBSYS_00000000&REV_02",
        "VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10", "VEN_10EC&DEV_8139&SUBSYS_00000000&REV_10",
        "VEN_1106&DEV_3038&SUBSYS_00000000&REV_80"};
    const std::string functions = R"(
        {"address": "00:00.0", "vendor": "0x8086", "device": "0x2570", "subsystem": "0x80F21043", "revision": "0x02"},
        {"address": "00:01.0", "vendor": "0x10EC", "device": "0x8139", "subsystem": "0x813910EC", "revision": "0x10"},
        {"address": "00:02.0", "allFunctions": true, "vendor": "0x10EC", "device": "0x8139", "subsystem": "0x11111111", "revision": "0x10"},
        {"address": "01:03.0", "vendor": "0x1106", "device": "0x3038", "subsystem": "0x12345678", "revision": "0x80"},
        {"address": "02:00.0", "vendor": "0x1106", "device": "0x3038", "revision": "0x81"})";
    const std::vector<std::string> bases = {"HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet001\\Enum",
                                            "HKEY_LOCAL_MACHINE\\SYSTEM\\ControlSet002\\Enum"};
    int outcomes[3] = {};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
        std::string reg = "Windows Registry Editor Version 5.00\n\n";
        for (int key = 0; key < 60; ++key) {
            std::string path = bases[pick(bases.size())];
            const size_t depth = 1 + pick(4);
            for (size_t level = 0; level < depth; ++level) {
                if (pick(3) == 0) {
                    std::string id = ids[pick(ids.size())];
                    if (pick(4) == 0) {
                        for (auto& c : id)
                            c = static_cast<char>(std::tolower(c));
                    }
                    path += "\\" + id;
                } else {
                    path += "\\K" + std::to_string(pick(5));
                }
            }
            reg += "[" + path + "]\n";
            switch (pick(4)) {
                case 0:
                    reg += "\"DeviceDesc\"=\"desc " + std::to_string(key) + "\"\n";
                    break;
                case 1:
                    reg += "\"DeviceDesc\"=dword:0000002a\n";
                    break;
                case 2:
                    reg += "\"devicedesc\"=hex(2):41,00,00,00\n";
                    break;
                default:
                    reg += "\"Other\"=\"x\"\n";
            }
            reg += "\n";
        }
        RegistryMachine machine(functions, R"({"platformId": 2, "major": 5, "minor": 1})", reg);
        DirectPciDescriptions direct;
        IndexedPciDescriptions indexed;
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto records = scan(direct);
        expectSameRecords(records, scan(indexed));
        for (const auto& r : records) {
            const auto text = fieldText(r.Description);
            ++outcomes[text == kPciDescriptionFailure ? 0 : text.empty() ? 1 : 2];
        }
    }
    // The hives gave every kind of answer: failures, empty texts, found texts.
    EXPECT_GT(outcomes[0], 0);
    EXPECT_GT(outcomes[1], 0);
    EXPECT_GT(outcomes[2], 0);
}

}  // namespace
}  // namespace zelkora::devices
