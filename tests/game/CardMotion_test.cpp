// The field's animation runner: the progress each animation sees on the
// game's time, finishing everything at once, "Reduce motion", and the timer
// thread stepping while the main thread adds and finishes (ThreadSanitizer
// watches this one).

#include "game/GameFixture.h"

#include <atomic>
#include <cmath>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "game/CardMotion.h"

using Gamespace::CardMotion;

namespace {

class CardMotionTest : public TestSupport::GameTest {
protected:
    // An animation that writes what it sees into `log`: "s<progress in %>" and "done".
    static CardMotion::Animation Logged(std::vector<std::string>& log, int32_t lengthMs,
                                        int32_t delayMs = 0) {
        return {lengthMs,
                [&log](double p) { log.push_back("s" + std::to_string(std::lround(p * 100))); },
                [&log] { log.push_back("done"); }, delayMs};
    }
    CardMotion motion;
};

TEST_F(CardMotionTest, EachTickOfTheGamesTimeGivesTheProgressUpToOneExactlyOnce) {
    std::vector<std::string> log;
    motion.Add(Logged(log, 50));
    EXPECT_EQ(log, (std::vector<std::string>{"s0"}));
    Advance(100);
    EXPECT_EQ(log, (std::vector<std::string>{"s0", "s20", "s40", "s60", "s80", "s100", "done"}));
    EXPECT_FALSE(motion.IsMoving());
}

TEST_F(CardMotionTest, ADelayedAnimationWaitsThenRuns) {
    std::vector<std::string> log;
    motion.Add(Logged(log, 20, 30));
    Advance(25);
    EXPECT_TRUE(log.empty());
    Advance(35);  // starts at 30 ms, ends at 50
    EXPECT_EQ(log, (std::vector<std::string>{"s0", "s50", "s100", "done"}));
}

TEST_F(CardMotionTest, FinishAllEndsEveryAnimationOnceInTheOrderAdded) {
    std::vector<std::string> first;
    std::vector<std::string> second;
    motion.Add(Logged(first, 100));
    motion.Add(Logged(second, 100, 500));
    Advance(20);
    motion.FinishAll();
    EXPECT_EQ(first, (std::vector<std::string>{"s0", "s10", "s20", "s100", "done"}));
    EXPECT_EQ(second, (std::vector<std::string>{"s100", "done"}));
    EXPECT_FALSE(motion.IsMoving());
    Advance(200);  // nothing more
    EXPECT_EQ(first.size(), 5u);
    EXPECT_EQ(second.size(), 2u);
}

TEST_F(CardMotionTest, WithReduceMotionAnAnimationEndsAsItIsAdded) {
    Gamespace::PlayerList::Instance()->GetCurrent().comfort.reduceMotion = true;
    std::vector<std::string> log;
    motion.Add(Logged(log, 150));
    EXPECT_EQ(log, (std::vector<std::string>{"s100", "done"}));
    EXPECT_FALSE(motion.IsMoving());
}

// The real timer thread ticks while the main thread adds and finishes: every
// animation ends exactly once, whichever thread ends it.
TEST_F(CardMotionTest, TheTimerThreadAndPressesEndEachAnimationOnce) {
    TimeLibrary::DestroyTimeSystem();
    TimeLibrary::CreateTimeSystem(Brisk::Platform::SystemClock());
    ASSERT_TRUE(TimeLibrary::GetTimeSystem()->StartTimer());
    constexpr int kAnimations = 60;
    std::atomic<int> done{0};
    {
        CardMotion threaded;
        for (int i = 0; i < kAnimations; ++i) {
            threaded.Add({5 * (i % 7) + 10, [](double) {}, [&done] { ++done; }, 0});
            if (i % 10 == 9) {
                threaded.FinishAll();  // a press
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (threaded.IsMoving() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_FALSE(threaded.IsMoving());
        TimeLibrary::GetTimeSystem()->StopTimer();
    }
    EXPECT_EQ(done.load(), kAnimations);
}

}  // namespace
