#include <gtest/gtest.h>

#include "platform/live/live_services.h"

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
