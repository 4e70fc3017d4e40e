// The one file writer: what a save does to the file's protection, owner,
// group, mode and links, and to the folder around it.
#include "files/file_writer.h"
#include "lang/lang.h"
#include "test_files.h"

#include <gtest/gtest.h>

// Owners, groups, modes and running as another user are POSIX matters.
#ifndef _WIN32
#include <algorithm>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zmt::test {
namespace {

namespace fs = std::filesystem;

constexpr gid_t kUsersGroup = 100;   // "users": a group nobody is no member of by default

struct stat statOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class FileWriter : public ::testing::Test {
protected:
    FileWriter() {
        giveToOrdinaryUser(folder.path());
        writeFile(path, "old\n");
        giveToOrdinaryUser(path);
    }
    // Saves as an ordinary user; the FileError as a number.
    int saveAsUser(const std::string& target, gid_t extraGroup = 0) {
        return asOrdinaryUser([&] { return static_cast<int>(writeFileSafely(target, "new\n").error); }, extraGroup);
    }
    void setMode(const fs::path& file, mode_t mode) { ASSERT_EQ(::chmod(file.c_str(), mode), 0); }

    TempFolder folder;
    const std::string path = folder.file("car.ZMT");
};

TEST_F(FileWriter, AFileTheUserMayNotWriteIsRefusedAndLeftAsItWas) {
    setMode(path, 0444);
    const struct stat before = statOf(path);
    EXPECT_EQ(saveAsUser(path), static_cast<int>(FileError::CannotWrite));
    EXPECT_EQ(readFile(path), "old\n");
    const struct stat after = statOf(path);
    EXPECT_EQ(after.st_ino, before.st_ino) << "replaced";
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"car.ZMT"});

    // Nor is a folder a file to save into.
    fs::create_directory(folder.file("sub"));
    const FileResult folderRefused = writeFileSafely(folder.file("sub"), "x");
    EXPECT_EQ(folderRefused.error, FileError::CannotWrite);
    setLanguage("en");
    const std::string message = folderRefused.text();
    setLanguage("ru");
    EXPECT_EQ(message.rfind("Unable to write to " + folder.file("sub"), 0), 0u) << message;
}

TEST_F(FileWriter, ReplacingKeepsModeGroupAndOwner) {
    setMode(path, 0640);
    // Root hands the file to nobody and the group "users"; an ordinary run
    // keeps its own owner and group, which must survive all the same.
    giveToOrdinaryUser(path, kUsersGroup);
    const struct stat before = statOf(path);
    EXPECT_EQ(saveAsUser(path, kUsersGroup), 0);
    EXPECT_EQ(readFile(path), "new\n");
    const struct stat after = statOf(path);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"car.ZMT"}) << "a temporary file was left";

    // Root may give a file away: another owner's file keeps its owner too.
    if (geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 1, 1), 0);
        ASSERT_TRUE(writeFileSafely(path, "root\n").ok());
        EXPECT_EQ(statOf(path).st_uid, 1u);
        EXPECT_EQ(statOf(path).st_gid, 1u);
    }
}

TEST_F(FileWriter, AGroupTheUserIsNoMemberOfIsKeptByWritingInPlace) {
    if (geteuid() != 0) {
        // Only root can hand the file to a group the user does not belong to;
        // an ordinary run checks that such a file is still written.
        EXPECT_EQ(saveAsUser(path), 0);
        return;
    }
    setMode(path, 0664);
    ASSERT_EQ(::chown(path.c_str(), kOrdinaryUser, kUsersGroup), 0);
    const ino_t inode = statOf(path).st_ino;
    EXPECT_EQ(saveAsUser(path), 0);   // nobody, without the group "users"
    EXPECT_EQ(readFile(path), "new\n");
    EXPECT_EQ(statOf(path).st_gid, kUsersGroup);
    EXPECT_EQ(statOf(path).st_ino, inode);
}

TEST_F(FileWriter, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    setMode(folder.path(), 0555);
    const int error = saveAsUser(path);
    setMode(folder.path(), 0755);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(readFile(path), "new\n");
    // Longer old content is cut off, not left behind the new.
    writeFile(path, "a much longer old content\n");
    setMode(folder.path(), 0555);
    EXPECT_EQ(saveAsUser(path), 0);
    EXPECT_EQ(saveAsUser(folder.file("new.ZMT")), static_cast<int>(FileError::CannotWrite));
    setMode(folder.path(), 0755);
    EXPECT_EQ(readFile(path), "new\n");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"car.ZMT"});
}

TEST_F(FileWriter, LinksAreFollowedAndKept) {
    fs::create_directory(folder.path() / "real");
    const std::string real = folder.file("real/car.ZMT");
    writeFile(real, "old\n");
    setMode(real, 0600);
    // A chain: link -> hop (relative) -> real.
    fs::create_symlink("real/car.ZMT", folder.path() / "hop.ZMT");
    fs::create_symlink(folder.path() / "hop.ZMT", folder.path() / "link.ZMT");
    ASSERT_TRUE(writeFileSafely(folder.file("link.ZMT"), "new\n").ok());
    EXPECT_TRUE(fs::is_symlink(folder.path() / "link.ZMT"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "hop.ZMT"));
    EXPECT_EQ(readFile(real), "new\n");
    EXPECT_EQ(statOf(real).st_mode & 07777, 0600u);

    // A second name of the same file (a hard link) sees the new content too.
    fs::create_hard_link(real, folder.path() / "twin.ZMT");
    ASSERT_TRUE(writeFileSafely(folder.file("twin.ZMT"), "both\n").ok());
    EXPECT_EQ(readFile(real), "both\n");
}

TEST_F(FileWriter, TemporaryNamesAreUniqueAndNewFilesGetTheUsersMode) {
    // A file of the user's that has the name earlier versions used is left alone.
    writeFile(path + ".tmp", "mine\n");
    const mode_t oldMask = ::umask(027);
    const FileResult saved = writeFileSafely(folder.file("fresh.ZMT"), "fresh\n");
    const FileResult replaced = writeFileSafely(path, "new\n");
    ::umask(oldMask);
    ASSERT_TRUE(saved.ok() && replaced.ok());
    EXPECT_EQ(statOf(folder.file("fresh.ZMT")).st_mode & 07777, 0640u);
    EXPECT_EQ(readFile(path + ".tmp"), "mine\n");
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"car.ZMT", "car.ZMT.tmp", "fresh.ZMT"}));

    // The longest names a file system takes save too, new or replaced,
    // Cyrillic ones (two bytes a letter) included.
    for (const std::string& name : {std::string(251, 'a') + ".ZMT", std::string(122, 'a') + "\u0416" + std::string(127, 'b') + ".ZMT"}) {
        ASSERT_EQ(name.size(), 255u);
        const FileResult first = writeFileSafely(folder.file(name), "first\n");
        EXPECT_TRUE(first.ok()) << first.text();
        const FileResult again = writeFileSafely(folder.file(name), "second\n");
        EXPECT_TRUE(again.ok()) << again.text();
        EXPECT_EQ(readFile(folder.file(name)), "second\n");
        fs::remove(folder.file(name));
    }
}

TEST_F(FileWriter, StaleTemporaryFilesOfOursGoOnlyWhileNoOtherSaveRuns) {
    // Left by saves that were killed: ours (of this file, of another, and of
    // the form earlier versions used), and files that only look alike.
    const std::vector<std::string> ours = {".car.ZMT.zmt-0badc0de.tmp", ".other.ZMT.zmt-12345678.tmp",
                                           ".car.ZMT.89abcdef.tmp"};
    const std::vector<std::string> others = {".car.ZMT.tmp", ".other.ZMT.89abcdef.tmp", ".car.ZMT.zmt-xyz.tmp",
                                             "car.ZMT.zmt-12345678.tmp"};
    for (const auto& name : ours) writeFile(folder.file(name), "half a save");
    for (const auto& name : others) writeFile(folder.file(name), "the user's");

    // Another save holds the folder: nothing is cleaned.
    const int held = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_SH), 0);
    ASSERT_TRUE(writeFileSafely(path, "new\n").ok());
    EXPECT_TRUE(fs::exists(folder.file(ours[0]))) << "removed while another save may be writing it";
    ::close(held);

    ASSERT_TRUE(writeFileSafely(path, "newer\n").ok());
    std::vector<std::string> expected = others;
    expected.push_back("car.ZMT");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(folder.path()), expected);
}

} // namespace
} // namespace zmt::test
#endif
