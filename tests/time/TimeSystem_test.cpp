// The time system's step rules, driven by direct steps, and the real timer
// thread under concurrent use.

#include <gtest/gtest.h>

#include <optional>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "time/TimeSystem_impl.h"

using TimeLibrary::ITimeObject;
using TimeLibrary::TimeObjectMessageObserver;
using TimeLibrary::TimeSystem_impl;

namespace {

// Records notifications as "<kind><id>@<clock>".
class Recorder : public TimeObjectMessageObserver {
public:
    explicit Recorder(TimeSystem_impl* system) : m_system(system) {}
    void OnTimeObjectStart(int32_t id) override { Add("S", id); }
    void OnTimeObjectTick(int32_t id) override { Add("T", id); }
    void OnTimeObjectFinish(int32_t id) override { Add("F", id); }

    std::vector<std::string> events;

private:
    void Add(const char* kind, int32_t id) {
        // The clock is advanced after the objects: a notification at step n
        // sees 5 * (n - 1); add one step so the label is the elapsed time.
        events.push_back(std::string(kind) + std::to_string(id) + "@" +
                         std::to_string(m_system->GetTime() + 5));
    }
    TimeSystem_impl* m_system;
};

class TimeSystemTest : public ::testing::Test {
protected:
    void Steps(int n) {
        for (int i = 0; i < n; ++i) {
            system.Step();
        }
    }
    TimeSystem_impl system{Brisk::Platform::SystemClock()};
    Recorder recorder{&system};
};

TEST_F(TimeSystemTest, CountDownOfThreeSecondsTicksThriceAndFinishesOnce) {
    ITimeObject* t = system.CreateTimeObject(&recorder, 3000, 1000);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(t->Start(false, 0));
    Steps(700);
    const int id = t->GetId();
    const std::string i = std::to_string(id);
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"S" + i + "@5", "T" + i + "@1000", "T" + i + "@2000",
                                        "T" + i + "@3000", "F" + i + "@3000"}));
    EXPECT_FALSE(t->IsRunning());
    EXPECT_TRUE(t->Start(false, 0));  // a finished object may start again
}

TEST_F(TimeSystemTest, OneShotTicksAndFinishesAtTheFirstStep) {
    ITimeObject* t = system.CreateTimeObject(&recorder, 1, 1);
    ASSERT_TRUE(t->Start(false, 0));
    recorder.events.clear();
    Steps(1);
    const std::string i = std::to_string(t->GetId());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"T" + i + "@5", "F" + i + "@5"}));
    Steps(10);
    EXPECT_EQ(recorder.events.size(), 2u);
}

struct PeriodCase {
    int32_t period;
    uint16_t delay;
    std::vector<int> tickTimes;  // clock labels of the first ticks
};

class PeriodTest : public TimeSystemTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(PeriodTest, TicksFollowTheStepGrid) {
    const PeriodCase c = GetParam();
    ITimeObject* t = system.CreateTimeObject(&recorder, -1, c.period);
    t->SetLooped(true);
    ASSERT_TRUE(t->Start(false, c.delay));
    recorder.events.clear();
    Steps(static_cast<int>(c.tickTimes.back() / 5));
    std::vector<std::string> expected;
    for (int ms : c.tickTimes) {
        expected.push_back("T" + std::to_string(t->GetId()) + "@" + std::to_string(ms));
    }
    EXPECT_EQ(recorder.events, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Periods, PeriodTest,
    ::testing::Values(PeriodCase{7, 0, {10, 20, 30}},   // acts as 10, no drift back
                      PeriodCase{1, 0, {5, 10, 15}},    // at most one tick per step
                      PeriodCase{5, 3, {10, 15, 20}},   // delay 3 skips one step
                      PeriodCase{5, 10, {15, 20, 25}},  // delay 10 skips two
                      PeriodCase{1000, 0, {1000, 2000}}));

TEST_F(TimeSystemTest, PauseFreezesDelayElapsedAndAccumulator) {
    auto* t =
        static_cast<TimeLibrary::TimeObject_impl*>(system.CreateTimeObject(&recorder, 100, 20));
    ASSERT_TRUE(t->Start(false, 10));
    Steps(3);  // delay used up, 5 ms counted
    recorder.events.clear();
    const int64_t elapsed = t->GetElapsed();
    const int32_t accumulator = t->GetAccumulator();
    const int32_t delay = t->GetStartDelay();
    t->SetPaused(true);
    Steps(50);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(t->GetElapsed(), elapsed);
    EXPECT_EQ(t->GetAccumulator(), accumulator);
    EXPECT_EQ(t->GetStartDelay(), delay);
    t->SetPaused(false);
    Steps(3);
    EXPECT_EQ(recorder.events.size(), 1u);  // the 20 ms period completes after 3 more steps
}

TEST_F(TimeSystemTest, StartFailsWithoutSideEffects) {
    ITimeObject* running = system.CreateTimeObject(&recorder, 100, 10);
    ASSERT_TRUE(running->Start(false, 0));
    ITimeObject* noPeriod = system.CreateTimeObject(&recorder, 100, 0);
    ITimeObject* noDuration = system.CreateTimeObject(&recorder, 0, 10);
    recorder.events.clear();
    EXPECT_FALSE(running->Start(false, 0));
    EXPECT_FALSE(noPeriod->Start(false, 0));
    EXPECT_FALSE(noDuration->Start(false, 0));
    EXPECT_TRUE(recorder.events.empty());
    noDuration->SetLooped(true);
    EXPECT_TRUE(noDuration->Start(false, 0));  // looped objects need no duration
}

TEST_F(TimeSystemTest, StoppedLoopSendsNothingAndMayRestart) {
    ITimeObject* t = system.CreateTimeObject(&recorder, -1, 5);
    t->SetLooped(true);
    ASSERT_TRUE(t->Start(false, 0));
    Steps(4);
    t->Stop();
    recorder.events.clear();
    Steps(10);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_TRUE(t->Start(false, 0));
}

TEST_F(TimeSystemTest, FullTableReturnsNullAndKeepsEveryEntry) {
    std::vector<ITimeObject*> objects;
    for (int i = 1; i < TimeSystem_impl::kTableSize; ++i) {
        ITimeObject* t = system.CreateTimeObject(nullptr, 10, 5);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->GetId(), i);
        objects.push_back(t);
    }
    EXPECT_EQ(system.CreateTimeObject(nullptr, 10, 5), nullptr);
    // The lowest free id is handed out again.
    system.DestroyTimeObject(objects[41]);
    ITimeObject* again = system.CreateTimeObject(nullptr, 10, 5);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetId(), 42);
    EXPECT_EQ(objects[0]->GetId(), 1);
}

TEST_F(TimeSystemTest, DestroyIgnoresNullAndRepeatedCalls) {
    ITimeObject* t = system.CreateTimeObject(nullptr, 10, 5);
    ITimeObject* other = system.CreateTimeObject(nullptr, 10, 5);
    system.DestroyTimeObject(nullptr);
    system.DestroyTimeObject(t);
    system.DestroyTimeObject(t);  // already gone: ignored, nothing else is touched
    EXPECT_EQ(other->GetId(), 2);
    EXPECT_TRUE(other->Start(false, 0));
    ITimeObject* reused = system.CreateTimeObject(nullptr, 10, 5);
    EXPECT_EQ(reused->GetId(), 1);
}

// Creates a one-shot on every tick and destroys the previous one, inside
// its own notifications; finally destroys itself.
class Juggler : public TimeObjectMessageObserver {
public:
    explicit Juggler(TimeSystem_impl* s) : system(s) {}
    void OnTimeObjectTick(int32_t id) override {
        if (self != nullptr && id == self->GetId()) {
            if (child != nullptr) {
                system->DestroyTimeObject(child);
            }
            child = system->CreateTimeObject(this, 1, 1);
            child->Start(false, 0);
            ++ticks;
        } else {
            ++childTicks;
        }
    }
    void OnTimeObjectFinish(int32_t id) override {
        if (self != nullptr && id == self->GetId()) {
            system->DestroyTimeObject(self);  // deleted once this notification returns
            self = nullptr;
        }
    }
    TimeSystem_impl* system;
    ITimeObject* self = nullptr;
    ITimeObject* child = nullptr;
    int ticks = 0;
    int childTicks = 0;
};

TEST_F(TimeSystemTest, ReceiversMayCreateAndDestroyObjectsInsideNotifications) {
    Juggler juggler(&system);
    juggler.self = system.CreateTimeObject(&juggler, 50, 10);
    ASSERT_TRUE(juggler.self->Start(false, 0));
    Steps(20);
    EXPECT_EQ(juggler.ticks, 5);  // at 10, 20, 30, 40 and the final tick at 50
    EXPECT_EQ(juggler.self, nullptr);
    EXPECT_GE(juggler.childTicks, 4);
    // The id of the self-destroyed object is free again.
    ITimeObject* next = system.CreateTimeObject(nullptr, 10, 5);
    ASSERT_NE(next, nullptr);
    EXPECT_LT(next->GetId(), 4);
}

// The timer thread may have found the object running just before Stop took
// its lock: the step that follows must still send nothing.
TEST_F(TimeSystemTest, AStepAfterStopOrPauseSendsNothing) {
    auto* t = static_cast<TimeLibrary::TimeObject_impl*>(system.CreateTimeObject(&recorder, 5, 5));
    ASSERT_TRUE(t->Start(false, 0));
    recorder.events.clear();
    t->Stop();
    t->AdvanceTo(1);  // as the timer thread does after its own check
    t->SetLooped(true);
    ASSERT_TRUE(t->Start(true, 0));
    recorder.events.clear();
    t->AdvanceTo(2);
    EXPECT_TRUE(recorder.events.empty());
}

// A looped clock runs for ever: its elapsed time does not overflow after
// 2^31 ms (24.8 days).
TEST_F(TimeSystemTest, ALoopedObjectRunsPastTwentyFiveDays) {
    auto* t =
        static_cast<TimeLibrary::TimeObject_impl*>(system.CreateTimeObject(&recorder, -1, 1000));
    t->SetLooped(true);
    ASSERT_TRUE(t->Start(false, 0));
    Steps(1);
    t->SkipElapsed(int64_t{1} << 31);
    recorder.events.clear();
    Steps(200);
    EXPECT_EQ(t->GetElapsed(), (int64_t{1} << 31) + 201 * 5);
    EXPECT_EQ(recorder.events.size(), 1u);  // still ticking every second
    EXPECT_TRUE(t->IsRunning());
}

// An object restarted from its own finish counts its new run from the next
// step: a 100 ms frame restarted twice finishes at 100, 200 and 300 ms, and a
// run of one step or less finishes once a step. Driven both step by step and
// through the sleeping schedule, against absolute times.
struct RestartCase {
    int32_t duration;
    std::vector<int> finishTimes;  // clock labels of every finish
};

class RestartTest : public ::testing::TestWithParam<RestartCase> {};

TEST_P(RestartTest, ARestartFromTheFinishCountsFromTheNextStep) {
    const RestartCase c = GetParam();
    class Restarter : public Recorder {
    public:
        using Recorder::Recorder;
        void OnTimeObjectStart(int32_t) override {}
        void OnTimeObjectTick(int32_t) override {}
        void OnTimeObjectFinish(int32_t id) override {
            Recorder::OnTimeObjectFinish(id);
            if (--restarts >= 0) {
                self->Start(false, 0);  // bounded, so a run that never leaves its step ends too
            }
        }
        ITimeObject* self = nullptr;
        int restarts = 0;
    };
    for (const bool sleeping : {false, true}) {
        SCOPED_TRACE(sleeping ? "sleeping schedule" : "every step");
        Brisk::Platform::ManualClock clock;
        TimeSystem_impl system(clock);
        Restarter restarter(&system);
        restarter.restarts = static_cast<int>(c.finishTimes.size()) - 1;
        restarter.self = system.CreateTimeObject(&restarter, c.duration, c.duration);
        if (sleeping) {
            ASSERT_TRUE(system.StartSchedule());
        }
        ASSERT_TRUE(restarter.self->Start(false, 0));
        restarter.events.clear();
        for (int ms = 1; ms <= c.finishTimes.back() + 50; ++ms) {
            clock.Advance(1);
            if (sleeping) {
                system.RunDueSteps();
            } else if (ms % 5 == 0) {
                system.Step();
            }
        }
        system.StopTimer();
        std::vector<std::string> expected;
        for (int ms : c.finishTimes) {
            expected.push_back("F" + std::to_string(restarter.self->GetId()) + "@" +
                               std::to_string(ms));
        }
        EXPECT_EQ(restarter.events, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Restarts, RestartTest,
                         ::testing::Values(RestartCase{100, {100, 200, 300}},
                                           RestartCase{12, {15, 30, 45}},
                                           RestartCase{5, {5, 10, 15, 20}},
                                           RestartCase{1, {5, 10, 15}}));

TEST_F(TimeSystemTest, ClockCountsStepsNotWallTime) {
    EXPECT_EQ(system.GetTime(), 0u);
    Steps(7);
    EXPECT_EQ(system.GetTime(), 35u);
}

// The timer thread wakes only for steps at which something notifies. The
// same script of objects and main-thread changes, on a manual clock moved
// 1 ms at a time, must give exactly the notifications (and clock readings)
// of a system stepped at every 5 ms boundary, for far fewer wake-ups.
class ScriptRun {
public:
    explicit ScriptRun(bool sleeping) : m_sleeping(sleeping) {}

    std::vector<std::string> Run(int* wakes) {
        // An animation: each frame a one-shot object, restarted with the next
        // frame's time from its own finish, as the effects do.
        class Animation : public Recorder {
        public:
            using Recorder::Recorder;
            void OnTimeObjectFinish(int32_t id) override {
                Recorder::OnTimeObjectFinish(id);
                if (++frame < 8) {
                    const int32_t ms = 15 + 20 * (frame % 3);
                    self->SetTimes(ms, ms);
                    self->Start(false, 0);
                }
            }
            ITimeObject* self = nullptr;
            int frame = 0;
        };
        // The game clock's tick starts a short one-shot from the timer thread.
        class Starter : public Recorder {
        public:
            using Recorder::Recorder;
            void OnTimeObjectTick(int32_t id) override {
                Recorder::OnTimeObjectTick(id);
                other->Start(false, 0);
            }
            ITimeObject* other = nullptr;
        };
        Recorder& log = m_recorder;
        Animation animation(&m_system);
        Starter starter(&m_system);
        ITimeObject* clock = m_system.CreateTimeObject(&starter, -1, 1000);
        clock->SetLooped(true);
        ITimeObject* countDown = m_system.CreateTimeObject(&log, 3000, 1000);
        ITimeObject* caret = m_system.CreateTimeObject(&log, -1, 500);
        caret->SetLooped(true);
        ITimeObject* odd = m_system.CreateTimeObject(&log, 400, 7);
        ITimeObject* shortOne = m_system.CreateTimeObject(&log, 20, 5);
        starter.other = shortOne;
        ITimeObject* frames = m_system.CreateTimeObject(&animation, 35, 35);
        animation.self = frames;
        if (m_sleeping) {
            EXPECT_TRUE(m_system.StartSchedule());
        }
        clock->Start(false, 0);
        for (int ms = 1; ms <= 4200; ++ms) {
            m_clock.Advance(1);
            if (m_sleeping) {
                *wakes += m_system.RunDueSteps();
            } else if (ms % 5 == 0) {
                m_system.Step();
                ++*wakes;
            }
            // Changes from the main thread, between and on step boundaries.
            switch (ms) {
                case 1:
                    countDown->Start(false, 0);
                    break;
                case 3:
                    odd->Start(false, 10);
                    break;
                case 123:
                    caret->Start(false, 0);
                    break;
                case 250:
                    frames->Start(false, 3);
                    break;
                case 777:
                    caret->SetPaused(true);
                    break;
                case 1234:
                    caret->SetPaused(false);
                    break;
                case 1300:
                    odd->SetPeriod(100);
                    break;
                case 2500:
                    caret->Stop();
                    break;
                case 2502:
                    countDown->Start(true, 0);
                    break;
                case 2600:
                    countDown->SetPaused(false);
                    break;
                case 3101:
                    clock->SetPeriod(333);
                    break;
                default:
                    break;
            }
            if (ms % 250 == 0) {
                log.events.push_back("clock " + std::to_string(m_system.GetTime()) + " at " +
                                     std::to_string(ms));
            }
        }
        m_system.StopTimer();
        return log.events;
    }

private:
    bool m_sleeping;
    Brisk::Platform::ManualClock m_clock;
    TimeSystem_impl m_system{m_clock};
    Recorder m_recorder{&m_system};
};

TEST(TimeSystemSchedule, SleepingThroughSilentStepsChangesNoNotification) {
    int steps = 0;
    int wakes = 0;
    const std::vector<std::string> everyStep = ScriptRun(false).Run(&steps);
    const std::vector<std::string> sleeping = ScriptRun(true).Run(&wakes);
    EXPECT_EQ(sleeping, everyStep);
    EXPECT_GT(everyStep.size(), 60u);
    EXPECT_EQ(steps, 840);
    EXPECT_LT(wakes, steps / 5) << wakes << " wake-ups";
}

// A step that starts late is caught up on the 5 ms grid by at most 1/8 ms a
// step; the clock then reads the grid again.
TEST(TimeSystemSchedule, ALateStepIsRepaidAnEighthOfAMillisecondAStep) {
    Brisk::Platform::ManualClock clock;
    TimeSystem_impl system(clock);
    Recorder log(&system);
    ITimeObject* t = system.CreateTimeObject(&log, -1, 5);
    t->SetLooped(true);
    ASSERT_TRUE(t->Start(false, 0));
    ASSERT_TRUE(system.StartSchedule());
    clock.Advance(20);  // the step due at 5 ms starts at 20 ms
    EXPECT_EQ(system.RunDueSteps(), 1);
    clock.AdvanceMicros(4874);
    EXPECT_EQ(system.RunDueSteps(), 0);
    clock.AdvanceMicros(1);  // 4.875 ms after the late one
    EXPECT_EQ(system.RunDueSteps(), 1);
    // 15 ms behind: 120 steps of 4.875 ms to get back on the grid.
    // (The clock moves by 1/8 ms, so that no step starts later than planned.)
    for (int i = 0; i < 130 * 5 * 8; ++i) {
        clock.AdvanceMicros(125);
        system.RunDueSteps();
    }
    EXPECT_EQ(system.GetTime(), 20u + 130 * 5);
    EXPECT_EQ(log.events.size(), 1 + (20 + 130 * 5) / 5);  // the start and a tick a step
    system.StopTimer();
}

TEST(TimeSystemThread, StartStopAndConcurrentUse) {
    TimeSystem_impl system{Brisk::Platform::SystemClock()};
    EXPECT_FALSE(system.IsTimerRunning());
    ASSERT_TRUE(system.StartTimer());
    EXPECT_FALSE(system.StartTimer());

    class Counter : public TimeObjectMessageObserver {
    public:
        void OnTimeObjectTick(int32_t) override { ++ticks; }
        void OnTimeObjectFinish(int32_t) override { ++finishes; }
        std::atomic<int> ticks{0};
        std::atomic<int> finishes{0};
    } counter;

    // The main thread churns objects while the timer thread steps them.
    std::mt19937 rng(1234);
    std::vector<ITimeObject*> live;
    for (int round = 0; round < 2000; ++round) {
        const int action = static_cast<int>(rng() % 4);
        if (action == 0 || live.empty()) {
            if (ITimeObject* t = system.CreateTimeObject(&counter, 5 + rng() % 40, 5)) {
                live.push_back(t);
            }
        } else if (action == 1) {
            live[rng() % live.size()]->Start(rng() % 2 == 0, 0);
        } else if (action == 2) {
            live[rng() % live.size()]->Stop();
        } else {
            const size_t i = rng() % live.size();
            system.DestroyTimeObject(live[i]);
            live.erase(live.begin() + static_cast<long>(i));
        }
        if (round % 100 == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ITimeObject* sure = system.CreateTimeObject(&counter, 20, 5);
    ASSERT_NE(sure, nullptr);
    ASSERT_TRUE(sure->Start(false, 0));
    // Bounded by time: a loaded machine gives the timer thread few turns.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (counter.finishes == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GT(counter.ticks.load(), 0);
    EXPECT_GT(counter.finishes.load(), 0);
    EXPECT_GT(system.GetTime(), 0u);

    system.StopTimer();
    EXPECT_FALSE(system.IsTimerRunning());
    const uint64_t stopped = system.GetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(system.GetTime(), stopped);
    system.DestroyAllTimeObjects();
    // A stopped system starts again from 0.
    ASSERT_TRUE(system.StartTimer());
    system.StopTimer();
}

// Objects destroyed by their own start notification while the real timer
// thread steps the table: the object stays alive until Start has finished
// with it (ThreadSanitizer and AddressSanitizer watch this).
TEST(TimeSystemThread, AnObjectDestroyedInItsStartNotificationOutlivesStart) {
    TimeSystem_impl system{Brisk::Platform::SystemClock()};
    class SelfDestroying : public TimeObjectMessageObserver {
    public:
        explicit SelfDestroying(TimeSystem_impl* s) : m_system(s) {}
        void OnTimeObjectStart(int32_t) override {
            m_system->DestroyTimeObject(current);
            ++destroyed;
        }
        ITimeObject* current = nullptr;
        std::atomic<int> destroyed{0};

    private:
        TimeSystem_impl* m_system;
    } observer(&system);
    ASSERT_TRUE(system.StartTimer());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int started = 0;
    for (; started < 2000 && std::chrono::steady_clock::now() < deadline; ++started) {
        ITimeObject* t = system.CreateTimeObject(&observer, 10, 5);
        ASSERT_NE(t, nullptr);  // 2000 objects in a table of 1023: each id came back
        observer.current = t;
        t->Start(false, 0);
    }
    system.StopTimer();
    EXPECT_EQ(observer.destroyed.load(), started);
}

}  // namespace

// The main loop waits until the next step with a notification and hears
// about every step the thread runs.
struct NextDueCase {
    int32_t period;       // of a looped object started at 0
    uint32_t advanceMs;   // manual time passed before asking
    uint32_t expectedMs;  // until its next notification
};

class NextDueTest : public ::testing::TestWithParam<NextDueCase> {};

TEST_P(NextDueTest, TellsWhenTheNextNotificationIsDue) {
    const NextDueCase c = GetParam();
    Brisk::Platform::ManualClock clock;
    TimeSystem_impl system(clock);
    Recorder log(&system);
    int heard = 0;
    system.SetStepListener([&heard] { ++heard; });
    EXPECT_EQ(system.MsUntilNextStep(), std::nullopt);  // no schedule yet
    ITimeObject* t = system.CreateTimeObject(&log, -1, c.period);
    t->SetLooped(true);
    ASSERT_TRUE(t->Start(false, 0));
    ASSERT_TRUE(system.StartSchedule());
    // Time passes a millisecond at a time, each due step run on time.
    int steps = 0;
    for (uint32_t ms = 0; ms < c.advanceMs; ++ms) {
        clock.Advance(1);
        steps += system.RunDueSteps();
    }

    EXPECT_EQ(system.MsUntilNextStep(), c.expectedMs);
    EXPECT_EQ(heard, steps);
    system.StopTimer();
}

INSTANTIATE_TEST_SUITE_P(Periods, NextDueTest,
                         ::testing::Values(NextDueCase{300, 0, 5},    // the start, one step on
                                           NextDueCase{300, 5, 295},  // ticks at 300, 600, ...
                                           NextDueCase{300, 125, 175}, NextDueCase{300, 306, 294},
                                           NextDueCase{5000, 5, 1000},  // a silent step a second
                                           NextDueCase{40, 42, 38}));
