#include <gtest/gtest.h>

#include "platform/machine/machine_file.h"

namespace zelkora::platform::machine {
namespace {

TEST(MachineFile, FileNamesResolveToAbsolutePathsBesideTheMachineFile) {
    // A machine named by a relative path: its files must still be found after
    // the program changes folder or hands the name to a reader that puts the
    // program's own folder in front of relative names.
    auto file = MachineFile::parse(R"({"system": {"windowsDirectory": "demo/windows"},
                                       "registry": ["/abs/registry.reg"]})",
                                   "machines/demo.json", "machines");
    const Field root = rootField(*file);
    const auto windows = root["system"]["windowsDirectory"].filePath();
    EXPECT_TRUE(windows.is_absolute());
    EXPECT_EQ(windows, std::filesystem::current_path() / "machines/demo/windows");
    EXPECT_EQ(root["registry"].at(0).filePath(), "/abs/registry.reg");
}

TEST(MachineFile, NumbersAcceptDecimalAndBothHexadecimalForms) {
    auto file = MachineFile::parse(R"({"a": 31, "b": "0x1F", "c": "1Fh", "d": "1F", "e": -1,
                                       "f": 1.5, "g": "0x"})",
                                   "n.json", ".");
    const Field root = rootField(*file);
    EXPECT_EQ(root["a"].number(), 31u);
    EXPECT_EQ(root["b"].number(), 31u);
    EXPECT_EQ(root["c"].number(), 31u);
    EXPECT_THROW(root["d"].number(), MachineError) << "bare digits are ambiguous";
    EXPECT_THROW(root["e"].number(), MachineError);
    EXPECT_THROW(root["f"].number(), MachineError);
    EXPECT_THROW(root["g"].number(), MachineError);
    EXPECT_THROW(root["a"].number(30), MachineError);
}

}  // namespace
}  // namespace zelkora::platform::machine
