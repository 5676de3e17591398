#include "common/profile_file.h"

#include "tests/support/fake_root.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using zelkora::common::ProfileFile;
using zelkora::common::programDirectory;
using zelkora::testing::writeBytes;
using namespace std::string_literals;

class ProfileFileTest : public ::testing::Test {
  protected:
    std::string file(const std::string& name) const { return (dir_ / name).string(); }
    static std::string bytes(const std::string& path) { return zelkora::testing::fileBytes(path); }
    std::size_t entriesInDir() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    zelkora::testing::ScratchDir scratch_{"zelkora-profile"};
    const fs::path& dir_ = scratch_.path();
};

TEST_F(ProfileFileTest, NewFileHoldsSectionsInWriteOrderAndKeysAtTheEndOfTheirSection) {
    {
        ProfileFile profile(true);
        profile.setFile(file("report.ini"));
        profile.writeString("First", "1", "Alpha");
        profile.writeString("Second", "2", "Beta");
        profile.writeString("Third", "3", "alpha");
        profile.writeInteger("All", static_cast<int32_t>(0xFFFFFFFFu), "Beta");
        profile.writeReal("Half", 0.5f);
        profile.writeReal("Hundred", 100.0f);
        profile.writeReal("Tenth", 0.1f);
        profile.writeReal("Million", 1e6f);
        EXPECT_FALSE(fs::exists(file("report.ini"))) << "saved once, when let go";
    }
    EXPECT_EQ(bytes(file("report.ini")),
              "[Alpha]\nFirst=1\nThird=3\n\n[Beta]\nSecond=2\nAll=-1\nHalf=0.5\n"
              "Hundred=100\nTenth=0.1\nMillion=1e+06\n");
    EXPECT_EQ(entriesInDir(), 1u) << "no temporary file is left behind";
}

TEST_F(ProfileFileTest, ExistingFileKeepsItsLinesAndLineEndsAndReplacesKeysInPlace) {
    writeBytes(file("old.ini"),
               "orphan=0\r\n; note\r\n[Main]\r\n  Name = Old \r\njunk line\r\n[unclosed\r\n\r\n"
               "; about other\r\n  [ Other ]  \r\nk=v\r\n");
    {
        ProfileFile profile(true);
        profile.setFile(file("old.ini"));
        EXPECT_EQ(profile.getString("orphan", "none", "Main"), "none");
        EXPECT_EQ(profile.getString("junk line", "none"), "none");
        EXPECT_EQ(profile.getString("K", "none", "other"), "v");
        profile.writeString("NAME", "New", "main");
        profile.writeString("Added", "1", "MAIN");
        profile.writeString("t", "x", "Third");
    }
    EXPECT_EQ(
        bytes(file("old.ini")),
        "orphan=0\r\n; note\r\n[Main]\r\nName=New\r\njunk line\r\n[unclosed\r\nAdded=1\r\n\r\n"
        "; about other\r\n  [ Other ]  \r\nk=v\r\n\r\n[Third]\r\nt=x\r\n");
}

TEST_F(ProfileFileTest, ReadsTrimUnquoteCutAndTakeTheFirstMatch) {
    writeBytes(file("r.ini"),
               "[S]\na =  \"quoted\"  \nempty=\nA=second\nlong=" + std::string(300, 'x') +
                   "\nnul=a\0b\nmixed=12abc\nletters=abc\nsigned=  -42\n"
                   "big=99999999999\nsmall=-99999999999\n[s]\nb=other\n"s);
    ProfileFile profile(true);
    profile.setFile(file("r.ini"));
    EXPECT_EQ(profile.getString("A", "d", "s"), "quoted");
    EXPECT_EQ(profile.getString("empty", "d"), "");
    EXPECT_EQ(profile.getString("b", "d"), "d") << "only the first section of a name counts";
    EXPECT_EQ(profile.getString("long"), std::string(255, 'x'));
    EXPECT_EQ(profile.getString("missing", std::string(300, 'y')), std::string(255, 'y'));
    EXPECT_EQ(profile.getString("nul"), "a\0b"s);
    // Integers read the leading decimal number, saturated.
    EXPECT_EQ((std::vector{profile.getInteger("mixed", 7, "S"), profile.getInteger("letters", 7),
                           profile.getInteger("signed", 7), profile.getInteger("big", 7),
                           profile.getInteger("small", 7)}),
              (std::vector{12, 0, -42, INT_MAX, INT_MIN}));
    EXPECT_EQ(profile.getString("missing", "d", "Nowhere"), "d");
    EXPECT_EQ(profile.getInteger("missing", 7), 7);
}

TEST_F(ProfileFileTest, NamedSectionStaysCurrent) {
    ProfileFile profile(true);
    profile.setFile(file("s.ini"));
    profile.getString("Key", "", "Sticky");
    profile.writeString("Key", "value");
    EXPECT_EQ(profile.section(), "Sticky");
    profile.setSection("Other");
    EXPECT_EQ(profile.getString("Key", "none"), "none");
    EXPECT_EQ(profile.getString("Key", "none", "STICKY"), "value");
}

TEST_F(ProfileFileTest, WritesAreSharedAtOnceAndSavedWhenTheLastObjectLetsGo) {
    const std::string path = file("shared.ini");
    auto writer = std::make_unique<ProfileFile>(true);
    writer->setFile(path);
    writer->writeString("Key", "one", "S");
    {
        ProfileFile reader(true);
        reader.setFile(file("./sub/../shared.ini"));
        EXPECT_EQ(reader.getString("key", "", "s"), "one");
        reader.writeString("Key", "two");
        EXPECT_EQ(writer->getString("Key"), "two");
    }
    EXPECT_FALSE(fs::exists(path)) << "the writer still holds the file";
    writer->setFile(file("elsewhere.ini"));
    EXPECT_EQ(bytes(path), "[S]\nKey=two\n") << "changing file saves the old one";
    writer.reset();

    writeBytes(path, "[S]\nKey=edited\n");
    ProfileFile later(true);
    later.setFile(path);
    EXPECT_EQ(later.getString("Key", "", "S"), "edited") << "a file nobody holds is read afresh";
}

TEST_F(ProfileFileTest, BrokenNamesAndValuesNeverSplitTheFile) {
    {
        ProfileFile profile(true);
        profile.setFile(file("b.ini"));
        profile.writeString("Key", "a\nb\r[c]=d", "Sec\ntion");
        profile.writeString("k=v", "lost");
        profile.writeString("[k]", "lost");
        profile.writeString(std::string_view("cut\0off", 7), "  text");
    }
    EXPECT_EQ(bytes(file("b.ini")), "[Sec tion]\nKey=a b [c]=d\ncut=text\n");
}

TEST_F(ProfileFileTest, Utf16FilesAreReadAndWrittenBackInTheirEncoding) {
    const auto utf16 = [](std::u16string_view text) {
        std::string bytes = "\xFF\xFE";
        for (char16_t unit : text)
            bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        return bytes;
    };
    writeBytes(file("oem.inf"),
               utf16(u"[Version]\r\nDriverVer=07/15/2003,5.1.1002\r\nName=Gr\u00FC\u00DFe\r\n"));
    {
        ProfileFile inf(true);
        inf.setFile(file("oem.inf"));
        EXPECT_EQ(inf.getString("DriverVer", "", "Version"), "07/15/2003,5.1.1002");
        EXPECT_EQ(inf.getString("Name"), "Gr\u00FC\u00DFe");
        inf.writeString("Added", "\xE4\xB8\xAD and a stray \xFF");
        EXPECT_EQ(inf.getString("Added"), "\xE4\xB8\xAD and a stray \xFF");
        EXPECT_TRUE(inf.flush());
    }
    EXPECT_EQ(bytes(file("oem.inf")),
              utf16(u"[Version]\r\nDriverVer=07/15/2003,5.1.1002\r\nName=Gr\u00FC\u00DFe\r\n"
                    u"Added=\u4E2D and a stray \xDCFF\r\n"));
    ProfileFile again(true), odd(true);
    again.setFile(file("oem.inf"));
    EXPECT_EQ(again.getString("Added", "", "Version"), "\xE4\xB8\xAD and a stray \xFF");

    // Marked UTF-16 but an odd number of bytes: neither reading would survive a rewrite.
    writeBytes(file("odd.inf"), "\xFF\xFE[\0S\0]\0\n"s);
    odd.setFile(file("odd.inf"));
    odd.writeString("k", "v", "S");
    EXPECT_FALSE(odd.flush());
    EXPECT_EQ(bytes(file("odd.inf")), "\xFF\xFE[\0S\0]\0\n"s);
}

// An ordinary user in a folder that it may not write to: the temporary file
// cannot be made there, but a writable file in it is written in place, and
// cut to its new length. Where neither works, flush says so.
TEST_F(ProfileFileTest, WritesReachAFileWhoseFolderTakesNoNewFiles) {
    const fs::path locked = dir_ / "locked";
    fs::create_directory(locked);
    writeBytes((locked / "open.ini").string(), "[S]\nk=a longer old value\n");
    writeBytes((locked / "shut.ini").string(), "[S]\nk=old\n");
    ::chmod((locked / "open.ini").c_str(), 0666);
    ::chmod((locked / "shut.ini").c_str(), 0444);
    ::chmod(locked.c_str(), 0555);
    ::chmod(dir_.c_str(), 0755);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(10);
        }
        ProfileFile open(true), shut(true), added(true);
        open.setFile((locked / "open.ini").string());
        shut.setFile((locked / "shut.ini").string());
        added.setFile((locked / "added.ini").string());
        for (ProfileFile* profile : {&open, &shut, &added})
            profile->writeString("k", "new", "S");
        ::_exit((open.flush() ? 0 : 1) | (shut.flush() ? 2 : 0) | (added.flush() ? 4 : 0));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(locked.c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit " << WEXITSTATUS(status);
    EXPECT_EQ(bytes((locked / "open.ini").string()), "[S]\nk=new\n");
    EXPECT_EQ(bytes((locked / "shut.ini").string()), "[S]\nk=old\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), {}), 2) << "nothing left behind";
}

TEST_F(ProfileFileTest, FilesThatCannotBeWrittenStayAsTheyAre) {
    writeBytes(file("locked.ini"), "[S]\nk=old\n");
    ::chmod(file("locked.ini").c_str(), 0444);
    fs::create_directory(file("folder.ini"));
    writeBytes(file("kept.ini"), "[S]\n");
    writeBytes(file("huge.ini"), "[S]\nk=old\n");
    fs::resize_file(file("huge.ini"), (64u << 20) + 1);
    ::chmod(file("kept.ini").c_str(), 0640);
    {
        ProfileFile locked(true), folder(true), missingDir(true), kept(true), huge(true);
        locked.setFile(file("locked.ini"));
        folder.setFile(file("folder.ini"));
        missingDir.setFile(file("no/such/dir.ini"));
        kept.setFile(file("kept.ini"));
        huge.setFile(file("huge.ini"));
        for (ProfileFile* profile : {&locked, &folder, &missingDir, &kept, &huge}) {
            profile->writeString("k", "new", "S");
        }
        EXPECT_EQ(folder.getString("k", "default"), "default");
        EXPECT_EQ(huge.getString("k", "default"), "default");
        EXPECT_EQ(locked.flush(), ::geteuid() == 0);
        EXPECT_FALSE(folder.flush());
        EXPECT_FALSE(missingDir.flush());
        EXPECT_TRUE(kept.flush());
        EXPECT_FALSE(huge.flush());
    }
    if (::geteuid() != 0) {
        EXPECT_EQ(bytes(file("locked.ini")), "[S]\nk=old\n");
    }
    EXPECT_TRUE(fs::is_directory(file("folder.ini")));
    struct stat info {};
    ASSERT_EQ(::stat(file("kept.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(fs::file_size(file("huge.ini")), (64u << 20) + 1);
    EXPECT_EQ(entriesInDir(), 4u) << "no temporary file is left behind";
}

TEST_F(ProfileFileTest, PathsFollowTheProgramOrTheWorkingDirectory) {
    const std::string exe = fs::read_symlink("/proc/self/exe").string();
    const std::string home = exe.substr(0, exe.rfind('/') + 1);
    const std::string base = exe.substr(exe.rfind('/') + 1);
    EXPECT_EQ(programDirectory(), home);

    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    ProfileFile beside(true), here(false);
    fs::current_path(before);
    EXPECT_EQ(beside.path(), home + base + ".ini");
    EXPECT_EQ(here.path(), fs::canonical(dir_).string() + "/" + base + ".ini");
    EXPECT_EQ(here.section(), base);

    here.setFile("/abs/x.ini");
    EXPECT_EQ(here.path(), "/abs/x.ini");
    here.setFile("SuperIOInfo.dat");
    EXPECT_EQ(here.path(), home + "SuperIOInfo.dat");
}

}  // namespace
