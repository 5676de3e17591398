#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/live/live_services.h"
#include "tests/support/scratch_path.h"

namespace zelkora::platform {
namespace {

TEST(LocaleLanguage, MapsLocaleNamesOntoLanguageIdentifiers) {
    EXPECT_EQ(languageFromLocale("zh_CN.UTF-8"), 0x0804);
    EXPECT_EQ(languageFromLocale("zh_TW.UTF-8"), 0x0404);
    EXPECT_EQ(languageFromLocale("zh_HK.UTF-8"), 0x0C04);
    EXPECT_EQ(languageFromLocale("zh_SG"), 0x1004);
    EXPECT_EQ(languageFromLocale("en_US.UTF-8"), 0x0409);
    EXPECT_EQ(languageFromLocale("en_GB.ISO-8859-1"), 0x0809);
    EXPECT_EQ(languageFromLocale("de_AT.UTF-8@euro"), 0x0C07);
    EXPECT_EQ(languageFromLocale("sr_RS.UTF-8@latin"), 0x081A);
    EXPECT_EQ(languageFromLocale("de_BE.UTF-8"), 0x0407)
        << "unknown territory: the language's default";
    EXPECT_EQ(languageFromLocale("C.UTF-8"), 0x0409);
    EXPECT_EQ(languageFromLocale("POSIX"), 0x0409);
    EXPECT_EQ(languageFromLocale(""), 0x0409);
    EXPECT_EQ(languageFromLocale("ur_PK.UTF-8"), kUnlistedLanguage)
        << "a language without an identifier is not English";
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
    auto services = makeLiveServices();
    const auto memory = services->memoryStatus();
    EXPECT_GT(memory.totalPhysical, 0u);
    EXPECT_LE(memory.availablePhysical, memory.totalPhysical);
    EXPECT_GE(memory.totalPageFile, memory.totalPhysical);
    const auto version = services->version();
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->platformId, kPlatformLinux);
    EXPECT_FALSE(version->systemName.empty());
    const auto vendor = services->cpuid(0);
    EXPECT_NE(vendor.ebx, 0u);
}

}  // namespace
}  // namespace zelkora::platform
