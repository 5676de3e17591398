// The program and the shared library run one copy of common in a process: a
// value that the program's ProfileFile holds, not yet on disk, is what the
// library reads through a ProfileFile of its own (the chipset driver's
// version from the information file in the machine's Windows directory).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/fixed_text.h"
#include "common/profile_file.h"
#include "tests/support/fake_root.h"
#include "zelkora/sysinfo.h"

namespace zelkora {
namespace {

namespace fs = std::filesystem;

TEST(SharedCommon, LibraryReadsWhatTheProgramHolds) {
    const fs::path folder = testing::scratchPath("zelkora-shared-common");
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy(ZELKORA_SOURCE_DIR "/machines/demo", folder / "demo", fs::copy_options::recursive);
    fs::copy_file(ZELKORA_SOURCE_DIR "/machines/demo.json", folder / "demo.json");
    ASSERT_EQ(::setenv("ZELKORA_MACHINE", (folder / "demo.json").c_str(), 1), 0);
    const fs::path inf = folder / "demo/windows/inf/oem1.inf";
    const auto onDisk = [&] {
        std::ifstream in(inf, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string shipped = onDisk();

    common::ProfileFile program(false);
    program.setFile(inf.string());
    program.writeString("DriverVer", "12/06/2026,6.2.1003", "Version");
    ASSERT_EQ(onDisk(), shipped);

    ASSERT_NE(InitializeSysInfoLib(), 0);
    MotherBoardInfo board{};
    ASSERT_NE(GetMotherBoardInfo(&board), 0);
    UninitializeSysInfoLib();
    EXPECT_EQ(common::fieldText(board.ChipsetDriverDate), std::string_view("12/06/2026"));
    EXPECT_EQ(common::fieldText(board.ChipsetDriverVersion), std::string_view("6.2.1003"));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace zelkora
