// The pak file layer: archives built here byte by byte, then read back.

#include <gtest/gtest.h>

#include "support/PakFiles.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "framework/resources/PakInterface.h"

using Brisk::PakFile;
using Brisk::PakFindData;
using Brisk::PakInterface;

namespace fs = std::filesystem;

using TestSupport::PlainArchive;
using TestSupport::WriteScrambled;

namespace {

// A fresh working directory with its own files, restored afterwards.
class PakTest : public TestSupport::TempDirTest {
protected:
    std::string ReadAll(PakFile* f) {
        std::string s;
        char buf[7];
        size_t n = 0;
        while ((n = pak.Read(buf, 1, sizeof buf, f)) > 0) {
            s.append(buf, n);
        }
        return s;
    }
    std::string Open(const std::string& name) {
        PakFile* f = pak.OpenFile(name, "rb");
        if (f == nullptr) {
            return "<none>";
        }
        std::string s = ReadAll(f);
        pak.CloseFile(f);
        return s;
    }

    PakInterface pak;
};

struct NormCase {
    const char* name;
    const char* key;
};

class NormalizeTest : public ::testing::TestWithParam<NormCase> {};

TEST_P(NormalizeTest, Keys) {
    EXPECT_EQ(PakInterface::NormalizePakName(GetParam().name), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NormalizeTest,
    ::testing::Values(NormCase{"Images/Vis_Pairs//01.PNG", "IMAGES\\VIS_PAIRS\\01.PNG"},
                      NormCase{"images\\vis_pairs\\01.png", "IMAGES\\VIS_PAIRS\\01.PNG"},
                      NormCase{"images/sub/../x.png", "IMAGES\\X.PNG"},
                      NormCase{"images/../x.png", "X.PNG"}, NormCase{"../x.png", "..\\X.PNG"},
                      NormCase{"a/./b", "A\\.\\B"},
                      NormCase{"fonts\\\\/Font.txt", "FONTS\\FONT.TXT"}));

TEST_F(PakTest, AbsoluteNamesUnderTheWorkingDirectoryBecomeRelative) {
    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(PakInterface::NormalizePakName(cwd + "/images/a.png"), "IMAGES\\A.PNG");
    EXPECT_EQ(PakInterface::NormalizePakName("/elsewhere/a.png"), "\\ELSEWHERE\\A.PNG");
}

TEST_F(PakTest, EntriesOpenByAnySpellingAndTheLastArchiveWins) {
    WriteScrambled("main.pak", PlainArchive({{"images\\vis_pairs\\01.png", "first"},
                                             {"shared.txt", "from main"}}));
    WriteScrambled("data.pak", PlainArchive({{"Shared.TXT", "from data"}, {"only.txt", "x"}}));
    ASSERT_TRUE(pak.AddArchive("main.pak"));
    ASSERT_TRUE(pak.AddArchive("data.pak"));
    EXPECT_EQ(Open("Images/Vis_Pairs//01.PNG"), "first");
    EXPECT_EQ(Open("images\\vis_pairs\\01.png"), "first");
    EXPECT_EQ(Open("images/sub/../vis_pairs/01.png"), "first");
    EXPECT_EQ(Open(fs::current_path().string() + "/shared.txt"), "from data");
    EXPECT_EQ(Open("missing.txt"), "<none>");
}

// With no descriptor left the archive cannot be opened: that is said as the
// shortage it is, never as a missing or damaged archive.
TEST_F(PakTest, AnArchiveWithoutADescriptorLeftIsAShortageNotDamage) {
    WriteScrambled("data.pak", PlainArchive({{"only.txt", "x"}}));
    auto child = [&] {
        // First calls on the archive layer and on the error while
        // descriptors are left: the undefined-behaviour checker verifies a
        // type once, reading the process's maps, which it could not do afterwards.
        static_cast<void>(pak.AddArchive("no-such.pak"));
        const std::system_error primer(std::make_error_code(std::errc::too_many_files_open));
        static_cast<void>(primer.code());
        // Every descriptor from here on is taken.
        const rlimit files{static_cast<rlim_t>(dup(0)), 1024};
        setrlimit(RLIMIT_NOFILE, &files);
        try {
            static_cast<void>(pak.AddArchive("data.pak"));
        } catch (const std::system_error& e) {
            _exit(e.code().value() == EMFILE ? 0 : 3);
        }
        _exit(2);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
    ASSERT_TRUE(pak.AddArchive("data.pak"));  // with descriptors it mounts
}

// The game mounts its archive where the program mounted it already: the
// second mount changes nothing, even with another archive in between.
TEST_F(PakTest, AnArchiveMountedTwiceKeepsItsPlace) {
    WriteScrambled("main.pak", PlainArchive({{"shared.txt", "from main"}}));
    WriteScrambled("data.pak", PlainArchive({{"shared.txt", "from data"}}));
    ASSERT_TRUE(pak.AddArchive("data.pak"));
    ASSERT_TRUE(pak.AddArchive("main.pak"));
    const size_t entries = pak.Entries().size();
    EXPECT_TRUE(pak.AddArchive("data.pak"));
    EXPECT_EQ(pak.Entries().size(), entries);
    EXPECT_EQ(Open("shared.txt"), "from main");
}

TEST_F(PakTest, WritingModesAndMissingEntriesGoToDisk) {
    WriteScrambled("data.pak", PlainArchive({{"note.txt", "archived"}}));
    ASSERT_TRUE(pak.AddArchive("data.pak"));
    fs::create_directories("images");
    std::ofstream("images/loose.png") << "loose";
    EXPECT_EQ(Open("images\\loose.png"), "loose");  // backslashes work on disk too
    EXPECT_EQ(Open("IMAGES/LOOSE.PNG"), "loose");   // and case does not matter
    PakFile* w = pak.OpenFile("note.txt", "wb");    // never the archive
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->entry, nullptr);
    std::fputs("on disk", w->stream);
    pak.CloseFile(w);
    EXPECT_EQ(Open("note.txt"), "archived");  // reading still prefers the archive
    PakFile* a = pak.OpenFile("note.txt", "a+");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->entry, nullptr);
    pak.CloseFile(a);
}

// No program the game starts (a message box helper, the link opener)
// inherits a file the game has open, whatever the mode.
TEST_F(PakTest, DiskFilesAreClosedOnExec) {
    std::ofstream("loose.txt") << "loose";
    for (const char* mode : {"rb", "r", "wb", "a+", "r+b"}) {
        PakFile* f = pak.OpenFile("loose.txt", mode);
        ASSERT_NE(f, nullptr) << mode;
        ASSERT_NE(f->stream, nullptr) << mode;
        EXPECT_NE(::fcntl(fileno(f->stream), F_GETFD) & FD_CLOEXEC, 0) << mode;
        pak.CloseFile(f);
    }
}

TEST_F(PakTest, SeekClampsAndPartialElementsAreNotCounted) {
    WriteScrambled("data.pak", PlainArchive({{"ten.bin", "0123456789"}}));
    ASSERT_TRUE(pak.AddArchive("data.pak"));
    PakFile* f = pak.OpenFile("ten.bin", "rb");
    ASSERT_NE(f, nullptr);
    pak.Seek(f, -4, 2);
    EXPECT_EQ(pak.Tell(f), 6);
    pak.Seek(f, 100, 0);
    EXPECT_EQ(pak.Tell(f), 10);
    EXPECT_TRUE(pak.AtEnd(f));
    pak.Seek(f, -100, 1);
    EXPECT_EQ(pak.Tell(f), 0);
    char buf[16] = {};
    EXPECT_EQ(pak.Read(buf, 4, 10, f), 2u);  // 10 bytes copied, two whole elements
    EXPECT_EQ(std::string(buf, 10), "0123456789");
    EXPECT_EQ(pak.Tell(f), 10);
    EXPECT_EQ(pak.Read(buf, 1, 1, f), 0u);
    EXPECT_EQ(pak.ReadChar(f), -1);
    pak.Seek(f, 3, 0);
    EXPECT_EQ(pak.ReadChar(f), '3');
    EXPECT_EQ(pak.UnreadChar('x', f), 'x');
    EXPECT_EQ(pak.ReadChar(f), '3');  // the archive byte again, not the pushed one
    pak.CloseFile(f);
}

TEST_F(PakTest, TextReadsSkipCarriageReturns) {
    WriteScrambled("data.pak", PlainArchive({{"t.txt", "ab\r\ncd"}}));
    ASSERT_TRUE(pak.AddArchive("data.pak"));
    std::ofstream("loose.txt", std::ios::binary) << "ab\r\ncd";
    for (const char* name : {"t.txt", "loose.txt"}) {
        PakFile* f = pak.OpenFile(name, "rt");
        ASSERT_NE(f, nullptr);
        char line[16];
        ASSERT_NE(pak.ReadLine(line, sizeof line, f), nullptr);
        EXPECT_STREQ(line, "ab\n") << name;
        ASSERT_NE(pak.ReadLine(line, sizeof line, f), nullptr);
        EXPECT_STREQ(line, "cd") << name;
        EXPECT_EQ(pak.ReadLine(line, sizeof line, f), nullptr) << name;
        pak.CloseFile(f);
    }
    PakFile* f = pak.OpenFile("t.txt", "r");
    char small[3];
    ASSERT_NE(pak.ReadLine(small, sizeof small, f), nullptr);
    EXPECT_STREQ(small, "ab");  // at most length - 1 characters
    pak.CloseFile(f);
}

TEST_F(PakTest, SearchReportsArchiveMatchesInKeyOrderThenDiskFiles) {
    WriteScrambled("data.pak", PlainArchive({{"fonts\\b.txt", "bb", 42},
                                             {"fonts\\A.txt", "a", 7},
                                             {"fonts\\sub\\c.txt", "c"},
                                             {"fonts\\d.png", "d"}}));
    ASSERT_TRUE(pak.AddArchive("data.pak"));
    fs::create_directories("fonts");
    std::ofstream("fonts/z.txt") << "zz";
    std::ofstream("fonts/y.png") << "y";
    std::vector<std::string> names;
    PakFindData found;
    Brisk::PakSearch* s = pak.FindFirst("fonts/*.txt", &found);
    ASSERT_NE(s, nullptr);
    do {
        names.push_back(found.fileName + ":" + std::to_string(found.size));
    } while (pak.FindNext(s, &found));
    pak.FindEnd(s);
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt:1", "b.txt:2", "c.txt:1", "z.txt:2"}));

    // Without a star only the disk is searched.
    s = pak.FindFirst("fonts/y.png", &found);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(found.fileName, "y.png");
    EXPECT_FALSE(pak.FindNext(s, &found));
    pak.FindEnd(s);
    EXPECT_EQ(pak.FindFirst("nothing/*.x", &found), nullptr);
}

struct BadArchive {
    const char* name;
    std::string bytes;
};

class BadArchiveTest : public PakTest, public ::testing::WithParamInterface<BadArchive> {};

TEST_P(BadArchiveTest, IsRejectedWithoutReadingPastTheEnd) {
    WriteScrambled("bad.pak", GetParam().bytes);
    EXPECT_FALSE(pak.AddArchive("bad.pak"));
    EXPECT_EQ(Open("a.txt"), "<none>");
}

std::string WithSize(uint32_t size) {
    std::string s = PlainArchive({{"a.txt", "abc"}});
    // The size field follows flags, length and the 5-byte name.
    const size_t at = 8 + 2 + 5;
    for (int i = 0; i < 4; ++i) {
        s[at + static_cast<size_t>(i)] = static_cast<char>(size >> (8 * i));
    }
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadArchiveTest,
    ::testing::Values(
        BadArchive{"Empty", ""}, BadArchive{"ShortHeader", "\xC0\x4A"},
        BadArchive{"BadMagic", PlainArchive({{"a.txt", "abc"}}).replace(0, 1, "X")},
        BadArchive{"BadVersion", PlainArchive({{"a.txt", "abc"}}).replace(4, 1, "\x01")},
        BadArchive{"SizePastTheEnd", WithSize(4)}, BadArchive{"HugeSize", WithSize(0xFFFFFFF0u)},
        BadArchive{"NoEndByte", PlainArchive({{"a.txt", ""}}).substr(0, 8 + 2 + 5 + 12)},
        BadArchive{"NameLongerThanTheFile", std::string("\xC0\x4A\xC0\xBA\0\0\0\0\0\xFF"
                                                        "abc",
                                                        13)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
