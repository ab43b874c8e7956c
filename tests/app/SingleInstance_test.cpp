// One copy per user: the lock, the notification to the first copy, and the
// application's reaction as a second copy.

#include <gtest/gtest.h>

#include "support/AppStateAccess.h"
#include "support/TestApp.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "framework/platform/SingleInstance.h"

using Brisk::Platform::SingleInstance;
using TestSupport::ExitCalled;
using TestSupport::TestApp;

namespace {

// Notifications as they arrive on the listener thread.
struct Inbox {
    void Add(int64_t w, int64_t l) {
        std::lock_guard lock(mutex);
        received.emplace_back(w, l);
        arrived.notify_all();
    }
    // Waits (at most a few seconds) for `count` notifications.
    std::vector<std::pair<int64_t, int64_t>> Wait(size_t count) {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, std::chrono::seconds(5), [&] { return received.size() >= count; });
        return received;
    }
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<int64_t, int64_t>> received;
};

TEST(SingleInstance, TheFirstCopyHoldsTheLockAndHearsLaterOnes) {
    Inbox inbox;
    auto first = SingleInstance::Acquire("TestGameMutex", "NotifyTestGame",
                                         [&](int64_t w, int64_t l) { inbox.Add(w, l); });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SingleInstance::Acquire("TestGameMutex", "NotifyTestGame", nullptr), nullptr);
    EXPECT_NE(SingleInstance::Acquire("OtherGameMutex", "NotifyOtherGame", nullptr), nullptr);

    ASSERT_TRUE(SingleInstance::NotifyFirst("NotifyTestGame", 0, 0));
    ASSERT_TRUE(SingleInstance::NotifyFirst("NotifyTestGame", 3, -4));
    EXPECT_EQ(inbox.Wait(2), (std::vector<std::pair<int64_t, int64_t>>{{0, 0}, {3, -4}}));

    first.reset();  // the lock and the socket go with it
    EXPECT_FALSE(SingleInstance::NotifyFirst("NotifyTestGame", 0, 0));
    EXPECT_NE(SingleInstance::Acquire("TestGameMutex", "NotifyTestGame", nullptr), nullptr);
}

TEST(SingleInstance, ASecondCopyAsksTheFirstAndEndsBeforeMakingAWindow) {
    Inbox inbox;
    auto first = SingleInstance::Acquire("TwiceMutex", "NotifyTwice",
                                         [&](int64_t w, int64_t l) { inbox.Add(w, l); });
    ASSERT_NE(first, nullptr);
    TestApp second;
    AppStateAccess::Identity(second).productName = "Twice";
    try {
        second.Init();
        FAIL() << "the second copy went on";
    } catch (const ExitCalled& e) {
        EXPECT_EQ(e.code, 0);
    }
    EXPECT_EQ(second.GetWindow(), nullptr);
    EXPECT_EQ(inbox.Wait(1), (std::vector<std::pair<int64_t, int64_t>>{{0, 0}}));
}

TEST(SingleInstance, AScreensaverRunsBesideTheGame) {
    auto first = SingleInstance::Acquire("SaverMutex", "NotifySaver", nullptr);
    ASSERT_NE(first, nullptr);
    TestApp saver;
    AppStateAccess::Identity(saver).productName = "Saver";
    saver.ParseCommandLineText("-screensaver");
    saver.Init();
    EXPECT_NE(saver.GetWindow(), nullptr);
}

// Counts the notifications that reach the window procedure.
class NotifiedApp : public TestApp {
public:
    void HandleNotifyMessage(int64_t wparam, int64_t lparam) override {
        ++notifies;
        TestApp::HandleNotifyMessage(wparam, lparam);
    }
    std::atomic<int> notifies{0};
};

TEST(SingleInstance, TheFirstCopyRaisesItsWindowWhenNotified) {
    NotifiedApp app;
    AppStateAccess::Identity(app).productName = "Raised";
    app.Init();
    ASSERT_NE(app.GetWindow(), nullptr);
    ASSERT_TRUE(SingleInstance::NotifyFirst("NotifyRaised", 0, 0));
    // The notification arrives through the main loop's inbox.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (app.notifies == 0 && std::chrono::steady_clock::now() < deadline) {
        bool updated = false;
        app.UpdateAppStep(&updated);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(app.notifies, 1);
}

// Where no lock can be had, nobody can tell whether another copy runs: the
// game starts (saying why) instead of ending silently as a "second copy".
TEST(SingleInstance, WithoutAUsableLockTheGameStartsAndSaysWhy) {
    const std::string saved = std::getenv("XDG_RUNTIME_DIR");
    setenv("XDG_RUNTIME_DIR", "/nonexistent-runtime-folder", 1);
    std::string why;
    EXPECT_EQ(SingleInstance::Acquire("LostMutex", "NotifyLost", nullptr, &why), nullptr);
    EXPECT_NE(why.find("/nonexistent-runtime-folder/"), std::string::npos) << why;

    TestApp app;
    AppStateAccess::Identity(app).productName = "Lost";
    testing::internal::CaptureStderr();
    app.Init();
    const std::string said = testing::internal::GetCapturedStderr();
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    EXPECT_NE(app.GetWindow(), nullptr);
    EXPECT_NE(said.find("one-copy check"), std::string::npos) << said;
}

// A lock file that another user owns (an `su` session sharing the runtime
// folder) is not this user's running copy.
TEST(SingleInstance, ALockFileOfAnotherUserIsNotASecondCopy) {
    const std::string lock = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/OthersMutex.lock";
    { std::ofstream(lock).put('x'); }
    if (::chown(lock.c_str(), 65534, 65534) != 0) {
        GTEST_SKIP() << "only root can give a file to another user";
    }
    std::string why;
    EXPECT_EQ(SingleInstance::Acquire("OthersMutex", "NotifyOthers", nullptr, &why), nullptr);
    EXPECT_NE(why.find("another user"), std::string::npos) << why;
}

}  // namespace
