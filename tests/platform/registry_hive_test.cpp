#include <gtest/gtest.h>

#include "tests/support/fake_root.h"

#include <array>
#include <nlohmann/json.hpp>
#include <span>

#include "platform/registry/hive.h"
#include "platform/registry/live_hive.h"
#include "platform/registry/reg_export.h"
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
    auto hive = parse(testing::fileBytes(testing::kTestData / "every-value-form.reg"));
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
    // Each case: the text, and the start of the message it is refused with.
    auto cases =
        nlohmann::json::parse(testing::fileBytes(testing::kTestData / "malformed-reg-files.json"));
    cases.push_back({"\xFE\xFF", "x.reg:1: UTF-16 big-endian"});  // no UTF-8 text for JSON
    for (const auto& test : cases) {
        const std::string body = test[0], message = test[1];
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

    // The tree walk: each key before its subkeys, the subkeys in enumeration order.
    std::string walked;
    const auto visit = [&](const WalkedKey& key) {
        walked += std::to_string(key.depth) + std::string(key.name) + (key.holdsValue ? "+ " : " ");
    };
    EXPECT_EQ(regWalkKeyTree(hklm, "v", visit), kErrorSuccess);
    EXPECT_EQ(walked, "0HKEY_LOCAL_MACHINE 1A 2B+ 2LongerName ");
    EXPECT_EQ(regWalkKeyTree(noRights, "v", visit), kErrorAccessDenied);

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
    EXPECT_EQ(regWalkKeyTree(b, "v", visit), kErrorKeyDeleted);
    EXPECT_EQ(regCloseKey(b), kErrorSuccess);
    EXPECT_EQ(regCloseKey(b), kErrorInvalidHandle);
}

// The hive of a small board (tests/data/roots/live-hive: seven functions with
// their drivers and one driver module's version) and its pci.ids: one Enum
// key per function under its vendor, device, subsystem and revision, with
// its description and maker from pci.ids, and a Driver value that names the
// whole path of its class key, since the library, knowing no registry roots
// for this platform, opens "" + "\\" + Driver. Among the functions a bridge
// whose kernel subsystem attributes say 1043:8088 while its header type says
// it has none, one without a name in pci.ids, and a USB controller, which has
// a class of its own. A folder that names no function and a function without
// a vendor file are passed over.
TEST(LiveHive, DescribesEveryPciFunctionAsTheEnumAndClassTreesDo) {
    const testing::FakeRoot root("zelkora-live-hive");
    root.copyFrom("live-hive");
    root.folder("sys/bus/pci/devices/not-a-function");
    root.folder("sys/bus/pci/devices/0000:04:00.0");
    const auto hive =
        buildLiveHive({root.path() / "sys",
                       {root.path() / "missing.ids", testing::kTestData / "live-hive.ids"},
                       "6.1.0-test"});
    EXPECT_EQ(exportRegText(*hive), testing::fileBytes(testing::kTestData / "live-hive.reg"));
}

TEST(LiveHive, EmptyWithoutSysfs) {
    const auto hive = buildLiveHive({"/nonexistent-sysfs", {}, "x"});
    EXPECT_EQ(hive->root(kHKeyLocalMachine)->subKeyCount(), 0u);
}

}  // namespace
}  // namespace zelkora::platform::registry
