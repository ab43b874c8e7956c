// Frame timing of the main loop, driven step by step on a manual clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "support/AppStateAccess.h"
#include "support/TestApp.h"

using TestSupport::RecordingWidget;
using TestSupport::TestApp;

namespace {

// Longest run of updates between two draws in a trace.
int LongestUpdateRun(const std::string& trace) {
    int longest = 0;
    int run = 0;
    for (char c : trace) {
        run = c == 'U' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

struct CatchUpCase {
    double multiplier;
    uint32_t stallMs;
    int expectedUpdates;
};

class CatchUpTest : public ::testing::TestWithParam<CatchUpCase> {};

TEST_P(CatchUpTest, UpdatesAfterAStallAreCappedAt200Ms) {
    const CatchUpCase c = GetParam();
    TestApp app;
    AppStateAccess::Timing(app).updateMultiplier = c.multiplier;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.clock.Advance(c.stallMs);

    app.RunUntilSleep();

    EXPECT_EQ(app.CountUpdates(), c.expectedUpdates) << app.trace;
    // Before loading has been handled nothing forces a draw in the middle.
    EXPECT_EQ(app.trace, std::string(c.expectedUpdates, 'U') + "D");
}

INSTANTIATE_TEST_SUITE_P(Multipliers, CatchUpTest,
                         ::testing::Values(CatchUpCase{1.0, 1000, 20},  // cap: 200 ms / 10 ms
                                           CatchUpCase{1.0, 55, 5},     // 55 ms of backlog
                                           CatchUpCase{2.0, 100, 20},   // frame length halves
                                           CatchUpCase{2.0, 5000, 40},  // cap at 5 ms frames
                                           CatchUpCase{0.5, 100, 5}));  // frame length doubles

TEST(MainLoop, IdleLoopSleepsOneFrameBetweenUpdates) {
    TestApp app;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    // One simulated second of an idle program: 100 updates, each after a 10 ms sleep.
    int steps = 0;
    while (app.CountUpdates() < 100 && steps < 100'000) {
        bool updated = false;
        app.UpdateAppStep(&updated);
        ++steps;
    }
    EXPECT_EQ(app.CountUpdates(), 100);
    EXPECT_EQ(app.clock.SleptMs(), 1000u);
    EXPECT_EQ(app.clock.SleepCalls(), 100u);
    // A handful of steps per update: the loop sleeps instead of spinning.
    EXPECT_LE(steps, 100 * 6);
}

TEST(MainLoop, DrawIsForcedDuringCatchUpOnceLoadingIsHandled) {
    TestApp app;
    AppStateAccess::Loading(app).threadStarted = true;
    AppStateAccess::Loading(app).threadCompleted = true;  // handled by the first update
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.clock.Advance(1000);

    app.RunUntilSleep();

    EXPECT_TRUE(AppStateAccess::Loading(app).completionHandled);
    EXPECT_EQ(app.CountUpdates(), 20);
    // ceil(1.0 x 10) decisions without a draw force one: never more than 10
    // updates in a row, and the catch-up is interrupted by draws.
    EXPECT_LE(LongestUpdateRun(app.trace), 10) << app.trace;
    EXPECT_GE(std::count(app.trace.begin(), app.trace.end(), 'D'), 3) << app.trace;
}

TEST(MainLoop, DoubleMultiplierForcesDrawsLessOften) {
    TestApp app;
    AppStateAccess::Loading(app).completionHandled = true;
    AppStateAccess::Timing(app).updateMultiplier = 2.0;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.clock.Advance(1000);

    app.RunUntilSleep();

    EXPECT_EQ(app.CountUpdates(), 40);
    EXPECT_GT(LongestUpdateRun(app.trace), 10) << app.trace;
    EXPECT_LE(LongestUpdateRun(app.trace), 20) << app.trace;
}

TEST(MainLoop, ClearingTheBacklogDropsTheCatchUp) {
    TestApp app;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.clock.Advance(150);
    // Time spent dragging the window is not caught up afterwards.
    app.HandleWindowMessage({0, Brisk::Platform::MessageId::NonClientLButtonDown, 0, 0});
    app.RunUntilSleep();
    EXPECT_EQ(app.CountUpdates(), 0);
}

TEST(MainLoop, ShutdownFromAnotherThreadWaitsForTheNextFrame) {
    TestApp app;
    std::thread other([&app] { app.Shutdown(); });
    other.join();
    EXPECT_FALSE(app.IsShutdown());
    EXPECT_TRUE(AppStateAccess::Life(app).deferredShutdown);

    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.ProcessFrame(false);
    EXPECT_TRUE(app.IsShutdown());
    // The loop ends at its next step.
    bool updated = true;
    EXPECT_FALSE(app.UpdateAppStep(&updated));
    EXPECT_FALSE(updated);
}

TEST(MainLoop, PausedAppNeitherUpdatesNorSleeps) {
    TestApp app;
    AppStateAccess::Timing(app).paused = true;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.clock.Advance(500);
    for (int i = 0; i < 50; ++i) {
        bool updated = false;
        app.UpdateAppStep(&updated);
    }
    EXPECT_EQ(app.CountUpdates(), 0);
}

TEST(MainLoop, ProcessFrameWithoutSleepPermissionReportsInsteadOfSleeping) {
    TestApp app;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    // Nothing due, nothing to draw: the frame would sleep.
    EXPECT_FALSE(app.ProcessFrame(false));
    EXPECT_EQ(app.clock.SleepCalls(), 0u);
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    EXPECT_TRUE(app.ProcessFrame(true));
    EXPECT_EQ(app.clock.SleepCalls(), 1u);
    EXPECT_EQ(app.clock.SleptMs(), 10u);
}

// A widget whose update takes `workMs` of manual time; with `alwaysDirty`
// it also has something to draw after every update.
class TimedWidget : public RecordingWidget {
public:
    TimedWidget(Brisk::Platform::ManualClock* clock, uint32_t workMs, bool alwaysDirty = false)
        : m_clock(clock), m_workMs(workMs), m_alwaysDirty(alwaysDirty) {}
    void Update() override {
        m_clock->Advance(m_workMs);
        if (m_alwaysDirty) {
            MarkDirty();
        }
    }

private:
    Brisk::Platform::ManualClock* m_clock;
    uint32_t m_workMs;
    bool m_alwaysDirty;
};

struct YieldCase {
    uint32_t workMs;
    uint64_t expectedSleepMs;
};

class LoadingYieldTest : public ::testing::TestWithParam<YieldCase> {};

TEST_P(LoadingYieldTest, MainThreadSleepsTwiceItsWorkWhileLoading) {
    const YieldCase c = GetParam();
    TestApp app;
    TimedWidget widget(&app.clock, c.workMs);
    app.GetWidgetManager()->AddWidget(&widget);
    AppStateAccess::Loading(app).yieldMainThread = true;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.clock.Advance(10);
    ASSERT_TRUE(app.ProcessFrame(true));
    EXPECT_EQ(app.CountUpdates(), 1);
    EXPECT_EQ(app.clock.SleptMs(), c.expectedSleepMs);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

INSTANTIATE_TEST_SUITE_P(WorkTimes, LoadingYieldTest,
                         ::testing::Values(YieldCase{0, 0}, YieldCase{4, 8},
                                           YieldCase{200, 250}));  // at most 250 ms

struct VBlankCase {
    uint32_t msPerUpdate;
    bool broken;
};

class VBlankSanityTest : public ::testing::TestWithParam<VBlankCase> {};

// Full screen with vertical-blank updates: the loop trusts the present to
// pace it. If 100 updates keep taking 800 ms or less, the present does not
// wait for the vertical blank, and after three such strikes that timing is
// given up for the rest of the run.
TEST_P(VBlankSanityTest, TooFastUpdatesDeclareVerticalBlankTimingBroken) {
    const VBlankCase c = GetParam();
    TestApp app;
    TimedWidget widget(&app.clock, c.msPerUpdate, true);
    app.GetWidgetManager()->AddWidget(&widget);
    AppStateAccess::Timing(app).vsyncUpdates = true;
    AppStateAccess::Window(app).windowIsWindowed = false;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    for (int i = 0; i < 100'000 && app.CountUpdates() < 450; ++i) {
        bool updated = false;
        app.UpdateAppStep(&updated);
    }
    EXPECT_EQ(app.CountUpdates(), 450);
    EXPECT_EQ(AppStateAccess::Timing(app).vsyncBroken, c.broken);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

INSTANTIATE_TEST_SUITE_P(Paces, VBlankSanityTest,
                         ::testing::Values(VBlankCase{0, true}, VBlankCase{5, true},
                                           VBlankCase{10, false}));

struct SafeDeleteCase {
    int queuedAtDepth;
    int processedAtDepth;
    bool deleted;
};

class SafeDeleteTest : public ::testing::TestWithParam<SafeDeleteCase> {};

TEST_P(SafeDeleteTest, EntriesWaitUntilTheirStepHasUnwound) {
    const SafeDeleteCase c = GetParam();
    TestApp app;
    bool deleted = false;
    AppStateAccess::Timing(app).updateAppDepth = c.queuedAtDepth;
    app.SafeDeleteWidget(std::make_unique<RecordingWidget>(&deleted));
    AppStateAccess::Timing(app).updateAppDepth = c.processedAtDepth;
    app.ProcessSafeDeleteList();
    EXPECT_EQ(deleted, c.deleted);
    AppStateAccess::Timing(app).updateAppDepth = 0;
}

INSTANTIATE_TEST_SUITE_P(Depths, SafeDeleteTest,
                         ::testing::Values(SafeDeleteCase{2, 3, false}, SafeDeleteCase{2, 2, true},
                                           SafeDeleteCase{2, 1, true}, SafeDeleteCase{1, 2, false},
                                           SafeDeleteCase{0, 0, true}));

TEST(MainLoop, WidgetThatDeletesItselfDuringUpdateGoesAtTheEndOfTheFrame) {
    TestApp app;
    bool deleted = false;
    struct SelfDeleting : RecordingWidget {
        SelfDeleting(TestApp* a, bool* d) : RecordingWidget(d), app(a) {}
        void Update() override {
            app->GetWidgetManager()->RemoveWidget(this);
            app->SafeDeleteWidget(std::unique_ptr<Widget>(this));
        }
        TestApp* app;
    };
    auto widget = std::make_unique<SelfDeleting>(&app, &deleted);
    app.GetWidgetManager()->AddWidget(widget.release());  // ownership moves on in Update
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.clock.Advance(10);
    bool updated = false;
    app.UpdateAppStep(&updated);
    ASSERT_TRUE(updated);
    EXPECT_TRUE(deleted);  // queued and processed at depth 1, after the update returned
}

// --- waiting for input when nothing is due -----------------------------------------

// A loop past loading, at rest: its first update found nothing to do.
void SettleAtRest(TestApp& app) {
    AppStateAccess::Loading(app).completionHandled = true;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    app.clock.Advance(10);
    app.RunUntilSleep();
}

// Runs the loop over `ms` of manual time and returns the updates run.
int UpdatesOver(TestApp& app, uint32_t ms) {
    const int before = app.CountUpdates();
    const uint64_t end = app.clock.Counter() + uint64_t{ms} * 1000;
    for (int i = 0; i < 100'000 && app.clock.Counter() < end; ++i) {
        bool updated = false;
        app.UpdateAppStep(&updated);
    }
    return app.CountUpdates() - before;
}

struct DueCase {
    uint32_t nextDueMs;  // what the time objects have due
    uint64_t waitMs;     // the wait the loop asks for
};

class IdleWaitTest : public ::testing::TestWithParam<DueCase> {};

TEST_P(IdleWaitTest, LoopAtRestWaitsUntilTheNextDueTime) {
    const DueCase c = GetParam();
    TestApp app;
    app.nextDueMs = c.nextDueMs;
    SettleAtRest(app);
    const uint64_t slept = app.clock.SleptMs();

    app.RunUntilSleep();

    EXPECT_EQ(app.clock.SleptMs() - slept, c.waitMs);
}

INSTANTIATE_TEST_SUITE_P(DueTimes, IdleWaitTest,
                         ::testing::Values(DueCase{300, 300},    // a time object in 300 ms
                                           DueCase{5000, 1000},  // at most a second
                                           DueCase{40, 40},
                                           DueCase{3, 10},    // sooner than a frame: one frame
                                           DueCase{0, 10}));  // due now: the frame's rest

TEST(MainLoop, StepsThatWouldDoNothingAreNotRun) {
    TestApp app;
    app.nextDueMs = 250;
    SettleAtRest(app);
    const int draws = AppStateAccess::Counters(app).draws;

    // Four due times in a second, one step each, instead of 100 steps.
    EXPECT_EQ(UpdatesOver(app, 1000), 4) << app.trace;
    EXPECT_EQ(AppStateAccess::Counters(app).draws, draws);
    EXPECT_EQ(AppStateAccess::Counters(app).idleWaits, 5);
}

TEST(MainLoop, InputIsTakenByAStepBeforeTheLoopWaitsAgain) {
    TestApp app;
    RecordingWidget widget;
    widget.Resize(0, 0, 100, 100);
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->SetFocus(&widget);
    SettleAtRest(app);
    widget.events.clear();
    // The step that follows every wait, then a key before the loop waits again.
    const int before = app.CountUpdates();
    for (int i = 0; i < 100 && app.CountUpdates() == before; ++i) {
        bool updated = false;
        app.UpdateAppStep(&updated);
    }
    app.HandleWindowMessage({app.GetMainWindowId(), Brisk::Platform::MessageId::KeyDown, 'A', 0});
    const uint64_t slept = app.clock.SleptMs();

    app.RunUntilSleep();
    EXPECT_EQ(TestSupport::TakeJoined(&widget.events), "keydown 65");
    // A frame's sleep, so that a step sees what the key changed ...
    EXPECT_EQ(app.clock.SleptMs() - slept, 10u);
    app.RunUntilSleep();
    // ... then, nothing new, the wait for input.
    EXPECT_EQ(app.CountUpdates(), before + 2) << app.trace;
    EXPECT_EQ(app.clock.SleptMs() - slept, 10u + Brisk::BriskAppBase::kMaxIdleWaitMs);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

// Conditions under which the loop keeps its frame-timed steps: 100 updates
// in a second however little is due.
struct SteppingCase {
    const char* name;
    void (*arrange)(TestApp& app, Brisk::Widget& alwaysDirty);
};

class FadingMusic : public Brisk::MusicInterface {
public:
    bool IsFading() const override { return true; }
};

class KeepsSteppingTest : public ::testing::TestWithParam<SteppingCase> {};

TEST_P(KeepsSteppingTest, LoopStepsEveryFrame) {
    TestApp app;
    TimedWidget dirty(&app.clock, 0, true);
    SettleAtRest(app);
    GetParam().arrange(app, dirty);
    const int waits = AppStateAccess::Counters(app).idleWaits;

    EXPECT_GE(UpdatesOver(app, 1000), 99) << GetParam().name;
    EXPECT_EQ(AppStateAccess::Counters(app).idleWaits, waits) << GetParam().name;
    app.GetWidgetManager()->RemoveWidget(&dirty);
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, KeepsSteppingTest,
    ::testing::Values(
        SteppingCase{"recording a demo",
                     [](TestApp& app, Brisk::Widget&) {
                         AppStateAccess::CommandLine(app).recordingDemo = true;
                     }},
        SteppingCase{"a music fade",
                     [](TestApp& app, Brisk::Widget&) {
                         app.UseSoundPlayers(nullptr, std::make_unique<FadingMusic>());
                     }},
        SteppingCase{"a URL open being judged",
                     [](TestApp& app, Brisk::Widget&) {
                         AppStateAccess::Url(app).url = "https://example.org";
                     }},
        SteppingCase{
            "a held mouse button",
            [](TestApp& app, Brisk::Widget&) { app.GetWidgetManager()->MouseDown(5, 5, 1); }},
        SteppingCase{"a held gamepad direction",
                     [](TestApp& app, Brisk::Widget&) {
                         app.HandleWindowMessage(
                             {app.GetMainWindowId(), Brisk::Platform::MessageId::PadDown,
                              static_cast<int64_t>(Brisk::Platform::PadButton::Down), 0});
                     }},
        SteppingCase{
            "a widget with something new every update",
            [](TestApp& app, Brisk::Widget& dirty) { app.GetWidgetManager()->AddWidget(&dirty); }}),
    [](const ::testing::TestParamInfo<SteppingCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

}  // namespace
