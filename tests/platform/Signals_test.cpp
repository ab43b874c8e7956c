// Termination signals and the processes forked from ours: a helper (a
// message box shown by a child process) ends with the game, never holds the
// single-instance lock, and never keeps the game waiting.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include "framework/platform/Signals.h"

using namespace Brisk::Platform;

namespace {

// Waits at most 10 s for `pid` to end; its wait status, or none (then it is
// killed and reaped, so no test leaves a process behind).
std::optional<int> WaitForEnd(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return std::nullopt;
}

bool KilledBySigkill(const std::optional<int>& status) {
    return status && WIFSIGNALED(*status) && WTERMSIG(*status) == SIGKILL;
}

class SignalsTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { InstallTerminationHandlers(); }
    void TearDown() override { static_cast<void>(TakeTerminationRequest()); }
};

// The helper waits for ever, as a box nobody closes does.
TEST_P(SignalsTest, ASignalEndsTheHelperTheGameWaitsOn) {
    const ForkedHelperScope scope;
    const pid_t helper = ::fork();
    ASSERT_GE(helper, 0);
    if (helper == 0) {
        for (;;) {
            ::pause();
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::kill(::getpid(), GetParam());
    const std::optional<int> status = WaitForEnd(helper);
    EXPECT_TRUE(status.has_value()) << "the helper outlived the signal";
    // Killed by us, or ended by itself at once when the signal came first.
    EXPECT_TRUE(KilledBySigkill(status) || (status && WIFEXITED(*status)));
    EXPECT_TRUE(TakeTerminationRequest());
    EXPECT_EQ(LastTerminationSignal(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(TermIntHup, SignalsTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

// A forked child loses the lock descriptor and our signal handlers.
TEST(ForkedChildren, DropTheLockAndTakeSignalsTheDefaultWay) {
    InstallTerminationHandlers();
    const int lock = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lock, 0);
    KeepFromForkedChildren(lock);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct sigaction term {};
        sigaction(SIGTERM, nullptr, &term);
        const bool lockClosed = ::fcntl(lock, F_GETFD) == -1;
        ::_exit(lockClosed && term.sa_handler == SIG_DFL ? 0 : 1);
    }
    KeepFromForkedChildren(-1);
    const std::optional<int> status = WaitForEnd(child);
    ::close(lock);
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

// A helper whose parent dies (the game killed outright) dies with it instead
// of staying on screen as an orphan.
TEST(ForkedChildren, DieWithTheirParent) {
    InstallTerminationHandlers();
    // Orphans come back to this process, so it can see how they ended.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    const pid_t parent = ::fork();
    ASSERT_GE(parent, 0);
    if (parent == 0) {
        if (::fork() == 0) {
            const pid_t self = ::getpid();
            if (::write(pipeFds[1], &self, sizeof self) != sizeof self) {
                ::_exit(1);
            }
        }
        for (;;) {
            ::pause();
        }
    }
    pid_t helper = 0;
    ASSERT_EQ(::read(pipeFds[0], &helper, sizeof helper), static_cast<ssize_t>(sizeof helper));
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    ASSERT_GT(helper, 0);
    ::kill(parent, SIGKILL);  // the game killed outright
    WaitForEnd(parent);
    EXPECT_TRUE(KilledBySigkill(WaitForEnd(helper))) << "the helper outlived its parent";
}

}  // namespace
