#include "lib/probes/registry_key.h"

#include <gtest/gtest.h>

#include "platform/registry/registry_api.h"
#include "tests/support/simulated_machine.h"

namespace zelkora::probes {
namespace {

// Children in enumeration order: alpha before Beta (case does not count);
// Target lies two levels down under alpha and directly under Beta.
class RegistryKeyTest : public ::testing::Test {
  protected:
    testing::SimulatedMachine machine_{R"({"registry": ["registry-key.reg"]})", testing::kTestData};
};

TEST_F(RegistryKeyTest, FindSubKeyTakesTheFirstMatchInEnumerationOrder) {
    RegistryKey key(kHKeyLocalMachine, "Root", kRegistryRead);
    std::string path;
    ASSERT_TRUE(key.FindSubKey("TARGET", path));
    EXPECT_EQ(path, "\\alpha\\Inner") << "depth first: alpha's subtree before Beta";
    EXPECT_EQ(key.currentPath(), "Root") << "the walk comes back to where it started";

    std::string here = "kept";
    EXPECT_TRUE(key.FindSubKey("Beta", here));
    EXPECT_EQ(here, "kept") << "a direct subkey leaves the path as it was";

    EXPECT_FALSE(key.FindSubKey("Nowhere", path));
    EXPECT_EQ(key.currentPath(), "Root");
}

TEST_F(RegistryKeyTest, FindKeyWithValueLeadsToTheHoldingKey) {
    RegistryKey key(kHKeyLocalMachine, "Root", kRegistryRead);
    std::string path;
    ASSERT_TRUE(key.FindKeyWithValue("devicedesc", path));
    EXPECT_EQ(path, "\\alpha\\Inner\\Leaf");
    key.Reopen(kHKeyLocalMachine, "Root" + path);
    std::string text;
    key.QueryString("DeviceDesc", text);
    EXPECT_EQ(text, "inner leaf");

    std::string own;
    key.Reopen(kHKeyLocalMachine, "Root");
    EXPECT_TRUE(key.FindKeyWithValue("Top", own));
    EXPECT_EQ(own, "") << "the open key itself holds the value";
}

TEST_F(RegistryKeyTest, AscendStopsAtTheHomePath) {
    RegistryKey key(kHKeyLocalMachine, "Root\\alpha", kRegistryRead);
    key.Ascend();
    EXPECT_EQ(key.currentPath(), "Root\\alpha");
    EXPECT_TRUE(key.isOpen());

    key.Descend("Inner");
    key.Descend("Leaf");
    EXPECT_EQ(key.currentPath(), "Root\\alpha\\Inner\\Leaf");
    EXPECT_EQ(key.homePath(), "Root\\alpha");
    EXPECT_TRUE(key.HasValue("Count"));
    key.Ascend();
    key.Ascend();
    key.Ascend();
    EXPECT_EQ(key.currentPath(), "Root\\alpha");
    EXPECT_TRUE(key.HasSubKey("inner"));
}

TEST_F(RegistryKeyTest, QueryStringReadsOnlyPlainStrings) {
    RegistryKey key(kHKeyLocalMachine, "Root\\alpha\\Inner\\Leaf", kRegistryRead);
    // A REG_DWORD, a REG_EXPAND_SZ and a missing value leave the text alone; data without
    // a terminating NUL ends with the data; a text ends at its first NUL.
    std::string text = "before", seen;
    for (const char* name : {"Count", "Path", "Missing", "NoNul", "Embedded"}) {
        key.QueryString(name, text);
        seen += text + "|";
    }
    EXPECT_EQ(seen, "before|before|before|OK|A|");
}

TEST_F(RegistryKeyTest, MissingKeyIsCreatedOnlyWithWriteAccess) {
    RegistryKey reader(kHKeyLocalMachine, "Root\\New", kRegistryRead);
    EXPECT_FALSE(reader.isOpen());
    RegistryKey root(kHKeyLocalMachine, "Root", kRegistryRead);
    int index = 1;
    EXPECT_EQ(root.EnumSubKey(index), "alpha");
    EXPECT_EQ(index, 2) << "the index counts up";
    EXPECT_EQ(root.EnumSubKey(index), "Beta");
    EXPECT_EQ(index, 0) << "and ends with 0: still only alpha and Beta";

    RegistryKey writer(kHKeyLocalMachine, "Root\\New", kRegistryRead | kRegistryWrite);
    EXPECT_TRUE(writer.isOpen());
    reader.Open(kHKeyLocalMachine, "Root\\New", kRegistryRead);
    EXPECT_TRUE(reader.isOpen());
}

// A leaf, a key that is not there and an unknown root: every search ends at
// once and leaves the caller's path alone.
TEST_F(RegistryKeyTest, LeafsAndEmptyObjectsFindNothing) {
    RegistryKey leaf(kHKeyLocalMachine, "Root\\alpha\\Inner\\Leaf", kRegistryRead);
    ASSERT_TRUE(leaf.isOpen());
    EXPECT_FALSE(leaf.HasAnySubKey());
    std::string path = "unchanged";
    EXPECT_FALSE(leaf.FindSubKey("Target", path));
    EXPECT_FALSE(leaf.FindKeyWithValue("Missing", path));
    EXPECT_EQ(path, "unchanged");

    RegistryKey key(kHKeyLocalMachine, "Nowhere", kRegistryRead);
    EXPECT_FALSE(key.HasAnySubKey());
    EXPECT_FALSE(key.HasSubKey("Root"));
    EXPECT_FALSE(key.FindSubKey("Target", path));
    EXPECT_FALSE(key.FindKeyWithValue("DeviceDesc", path));
    EXPECT_EQ(path, "unchanged");
    key.Reopen(kHKeyLocalMachine, "Root");
    EXPECT_FALSE(key.FindKeyWithValue("DeviceDesc", path)) << "reopened without any access";
    EXPECT_FALSE(RegistryKey(0x8000'0042, "", kRegistryRead).isOpen()) << "unknown root";
}

}  // namespace
}  // namespace zelkora::probes
