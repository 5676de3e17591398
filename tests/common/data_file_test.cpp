#include "common/data_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/profile_file.h"

namespace zelkora::common {
namespace {

namespace fs = std::filesystem;

// A data file beside the program wins (the build tree copies the chip files
// there); failing that, the installed data folder relative to the common
// library (beside the program in the build tree); found nowhere, the name
// beside the program. An installed tree is checked by scripts/check-install.sh.
TEST(DataFile, BesideTheProgramThenTheInstalledDataFolder) {
    const std::string home = programDirectory();
    EXPECT_EQ(dataFilePath("SuperIOInfo.txt"), home + "SuperIOInfo.txt");
    EXPECT_EQ(dataFilePath("/elsewhere/SuperIOInfo.txt"), "/elsewhere/SuperIOInfo.txt");

    const std::string name = "data-file-test-" + std::to_string(::getpid()) + ".dat";
    EXPECT_EQ(dataFilePath(name), home + name);
    const fs::path installed = fs::path(home) / "../share/zelkora" / name;
    fs::create_directories(installed.parent_path());
    std::ofstream(installed) << "[ID=52h]\n";
    EXPECT_EQ(dataFilePath(name), installed.string());
    std::ofstream(home + name) << "[ID=52h]\n";
    EXPECT_EQ(dataFilePath(name), home + name);
    fs::remove(home + name);
    fs::remove(installed);
    std::error_code keep;  // the folders go only if empty
    fs::remove(installed.parent_path(), keep);
    fs::remove(installed.parent_path().parent_path(), keep);
}

}  // namespace
}  // namespace zelkora::common
