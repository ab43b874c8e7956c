// Reading and replacing the player's small files: only regular files are
// read, never through a link or blocking on a FIFO; a replacement is all or
// nothing and keeps what the old file had that the caller wants kept.

#include <gtest/gtest.h>

#include "support/TempDir.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/platform/Files.h"

namespace fs = std::filesystem;
using Brisk::Platform::ReadRegularFile;
using Brisk::Platform::ReplaceFile;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class FilesTest : public TestSupport::TempDirTest {};

TEST_F(FilesTest, OnlyRegularFilesAreReadAndNoMoreThanAsked) {
    WriteBytes("plain", {1, 2, 3, 4, 5});
    std::string error;
    EXPECT_EQ(ReadRegularFile("plain", 3, &error), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadRegularFile("plain", 100, &error), (Bytes{1, 2, 3, 4, 5}));

    // Each of these would hang the start, leak another file or read a folder.
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    fs::create_directory("folder");
    fs::create_symlink(fs::absolute("plain"), "link");
    for (const char* path : {"fifo", "folder", "link", "missing"}) {
        error.clear();
        EXPECT_FALSE(ReadRegularFile(path, 100, &error)) << path;
        EXPECT_NE(error.find(path), std::string::npos) << error;
    }
}

TEST_F(FilesTest, AReplacementKeepsTheModeAndTheTailAndLeavesNoTemporaryFile) {
    WriteBytes("f", {9, 9, 9, 7, 8});
    ASSERT_EQ(chmod("f", 0440), 0);
    std::string error;
    ASSERT_TRUE(ReplaceFile("f", {1, 2, 3}, true, &error)) << error;
    EXPECT_EQ(ReadBytes("f"), (Bytes{1, 2, 3, 7, 8}));
    EXPECT_EQ(fs::status("f").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read);
    ASSERT_TRUE(ReplaceFile("f", {4}, false, &error)) << error;
    EXPECT_EQ(ReadBytes("f"), (Bytes{4}));
    EXPECT_FALSE(fs::exists("f.tmp"));

    // A leftover temporary file of a crash is no obstacle.
    WriteBytes("g.tmp", {0});
    ASSERT_TRUE(ReplaceFile("g", {5, 6}, true, &error)) << error;
    EXPECT_EQ(ReadBytes("g"), (Bytes{5, 6}));
    EXPECT_FALSE(fs::exists("g.tmp"));
}

TEST_F(FilesTest, ALinkIsReplacedNeverFollowedAndAFolderIsRefused) {
    WriteBytes("target", {1, 1, 1, 1});
    fs::create_symlink(fs::absolute("target"), "link");
    std::string error;
    ASSERT_TRUE(ReplaceFile("link", {2}, true, &error)) << error;
    EXPECT_FALSE(fs::is_symlink("link"));
    EXPECT_EQ(ReadBytes("link"), (Bytes{2}));
    EXPECT_EQ(ReadBytes("target"), (Bytes{1, 1, 1, 1}));

    fs::create_directory("folder");
    EXPECT_FALSE(ReplaceFile("folder", {2}, true, &error));
    EXPECT_NE(error.find("folder"), std::string::npos);
    EXPECT_TRUE(fs::is_directory("folder"));

    WriteBytes("file", {3});
    EXPECT_FALSE(ReplaceFile("file/inside", {2}, true, &error));  // a parent that is a file
    EXPECT_EQ(ReadBytes("file"), (Bytes{3}));
}

// A disk that fills up while writing: the old file stays whole.
TEST_F(FilesTest, AWriteThatFailsLeavesTheOldFileWholeAndNoTemporaryFile) {
    WriteBytes("f", {1, 2, 3});
    std::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail instead of killing
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limit = old;
    limit.rlim_cur = 2;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::string error;
    const bool written = ReplaceFile("f", {4, 5, 6, 7}, true, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("f.tmp"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes("f"), (Bytes{1, 2, 3}));
    EXPECT_FALSE(fs::exists("f.tmp"));
}

}  // namespace
