// Reading and replacing the player's small files: only regular files are
// read, never through a link or blocking on a FIFO; a replacement is all or
// nothing and keeps what the old file had that the caller wants kept.

#include <gtest/gtest.h>

#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
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

// The names in the working folder.
std::set<std::string> Listing() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(".")) {
        names.insert(entry.path().filename().string());
    }
    return names;
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
    EXPECT_EQ(Listing(), (std::set<std::string>{"f"}));

    // Temporary files of other writers (or of a crash) are no obstacle, and
    // they are not this write's to remove: another copy may be writing them.
    WriteBytes("g.tmp", {0});
    WriteBytes("g.0123456789abcdef.tmp", {0});
    ASSERT_TRUE(ReplaceFile("g", {5, 6}, true, &error)) << error;
    EXPECT_EQ(ReadBytes("g"), (Bytes{5, 6}));
    EXPECT_EQ(Listing(), (std::set<std::string>{"f", "g", "g.tmp", "g.0123456789abcdef.tmp"}));
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
    EXPECT_EQ(error.rfind("f.", 0), 0u) << error;  // names the temporary file
    EXPECT_NE(error.find(".tmp: "), std::string::npos) << error;
    EXPECT_EQ(ReadBytes("f"), (Bytes{1, 2, 3}));
    EXPECT_EQ(Listing(), (std::set<std::string>{"f"}));
}

// Another writer of the same file (a second copy of the program on the same
// folder) is in the middle of its write: its temporary file is locked and
// holds its bytes. This write must neither remove nor rename it; when the
// other writer finishes, its whole file wins.
TEST_F(FilesTest, AnotherWritersTemporaryFileIsNeverTouched) {
    for (const char* theirs : {"p.usr.tmp", "p.usr.00000000deadbeef.tmp"}) {
        SCOPED_TRACE(theirs);
        WriteBytes("p.usr", {1});
        const int other = ::open(theirs, O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(other, 0);
        ASSERT_EQ(::flock(other, LOCK_EX), 0);
        ASSERT_EQ(::write(other, "\x02\x02\x02", 3), 3);
        std::string error;
        ASSERT_TRUE(ReplaceFile("p.usr", {3, 3}, false, &error)) << error;
        EXPECT_EQ(ReadBytes("p.usr"), (Bytes{3, 3}));
        EXPECT_EQ(ReadBytes(theirs), (Bytes{2, 2, 2}));
        ASSERT_EQ(::rename(theirs, "p.usr"), 0);  // the other writer ends: last one wins
        ::close(other);
        EXPECT_EQ(ReadBytes("p.usr"), (Bytes{2, 2, 2}));
        EXPECT_EQ(Listing(), (std::set<std::string>{"p.usr"}));
    }
}

// Two writers replacing one file at once, each many times, while a reader
// looks: every write succeeds and the file is always one whole version.
TEST_F(FilesTest, TwoWritersAtOnceAlwaysLeaveOneWholeFile) {
    const Bytes versions[2] = {Bytes(40, 0xAA), Bytes(7, 0x55)};
    WriteBytes("shared", versions[0]);
    std::atomic<bool> writing{true};
    std::atomic<int> failures{0};
    auto writer = [&](const Bytes& mine) {
        for (int i = 0; i < 150; ++i) {
            std::string error;
            if (!ReplaceFile("shared", mine, false, &error)) {
                ++failures;
            }
        }
    };
    std::vector<Bytes> seen;
    std::thread reader([&] {
        while (writing) {
            seen.push_back(ReadBytes("shared"));
        }
    });
    std::thread first(writer, versions[0]);
    std::thread second(writer, versions[1]);
    first.join();
    second.join();
    writing = false;
    reader.join();
    EXPECT_EQ(failures, 0);
    for (const Bytes& bytes : seen) {
        ASSERT_TRUE(bytes == versions[0] || bytes == versions[1]) << bytes.size() << " bytes";
    }
    EXPECT_EQ(Listing(), (std::set<std::string>{"shared"}));
}

struct Leftover {
    const char* name;
    bool old;      // not changed for an hour
    bool locked;   // its writer still holds it
    bool removed;  // what the clean-up of ".usr" targets does to it
};

const Leftover kLeftovers[] = {
    {"New19.usr.0123456789abcdef.tmp", true, false, true},  // its writer died before the rename
    {"New19.usr.tmp", true, false, true},                   // named as earlier versions did
    {"Ann.usr.fedcba9876543210.tmp", true, true, false},    // still being written
    {"Ann.usr.0123456789abcdef.tmp", false, false, false},  // just made, not locked yet
    {"notes.tmp", true, false, false},                      // not one of ours for ".usr"
    {"options.opt.0123456789abcdef.tmp", true, false, false},
    {"Ann.usr", true, false, false},
};

TEST_F(FilesTest, OnlyStaleTemporaryFilesOfTheGivenTargetsAreRemoved) {
    fs::create_directory("save");
    std::vector<int> locks;
    for (const Leftover& l : kLeftovers) {
        const std::string path = std::string("save/") + l.name;
        WriteBytes(path, {1, 2});
        if (l.old) {
            fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
        }
        if (l.locked) {
            locks.push_back(::open(path.c_str(), O_RDONLY));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
        }
    }
    EXPECT_EQ(Brisk::Platform::RemoveStaleTemporaries("save", ".usr"), 2u);
    for (const Leftover& l : kLeftovers) {
        EXPECT_EQ(fs::exists(std::string("save/") + l.name), !l.removed) << l.name;
    }
    for (int fd : locks) {
        ::close(fd);
    }
}

}  // namespace
