#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/live/live_services.h"
#include "tests/support/fake_root.h"

namespace zelkora::platform {
namespace {

TEST(LocaleLanguage, MapsLocaleNamesOntoLanguageIdentifiers) {
    // An unknown territory (de_BE) gives the language's default; a language without an
    // identifier (ur_PK) is not English.
    std::vector<int> ids;
    for (const char* locale : {"zh_CN.UTF-8", "zh_TW.UTF-8", "zh_HK.UTF-8", "zh_SG", "en_US.UTF-8",
                               "en_GB.ISO-8859-1", "de_AT.UTF-8@euro", "sr_RS.UTF-8@latin",
                               "de_BE.UTF-8", "C.UTF-8", "POSIX", "", "ur_PK.UTF-8"})
        ids.push_back(languageFromLocale(locale));
    EXPECT_EQ(ids, (std::vector<int>{0x0804, 0x0404, 0x0C04, 0x1004, 0x0409, 0x0809, 0x0C07, 0x081A,
                                     0x0407, 0x0409, 0x0409, 0x0409, kUnlistedLanguage}));
}

TEST(LiveServices, RootIsNamedAfterTheUserWhoBecameRoot) {
    if (geteuid() != 0) GTEST_SKIP() << "names the effective user unless run as root";
    const auto loginUid = zelkora::testing::scratchPath("zelkora-loginuid");
    std::ofstream(loginUid) << "4294967295";
    ::setenv("SUDO_USER", "alice", 1);
    EXPECT_EQ(loggedOnUser(loginUid), "alice");
    ::unsetenv("SUDO_USER");
    EXPECT_EQ(loggedOnUser(loginUid), "root") << "no login uid";
    std::ofstream(loginUid) << "1";  // daemon
    EXPECT_EQ(loggedOnUser(loginUid), getpwuid(1)->pw_name);
    std::filesystem::remove(loginUid);
}

TEST(LiveServices, MemoryValuesSaturateAndTheSystemNamesItself) {
    // The root's /proc/meminfo: 4 GiB less 1 KiB of RAM fits in 32 bits, RAM
    // and swap together do not; then 4 GiB exactly, one byte past the limit.
    auto root = std::make_unique<testing::FakeRoot>("zelkora-meminfo");
    auto services = makeLiveServices();
    root->write("proc/meminfo",
                "MemTotal:        4194303 kB\nMemFree:          100000 kB\n"
                "MemAvailable:    2097152 kB\nHugePages_Total:       0\n"
                "SwapTotal:       1048576 kB\n");
    auto memory = services->memoryStatus();
    EXPECT_EQ(memory.totalPhysical, 0xFFFF'FC00u);
    EXPECT_EQ(memory.availablePhysical, 0x8000'0000u);
    EXPECT_EQ(memory.totalPageFile, 0xFFFF'FFFFu);
    root->write("proc/meminfo", "MemTotal:        4194304 kB\nMemAvailable:    4194304 kB\n");
    memory = services->memoryStatus();
    EXPECT_EQ(memory.totalPhysical, 0xFFFF'FFFFu);
    EXPECT_EQ(memory.availablePhysical, 0xFFFF'FFFFu);
    root.reset();

    const auto version = services->version();
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->platformId, kPlatformLinux);
    EXPECT_FALSE(version->systemName.empty());
    const auto vendor = services->cpuid(0);
    EXPECT_NE(vendor.ebx, 0u);
}

}  // namespace
}  // namespace zelkora::platform
