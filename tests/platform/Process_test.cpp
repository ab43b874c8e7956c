// Opening links and the per-user folders.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "framework/platform/Paths.h"
#include "framework/platform/Process.h"

namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_had = true;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_had) {
            setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

TEST(OpenUrl, PassesTheUrlAsOneArgumentWithoutAShell) {
    const fs::path dir = fs::temp_directory_path() / ("vq-open-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path out = dir / "args.txt";
    {
        std::ofstream script(dir / "xdg-open");
        script << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << out.string() << ".tmp'\nmv '"
               << out.string() << ".tmp' '" << out.string() << "'\n";
    }
    fs::permissions(dir / "xdg-open", fs::perms::owner_all);
    const std::string path = dir.string() + ":" + std::getenv("PATH");
    ScopedEnv env("PATH", path.c_str());

    const std::string url = "https://example.org/a b;$(touch pwned)&x=1";
    ASSERT_TRUE(Brisk::Platform::OpenUrl(url));
    // The opener runs on its own: wait by time (generously), not by turns.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(out) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(out);
    std::stringstream got;
    got << in.rdbuf();
    EXPECT_EQ(got.str(), "1|" + url + "|");
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(Brisk::Platform::OpenUrl(""));
    fs::remove_all(dir);
}

TEST(OpenUrl, MissingOpenerIsReportedAsFailure) {
    ScopedEnv env("PATH", "/nonexistent");
    EXPECT_FALSE(Brisk::Platform::OpenUrl("https://example.org/"));
}

TEST(Paths, XdgFoldersFollowTheEnvironmentWithFallbacks) {
    {
        ScopedEnv data("XDG_DATA_HOME", "/data/here");
        ScopedEnv config("XDG_CONFIG_HOME", "/config/here/");
        EXPECT_EQ(Brisk::Platform::DataHome(), "/data/here/");
        EXPECT_EQ(Brisk::Platform::ConfigHome(), "/config/here/");
    }
    {
        ScopedEnv home("HOME", "/home/player");
        ScopedEnv data("XDG_DATA_HOME", "relative/is/ignored");
        ScopedEnv config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(Brisk::Platform::DataHome(), "/home/player/.local/share/");
        EXPECT_EQ(Brisk::Platform::ConfigHome(), "/home/player/.config/");
    }
    {
        ScopedEnv run("XDG_RUNTIME_DIR", nullptr);
        const std::string dir = Brisk::Platform::RuntimeDir();
        EXPECT_EQ(dir, "/tmp/vornique-" + std::to_string(getuid()) + "/");
        struct stat st {};
        ASSERT_EQ(stat(dir.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
    }
}

TEST(Paths, DirectoryOfKeepsTheTrailingSlash) {
    EXPECT_EQ(Brisk::Platform::DirectoryOf("/opt/game/vornique"), "/opt/game/");
    EXPECT_EQ(Brisk::Platform::DirectoryOf("vornique"), "./");
    EXPECT_EQ(Brisk::Platform::DirectoryOf("/vornique"), "/");
}

TEST(CommandLine, ProgramIsQuotedAndArgumentsWithSpacesToo) {
    const char* argv[] = {"/opt/my game/vornique", "-play", "-demofile=/a b/c.dmo"};
    Brisk::Platform::SetCommandLine(3, argv);
    EXPECT_EQ(Brisk::Platform::GetCommandLine(),
              "\"/opt/my game/vornique\" -play \"-demofile=/a b/c.dmo\"");
}

// Each check runs in a child process, whose limits and descriptors are its own.
struct PrepareCase {
    const char* what;
    int closeFd;       // -1: none
    rlim_t softFiles;  // 0: as it is
    rlim_t hardFiles;
    const char* expectedText;  // a part of the returned text; "" for none
};

class PrepareProcessTest : public ::testing::TestWithParam<PrepareCase> {};

TEST_P(PrepareProcessTest, StreamsAreOpenAndTooFewFilesAreNamed) {
    const PrepareCase c = GetParam();
    auto child = [&] {
        if (c.closeFd >= 0) {
            close(c.closeFd);
        }
        if (c.softFiles != 0) {
            const rlimit files{c.softFiles, c.hardFiles};
            setrlimit(RLIMIT_NOFILE, &files);
        }
        const std::string text = Brisk::Platform::PrepareProcess();
        // A file opened now must not take a standard stream's place.
        const int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
        if (fd <= 2) {
            _exit(2);
        }
        struct stat st {};
        if (c.closeFd >= 0 && (fstat(c.closeFd, &st) != 0 || !S_ISCHR(st.st_mode))) {
            _exit(3);  // not /dev/null
        }
        if (std::string(c.expectedText).empty() ? !text.empty()
                                                : text.find(c.expectedText) == std::string::npos) {
            _exit(4);
        }
        _exit(0);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrepareProcessTest,
    ::testing::Values(PrepareCase{"ClosedStandardInput", 0, 0, 0, ""},
                      PrepareCase{"ClosedStandardOutput", 1, 0, 0, ""},
                      PrepareCase{"ClosedStandardError", 2, 0, 0, ""},
                      PrepareCase{"TenFilesAtMost", -1, 10, 10,
                                  "Too few open files for the game: it needs at least 32, and "
                                  "this session allows 10 (ulimit -n)."},
                      PrepareCase{"TenFilesUnlessRaised", -1, 10, 64, ""}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ResourceShortage, NamesWhatRanOutAndNothingElse) {
    const struct {
        std::exception_ptr error;
        const char* expected;  // a part of the text; "" for none
    } cases[] = {
        {std::make_exception_ptr(std::bad_alloc()), "ran out of memory"},
        {std::make_exception_ptr(std::system_error(EAGAIN, std::generic_category())),
         "another thread"},
        {std::make_exception_ptr(std::system_error(EMFILE, std::system_category())),
         "ran out of open files"},
        {std::make_exception_ptr(std::system_error(ENOENT, std::generic_category())), ""},
        {std::make_exception_ptr(std::runtime_error("other")), ""},
    };
    for (const auto& c : cases) {
        const std::string text = Brisk::Platform::ResourceShortageText(c.error);
        if (std::string(c.expected).empty()) {
            EXPECT_EQ(text, "");
        } else {
            EXPECT_NE(text.find(c.expected), std::string::npos) << text;
        }
    }
}

// Before the handler: abort (134) without a word about what ran out.
TEST(ResourceShortage, AnUncaughtShortageOnAnyThreadEndsWithExitCodeOne) {
    auto child = [] {
        Brisk::Platform::InstallShortageHandler();
        std::thread([] { throw std::bad_alloc(); }).join();
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(1), "The game ran out of memory");
}

}  // namespace
