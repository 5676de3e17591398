#include <gtest/gtest.h>

#include "tests/support/fake_root.h"

#include <array>
#include <span>

#include "platform/registry/hive.h"
#include "platform/registry/live_hive.h"
#include "platform/registry/reg_file.h"
#include "platform/registry/registry_api.h"
#include "platform/registry/utf16.h"
#include "platform/services.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::platform::registry {
namespace {

using Bytes = std::vector<uint8_t>;

std::unique_ptr<Hive> parse(std::string_view text, std::string_view name = "test.reg") {
    auto hive = emptyHive();
    parseRegText(text, name, *hive);
    return hive;
}

Bytes valueOf(const Hive& hive, std::string_view path, std::string_view name, uint32_t type) {
    const auto key = hive.find(kHKeyLocalMachine, path);
    if (!key) return {0xEE};
    const Value* value = key->findValue(name);
    if (!value || value->type != type) return {0xEE};
    return value->data;
}

Bytes bytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}
// A string value's bytes with the terminating NUL.
Bytes sz(std::string_view s) {
    Bytes data = bytes(s);
    data.push_back(0);
    return data;
}

std::string utf16le(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::vector<std::string> subKeyNames(const Key& key) {
    std::vector<std::string> names;
    for (size_t i = 0; i < key.subKeyCount(); ++i)
        names.push_back(key.subKeyAt(i)->name());
    return names;
}

TEST(RegFile, ReadsEveryValueFormOfAVersion5Export) {
    const std::string body =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n"
        "@=\"default\"\r\n"
        "\"Quoted\"=\"a\\\\b\\\"c\\n\"\r\n"
        "\"Count\"=dword:0000ff01\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "  ab,CD\r\n"
        "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
        "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
        "; a comment\r\n"
        "\"Empty\"=hex:\r\n";
    auto hive = parse(utf16le(body));
    const std::string key = "SOFTWARE\\Test";
    EXPECT_EQ(valueOf(*hive, key, "", kRegSz), sz("default"));
    EXPECT_EQ(valueOf(*hive, key, "quoted", kRegSz), sz("a\\b\"c\\n"));
    EXPECT_EQ(valueOf(*hive, key, "Count", kRegDword), (Bytes{0x01, 0xFF, 0x00, 0x00}));
    EXPECT_EQ(valueOf(*hive, key, "Blob", kRegBinary), (Bytes{0x01, 0x02, 0xAB, 0xCD}));
    EXPECT_EQ(valueOf(*hive, key, "Expand", kRegExpandSz), sz("%A%"));
    EXPECT_EQ(valueOf(*hive, key, "Multi", kRegMultiSz), bytes(std::string_view("a\0b\0\0", 5)));
    EXPECT_EQ(valueOf(*hive, key, "Qword", 0x0B), (Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(valueOf(*hive, key, "Empty", kRegBinary), Bytes{});
}

TEST(RegFile, ReadsRegedit4AndConvertsUnicodeTextToUtf8) {
    auto hive = parse(
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"Expand\"=hex(2):25,41,25,00\n"
        "\"Name\"=\"\xC3\xA4\"\n");
    EXPECT_EQ(valueOf(*hive, "A", "Expand", kRegExpandSz), sz("%A%")) << "8-bit in REGEDIT4 files";
    EXPECT_EQ(valueOf(*hive, "A", "Name", kRegSz), sz("\xC3\xA4"));

    // "Gerät" and a character outside the basic plane, written as UTF-16LE.
    std::string unicode = utf16le("Windows Registry Editor Version 5.00\n[HKLM\\A]\n\"N\"=\"Ger");
    unicode += std::string("\xE4\x00\x3D\xD8\x00\xDE", 6);
    unicode += utf16le("\"\n").substr(2);
    hive = parse(unicode);
    EXPECT_EQ(valueOf(*hive, "A", "N", kRegSz), sz("Ger\xC3\xA4\xF0\x9F\x98\x80"));
    EXPECT_EQ(utf16leToUtf8(std::string("\x00\xD8\x41\x00", 4)),
              "\xEF\xBF\xBD"
              "A")
        << "an unpaired surrogate";
}

TEST(RegFile, DeletesKeysAndValuesAndMergesFilesInOrder) {
    const zelkora::testing::ScratchDir scratch("zelkora-reg-merge");
    auto hive = loadRegFiles(
        {scratch.write("one.reg",
                       "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\Gone\\Deep]\n[HKEY_LOCAL_MACHINE\\A]\n"
                       "\"Keep\"=\"1\"\n\"Drop\"=\"1\"\n"),
         scratch.write("two.reg",
                       "REGEDIT4\n[-HKEY_LOCAL_MACHINE\\a\\GONE]\n\"Ignored\"=\"x\"\n"
                       "[HKEY_LOCAL_MACHINE\\A]\n\"Keep\"=\"2\"\n\"drop\"=-\n")});
    EXPECT_EQ(hive->find(kHKeyLocalMachine, "A\\Gone"), nullptr);
    EXPECT_EQ(valueOf(*hive, "A", "Keep", kRegSz), sz("2"));
    EXPECT_EQ(hive->find(kHKeyLocalMachine, "A")->findValue("Drop"), nullptr);

    try {
        loadRegFiles({scratch.path() / "missing.reg"});
        FAIL() << "a missing file loads";
    } catch (const RegFileError& error) {
        EXPECT_NE(std::string(error.what()).find("missing.reg:1: cannot be read"),
                  std::string::npos);
    }
}

TEST(RegFile, RefusesMalformedFilesNamingFileAndLine) {
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"", "x.reg:1: missing header: the file is empty"},
        {"\n[HKEY_LOCAL_MACHINE\\A]\n", "x.reg:2: missing header"},
        {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", "x.reg:2: unknown root key \"HKEY_NOWHERE\""},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", "x.reg:2: key name without a closing ']'"},
        {"REGEDIT4\n[-HKEY_LOCAL_MACHINE]\n", "x.reg:2: a root key cannot be deleted"},
        {"REGEDIT4\n\"A\"=\"x\"\n", "x.reg:2: value outside a key"},
        {"REGEDIT4\n[HKLM\\A]\n\"A\"=\"open\n", "x.reg:3: string value without a closing '\"'"},
        {"REGEDIT4\n[HKLM\\A]\n\"A\"=dword:123456789\n", "x.reg:3: bad dword value"},
        {"REGEDIT4\n[HKLM\\A]\n\"A\"=hex:01,\\\n 02,zz\n", "x.reg:4: bad hex byte \"zz\""},
        {"REGEDIT4\n[HKLM\\A]\n\"A\"=hex:01,,02\n", "x.reg:3: empty byte in a hex list"},
        {"REGEDIT4\n[HKLM\\A]\n\"A\"=hex(x):01\n", "x.reg:3: bad value type"},
        {"REGEDIT4\n[HKLM\\A]\n\"A\" \"x\"\n", "x.reg:3: expected '=' after the value name"},
        {"REGEDIT4\n[HKLM\\A]\nA=1\n", "x.reg:3: unrecognised line \"A=1\""},
        {"REGEDIT4\n[HKLM\\" + std::string(256, 'k') + "]\n",
         "x.reg:2: a key name is longer than 255"},
        {"\xFE\xFF", "x.reg:1: UTF-16 big-endian"},
    };
    for (const auto& [body, message] : cases) {
        try {
            parse(body, "x.reg");
            ADD_FAILURE() << "accepted: " << body;
        } catch (const RegFileError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(message, 0), 0u)
                << error.what() << "\nexpected: " << message;
        }
    }
}

TEST(Hive, EnumeratesSubKeysSortedWithoutRegardToCase) {
    auto hive = parse(
        "REGEDIT4\n[HKLM\\K\\beta]\n[HKLM\\K\\Alpha]\n[HKLM\\K\\a_x]\n[HKLM\\K\\AB]\n"
        "[HKLM\\K\\ALPHA\\Child]\n[HKLM\\\\K\\\\Alpha\\]\n");
    const auto key = hive->find(kHKeyLocalMachine, "\\k");
    ASSERT_NE(key, nullptr);
    // Upper-cased comparison puts '_' after the letters, as Windows NT does.
    EXPECT_EQ(subKeyNames(*key), (std::vector<std::string>{"AB", "Alpha", "a_x", "beta"}));
    EXPECT_EQ(key->longestSubKeyName(), 5u);
    EXPECT_EQ(hive->find(kHKeyLocalMachine, "K\\alpha\\CHILD"), key->subKeyAt(1)->subKeyAt(0));
    EXPECT_EQ(hive->find(kHKeyLocalMachine, ""), hive->root(kHKeyLocalMachine));
}

// The Win32-shaped calls over the hive of this process.
TEST(RegistryApi, OpensEnumeratesAndQueriesLikeWin32) {
    const zelkora::testing::ScratchDir scratch("zelkora-registry-api");
    scratch.write("hive.reg", "REGEDIT4\n[HKLM\\A\\LongerName]\n[HKLM\\A\\B]\n\"V\"=\"text\"\n");
    testing::SimulatedMachine machine(R"({"registry": ["hive.reg"]})", scratch.path());
    const KeyHandle hklm = KeyHandle::predefined(kHKeyLocalMachine);

    KeyHandle a;
    ASSERT_EQ(regOpenKeyEx(hklm, "\\A\\", 0, kKeyRead, a), kErrorSuccess);
    uint32_t count = 0, longest = 0;
    ASSERT_EQ(regQueryInfoKey(a, &count, &longest, nullptr), kErrorSuccess);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(longest, 10u);
    std::array<char, 11> name{};
    uint32_t length = 0;
    EXPECT_EQ(regEnumKeyEx(a, 1, std::span(name).first(10), length), kErrorMoreData);
    EXPECT_EQ(regEnumKeyEx(a, 1, name, length), kErrorSuccess);
    EXPECT_EQ(std::string(name.data()), "LongerName");
    EXPECT_EQ(length, 10u);
    EXPECT_EQ(regEnumKeyEx(a, 2, name, length), kErrorNoMoreItems);

    KeyHandle b;
    ASSERT_EQ(regOpenKeyEx(a, "b", 0, kKeyRead, b), kErrorSuccess);
    uint32_t type = 0, size = 0;
    EXPECT_EQ(regQueryValueEx(b, "v", &type, {}, &size), kErrorSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 5u);
    std::array<uint8_t, 4> small{};
    EXPECT_EQ(regQueryValueEx(b, "v", &type, small, &size), kErrorMoreData);
    EXPECT_EQ(regQueryValueEx(b, "w", &type, {}, &size), kErrorFileNotFound);
    KeyHandle noRights;
    ASSERT_EQ(regOpenKeyEx(a, "B", 0, 0, noRights), kErrorSuccess);
    EXPECT_EQ(regQueryValueEx(noRights, "v", &type, {}, &size), kErrorAccessDenied);

    // A missing key: read access creates nothing; write access creates it in memory.
    KeyHandle created;
    EXPECT_EQ(regCreateKeyEx(hklm, "A\\New\\Sub", 0, kKeyRead, created), kErrorAccessDenied);
    EXPECT_TRUE(created.isNull());
    EXPECT_EQ(regOpenKeyEx(hklm, "A\\New", 0, kKeyRead, created), kErrorFileNotFound);
    uint32_t disposition = 0;
    EXPECT_EQ(regCreateKeyEx(hklm, "A\\New\\Sub", 0, kKeyAllAccess, created, &disposition),
              kErrorSuccess);
    EXPECT_EQ(disposition, kRegCreatedNewKey);
    EXPECT_EQ(regCreateKeyEx(hklm, "A\\New\\Sub", 0, kKeyRead, created, &disposition),
              kErrorSuccess);
    EXPECT_EQ(disposition, kRegOpenedExistingKey);

    // A handle outlives the deletion of its key.
    parseRegText("REGEDIT4\n[-HKLM\\A\\B]\n", "delete.reg", services().registry());
    EXPECT_EQ(regQueryValueEx(b, "v", &type, {}, &size), kErrorKeyDeleted);
    EXPECT_EQ(regCloseKey(b), kErrorSuccess);
    EXPECT_EQ(regCloseKey(b), kErrorInvalidHandle);
}

// A sysfs tree and pci.ids of a small board, written by the test.
class LiveHiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        using zelkora::testing::pciSpace;
        root_.addPciFunction("00:00.0", pciSpace(0x8086, 0x2570, 0x060000, 2, 0x80F21043),
                             "ie31200_edac");
        root_.addPciFunction("00:1f.5", pciSpace(0x8086, 0x24D5, 0x040100, 2, 0x80F31043),
                             "snd_hda_intel");
        root_.addPciFunction("00:1f.6", pciSpace(0x8086, 0x1234, 0x078000, 2, 0));
        root_.addPciFunction("01:00.0", pciSpace(0x10EC, 0x8139, 0x020000, 0x10, 0x813910EC));
        root_.addPciFunction("02:00.0", pciSpace(0x1002, 0x73BF, 0x030000, 0xC1, 0), "amdgpu");
        root_.addPciFunction("03:00.0", pciSpace(0xABCD, 0x0001, 0x0C0330, 0, 0), "xhci_hcd");
        // A bridge: the kernel's subsystem attributes say 1043:8088, the header type says
        // it has none.
        root_.addPciFunction("00:1e.0", pciSpace(0x8086, 0x244E, 0x060400, 0xC2, 0, 0x01));
        root_.write("sys/bus/pci/devices/0000:00:1e.0/subsystem_vendor", "0x1043\n");
        root_.write("sys/bus/pci/devices/0000:00:1e.0/subsystem_device", "0x8088\n");
        root_.folder("sys/bus/pci/devices/not-a-function");
        root_.folder("sys/bus/pci/devices/0000:04:00.0");  // no vendor file
        root_.write("sys/module/snd_hda_intel/version", "1.2\n");
        std::filesystem::create_directory_symlink("../../../../module/snd_hda_intel",
                                                  sysfs() / "bus/pci/drivers/snd_hda_intel/module");
        root_.write("pci.ids",
                    "# names\n"
                    "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
                    "\t73bf  Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]\n"
                    "10ec  Realtek Semiconductor Co., Ltd.\n"
                    "\t8139  RTL-8100/8101L/8139 PCI Fast Ethernet Adapter\n"
                    "\t\t10ec 8139  RTL-8139/8139C/8139C+ Ethernet\n"
                    "8086  Intel Corporation\n"
                    "\t2570  82865G/PE/P DRAM Controller/Host-Hub Interface\n"
                    "\t24d5  82801EB/ER (ICH5/ICH5R) AC'97 Audio Controller\n"
                    "C 00  Unclassified device\n"
                    "\t00  Non-VGA unclassified device\n");
    }

    std::filesystem::path sysfs() const { return root_.path() / "sys"; }

    std::unique_ptr<Hive> build() const {
        return buildLiveHive(
            {sysfs(), {root_.path() / "missing.ids", root_.path() / "pci.ids"}, "6.1.0-test"});
    }

    static std::string stringAt(const Hive& hive, const std::string& path, std::string_view name) {
        const auto key = hive.find(kHKeyLocalMachine, path);
        const Value* value = key ? key->findValue(name) : nullptr;
        if (!value || value->type != kRegSz || value->data.empty()) return "<none>";
        return std::string(value->data.begin(), value->data.end() - 1);
    }

    zelkora::testing::FakeRoot root_{"zelkora-live-hive"};
};

TEST_F(LiveHiveTest, DescribesEveryPciFunctionAsTheEnumTreeDoes) {
    const auto hive = build();
    const std::string pci = "SYSTEM\\ControlSet001\\Enum\\PCI\\";
    const auto enumKey = hive->find(kHKeyLocalMachine, pci);
    ASSERT_NE(enumKey, nullptr);
    EXPECT_EQ(
        subKeyNames(*enumKey),
        (std::vector<std::string>{
            "VEN_1002&DEV_73BF&SUBSYS_00000000&REV_C1", "VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10",
            "VEN_8086&DEV_1234&SUBSYS_00000000&REV_02", "VEN_8086&DEV_244E&SUBSYS_00000000&REV_C2",
            "VEN_8086&DEV_24D5&SUBSYS_80F31043&REV_02", "VEN_8086&DEV_2570&SUBSYS_80F21043&REV_02",
            "VEN_ABCD&DEV_0001&SUBSYS_00000000&REV_00"}));
    const std::string host = pci + "VEN_8086&DEV_2570&SUBSYS_80F21043&REV_02\\3&000000&0&00";
    EXPECT_EQ(stringAt(*hive, host, "DeviceDesc"),
              "Intel 82865G/PE/P DRAM Controller/Host-Hub Interface");
    EXPECT_EQ(stringAt(*hive, host, "Mfg"), "Intel Corporation");
    EXPECT_EQ(stringAt(*hive, host, "Service"), "ie31200_edac");
    const std::string nic = pci + "VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10\\3&000001&0&00";
    EXPECT_EQ(stringAt(*hive, nic, "DeviceDesc"),
              "Realtek RTL-8100/8101L/8139 PCI Fast Ethernet Adapter");
    EXPECT_EQ(stringAt(*hive, nic, "Driver"), "<none>") << "no driver bound";
    EXPECT_EQ(stringAt(*hive, pci + "VEN_8086&DEV_1234&SUBSYS_00000000&REV_02\\3&000000&0&FE",
                       "DeviceDesc"),
              "Intel Device 1234");
    EXPECT_EQ(stringAt(*hive, pci + "VEN_1002&DEV_73BF&SUBSYS_00000000&REV_C1\\3&000002&0&00",
                       "DeviceDesc"),
              "AMD/ATI Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]");
    EXPECT_EQ(stringAt(*hive, pci + "VEN_ABCD&DEV_0001&SUBSYS_00000000&REV_00\\3&000003&0&00",
                       "DeviceDesc"),
              "PCI device abcd:0001");
}

TEST_F(LiveHiveTest, DriverValueIsTheWholePathOfTheClassKey) {
    const auto hive = build();
    const std::string pci = "SYSTEM\\ControlSet001\\Enum\\PCI\\";
    // The library, knowing no registry roots for this platform, opens "" + "\\" + Driver.
    const std::string host =
        stringAt(*hive, pci + "VEN_8086&DEV_2570&SUBSYS_80F21043&REV_02\\3&000000&0&00", "Driver");
    EXPECT_EQ(
        host,
        "SYSTEM\\ControlSet001\\Control\\Class\\{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0000");
    EXPECT_EQ(stringAt(*hive, "\\" + host, "ProviderName"), "Linux ie31200_edac");
    EXPECT_EQ(stringAt(*hive, "\\" + host, "DriverVersion"), "6.1.0-test");

    const std::string audio =
        stringAt(*hive, pci + "VEN_8086&DEV_24D5&SUBSYS_80F31043&REV_02\\3&000000&0&FD", "Driver");
    EXPECT_EQ(
        audio,
        "SYSTEM\\ControlSet001\\Control\\Class\\{4D36E96C-E325-11CE-BFC1-08002BE10318}\\0000");
    EXPECT_EQ(stringAt(*hive, audio, "DriverVersion"), "1.2") << "the module's own version";
    EXPECT_EQ(stringAt(*hive, audio, "DriverDesc"),
              "Intel 82801EB/ER (ICH5/ICH5R) AC'97 Audio Controller");
    EXPECT_NE(
        stringAt(*hive, pci + "VEN_ABCD&DEV_0001&SUBSYS_00000000&REV_00\\3&000003&0&00", "Driver")
            .find("{36FC9E60-C465-11CF-8056-444553540000}\\0000"),
        std::string::npos)
        << "USB controllers have their own class";
}

TEST(LiveHive, EmptyWithoutSysfs) {
    const auto hive = buildLiveHive({"/nonexistent-sysfs", {}, "x"});
    EXPECT_EQ(hive->root(kHKeyLocalMachine)->subKeyCount(), 0u);
}

}  // namespace
}  // namespace zelkora::platform::registry
