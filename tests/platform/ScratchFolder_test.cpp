// The playback's scratch folder: made or emptied, never through a link, and
// never another user's.

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "framework/platform/ScratchFolder.h"

namespace fs = std::filesystem;
using Brisk::Platform::MakeEmptyScratchFolder;

namespace {

class ScratchFolder : public TestSupport::TempDirTest {
protected:
    void Write(const fs::path& path, const std::string& text) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    std::string Read(const fs::path& path) {
        std::string text;
        std::ifstream(path) >> text;
        return text;
    }
    // Something outside that links inside must not reach.
    fs::path Precious() {
        Write(m_dir / "precious" / "file.txt", "keep");
        return m_dir / "precious";
    }
};

TEST_F(ScratchFolder, AMissingFolderIsMadePrivate) {
    std::string error;
    ASSERT_TRUE(MakeEmptyScratchFolder((m_dir / "play/").string(), &error)) << error;
    EXPECT_TRUE(fs::is_directory(m_dir / "play"));
    EXPECT_EQ(fs::status(m_dir / "play").permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(ScratchFolder, EmptiesItsFolderAndRemovesLinksAsLinks) {
    const fs::path precious = Precious();
    const fs::path play = m_dir / "play";
    Write(play / "save" / "Ann.usr", "x");
    Write(play / "options.opt", "y");
    fs::create_directory_symlink(precious, play / "linked-folder");
    fs::create_symlink(precious / "file.txt", play / "save" / "linked-file");
    std::string error;
    ASSERT_TRUE(MakeEmptyScratchFolder(play.string() + "/", &error)) << error;
    EXPECT_TRUE(fs::is_empty(play));
    EXPECT_EQ(Read(precious / "file.txt"), "keep");
}

// A link, a file or another user's folder at the place is refused and left
// as it is, with its reason.
TEST_F(ScratchFolder, RefusesWhatIsNotItsOwnFolder) {
    const fs::path precious = Precious();
    fs::create_directory_symlink(precious, m_dir / "link");
    Write(m_dir / "file", "x");
    Write(m_dir / "theirs" / "file.txt", "keep");
    const bool canChown = ::chown((m_dir / "theirs").c_str(), 4321, 4321) == 0;
    const struct {
        const char* name;
        const char* says;
    } cases[] = {{"link", "is a link"}, {"file", "is not a folder"}, {"theirs", "another user"}};
    for (const auto& c : cases) {
        if (std::string(c.name) == "theirs" && !canChown) {
            continue;  // only a privileged test run can hand a folder to someone else
        }
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_FALSE(MakeEmptyScratchFolder((m_dir / c.name).string() + "/", &error));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    EXPECT_EQ(Read(precious / "file.txt"), "keep");
    EXPECT_TRUE(fs::is_symlink(m_dir / "link"));
    if (canChown) {
        EXPECT_EQ(Read(m_dir / "theirs" / "file.txt"), "keep");
    }
}

}  // namespace
