// The effect system and its four kinds, driven by direct time-system steps,
// and the effect description reader.

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/TestApp.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "controls/Factory_impl.h"
#include "controls/IImageVO.h"
#include "controls/IStringVO.h"
#include "effects/EffectDescription.h"
#include "effects/EffectSystem_impl.h"
#include "effects/Effects.h"
#include "time/TimeSystem_impl.h"

using ControlLibrary::IImageVO;
using ControlLibrary::Point;
using EffectLibrary::EffectSystem_impl;

namespace {

// Records the notifications in order, with the object's state at the moment.
class Recorder : public EffectLibrary::EffectMessageObserver {
public:
    void OnEffectStart(int32_t i) override { Add("start", i); }
    void OnEffectFinish(int32_t i) override { Add("finish", i); }
    void OnEffectStep(int32_t) override { ++steps; }
    void OnEffectBlocked(int32_t i) override { Add("blocked", i); }
    void Add(const std::string& what, int32_t i) {
        events.push_back(what + " " + std::to_string(i));
        if (object != nullptr) {
            shownAtEvent.push_back(object->IsShown());
        }
    }
    std::vector<std::string> events;
    std::vector<bool> shownAtEvent;
    ControlLibrary::IVisibleObject* object = nullptr;
    int steps = 0;
};

class EffectsTest : public TestSupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        // The process-wide factory, as animations make their frames through it;
        // without a process-wide time system it runs no poll of its own.
        ControlLibrary::CreateFactory(&app);
        factory = ControlLibrary::GetFactory();
        effects.SetTimeSystem(&time);
    }
    void TearDown() override {
        effects.DestroyAllEffects();
        ControlLibrary::DestroyFactory();
        TempDirTest::TearDown();
    }
    void Advance(int ms) {
        for (int t = 0; t < ms; t += 5) {
            time.Step();
        }
    }

    TestSupport::TestApp app;
    Brisk::Platform::ManualClock clock;
    TimeLibrary::TimeSystem_impl time{clock};
    ControlLibrary::Factory_impl* factory = nullptr;
    EffectSystem_impl effects;
    Recorder recorder;
};

TEST_F(EffectsTest, AMoveInTimeModeStepsAPixelEveryTenMillisecondsAndHidesAtTheEnd) {
    IImageVO* card = factory->CreateImageVO();
    recorder.object = card;
    auto* move = effects.CreateState2MoveEffect(&recorder, card, 1000);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->GetIndex(), 1);
    move->SetStartPoint(0, 0);
    move->SetEndPoint(100, 0);
    ASSERT_TRUE(move->Start(false, 0));
    auto* impl = static_cast<EffectLibrary::State2MoveEffectImpl*>(move);
    EXPECT_FLOAT_EQ(impl->GetStepX(), 1.0f);
    EXPECT_FLOAT_EQ(impl->GetStepY(), 0.0f);
    EXPECT_TRUE(card->IsShown());
    Advance(10);
    EXPECT_EQ(card->GetPosition(), (Point{1, 0}));
    Advance(490);
    EXPECT_EQ(card->GetPosition(), (Point{50, 0}));
    EXPECT_TRUE(move->HasMoved());
    Advance(500);
    EXPECT_EQ(card->GetPosition(), (Point{100, 0}));
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"start 1", "finish 1"}));
    EXPECT_EQ(recorder.shownAtEvent, (std::vector<bool>{true, false}));
    EXPECT_EQ(recorder.steps, 100);
}

TEST_F(EffectsTest, AMoveAtASpeedLandsExactlyOnTheEndAndFinishesAfterStopping) {
    IImageVO* card = factory->CreateImageVO();
    recorder.object = card;
    auto* move = effects.CreateState2MoveEffect(&recorder, card, 0);
    move->SetSpeed(500);
    move->SetStartPoint(0, 0);
    move->SetEndPoint(300, 400);
    ASSERT_TRUE(move->Start(false, 0));
    auto* impl = static_cast<EffectLibrary::State2MoveEffectImpl*>(move);
    EXPECT_FLOAT_EQ(impl->GetStepX(), 1.875f);
    EXPECT_FLOAT_EQ(impl->GetStepY(), 2.5f);
    Advance(795);
    EXPECT_TRUE(move->IsRunning());
    Advance(10);
    EXPECT_EQ(card->GetPosition(), (Point{300, 400}));
    EXPECT_FALSE(move->IsRunning());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"start 1", "finish 1"}));
    EXPECT_EQ(recorder.shownAtEvent.back(), false);  // hidden by Stop, before the finish
}

// Back in time mode after a run at a speed, a move ends with its duration.
TEST_F(EffectsTest, ADurationAfterASpeedRunEndsTheMoveInTime) {
    IImageVO* card = factory->CreateImageVO();
    auto* move = effects.CreateState2MoveEffect(&recorder, card, 0);
    move->SetSpeed(500);
    move->SetEndPoint(100, 0);
    ASSERT_TRUE(move->Start(false, 0));
    Advance(1000);
    ASSERT_FALSE(move->IsRunning());
    move->SetDuration(1000);
    ASSERT_TRUE(move->Start(false, 0));
    Advance(1000);
    EXPECT_FALSE(move->IsRunning());
    EXPECT_EQ(card->GetPosition(), (Point{100, 0}));
    Advance(2000);
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"start 1", "finish 1", "start 1", "finish 1"}));
}

TEST_F(EffectsTest, MovesRightToLeftAndUpwardsStepBackwards) {
    IImageVO* card = factory->CreateImageVO();
    auto* move = effects.CreateState2MoveEffect(nullptr, card, 400);
    move->SetStartPoint(200, 300);
    move->SetEndPoint(0, 100);
    move->SetHideAtEnd(false);
    ASSERT_TRUE(move->Start(false, 0));
    auto* impl = static_cast<EffectLibrary::State2MoveEffectImpl*>(move);
    EXPECT_LT(impl->GetStepX(), 0);
    EXPECT_LT(impl->GetStepY(), 0);
    Advance(400);
    EXPECT_TRUE(card->IsShown());
    EXPECT_NEAR(card->GetPosition().x, 0, 2);
    EXPECT_NEAR(card->GetPosition().y, 100, 2);
}

TEST_F(EffectsTest, AMoveWithoutAnywhereToGoRefusesToStart) {
    IImageVO* card = factory->CreateImageVO();
    auto* noObject = effects.CreateState2MoveEffect(&recorder, nullptr, 500);
    noObject->SetEndPoint(10, 10);
    EXPECT_FALSE(noObject->Start(false, 0));
    auto* samePoints = effects.CreateState2MoveEffect(&recorder, card, 500);
    samePoints->SetStartPoint(5, 5);
    samePoints->SetEndPoint(5, 5);
    EXPECT_FALSE(samePoints->Start(false, 0));
    auto* noPace = effects.CreateState2MoveEffect(&recorder, card, -1);
    noPace->SetEndPoint(10, 10);
    EXPECT_FALSE(noPace->Start(false, 0));
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(card->IsShown());
    EXPECT_EQ(card->GetPosition(), (Point{0, 0}));
}

TEST_F(EffectsTest, DestroyingARunningMoveStopsAndHidesIt) {
    IImageVO* card = factory->CreateImageVO();
    auto* move = effects.CreateState2MoveEffect(&recorder, card, 1000);
    move->SetEndPoint(100, 0);
    ASSERT_TRUE(move->Start(false, 0));
    Advance(100);
    effects.DestroyEffect(move);
    EXPECT_FALSE(card->IsShown());
    EXPECT_EQ(effects.CountEffects(), 0);
    Advance(100);                 // nothing left to tick
    effects.DestroyEffect(move);  // already gone: ignored
    effects.DestroyEffect(static_cast<EffectLibrary::IState2MoveEffect*>(nullptr));
}

TEST_F(EffectsTest, TimersCountDownFromTheDurationOrUpPastAHundredMinutes) {
    ControlLibrary::IStringVO* text = factory->CreateStringVO();
    auto* down = effects.CreateTimerEffect(&recorder, text, 90'000);
    down->SetCountDown(true);
    ASSERT_TRUE(down->Start(false, 0));
    auto label = [&] {
        std::string s;
        text->GetText(s);
        return s;
    };
    Advance(1000);
    EXPECT_EQ(label(), "01 : 29");
    Advance(88'000);
    EXPECT_EQ(label(), "00 : 01");
    Advance(1000);
    EXPECT_EQ(label(), "00 : 00");
    EXPECT_EQ(recorder.events.back(), "finish 1");

    ControlLibrary::IStringVO* other = factory->CreateStringVO();
    auto* up = effects.CreateTimerEffect(nullptr, other, -1);
    up->SetLooped(true);
    up->SetPosition(40, 50);  // no object yet: nothing stored
    up->SetVisibleObject(other);
    up->SetPosition(40, 50);
    EXPECT_EQ(other->GetPosition(), (Point{40, 50}));
    ASSERT_TRUE(up->Start(false, 0));
    Advance(1000);
    std::string s;
    other->GetText(s);
    EXPECT_EQ(s, "00 : 01");
    Advance(5999'000);
    other->GetText(s);
    EXPECT_EQ(s, "100 : 00");
    EXPECT_EQ(EffectLibrary::TimerEffectImpl::Format(61), "01 : 01");
}

TEST_F(EffectsTest, ASwitcherShowsOneObjectAtATimeInTurn) {
    std::vector<IImageVO*> objects;
    auto* switcher = effects.CreateSwitcherEffect(&recorder);
    EXPECT_FALSE(switcher->Start(false, 0));  // no period, no objects
    switcher->SetPeriod(500);
    EXPECT_FALSE(switcher->Start(false, 0));  // no objects
    for (int i = 0; i < 3; ++i) {
        objects.push_back(factory->CreateImageVO());
        switcher->AddVisibleObject(objects.back());
    }
    switcher->SetPeriod(0);
    EXPECT_FALSE(switcher->Start(false, 0));
    switcher->SetPeriod(500);
    ASSERT_TRUE(switcher->Start(false, 0));
    auto shown = [&] {
        std::string s;
        for (IImageVO* o : objects) {
            s += o->IsShown() ? "1" : "0";
        }
        return s;
    };
    EXPECT_EQ(shown(), "000");  // Start does not show entry 0
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        Advance(500);
        seen.push_back(shown());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"010", "001", "100", "010"}));
    switcher->SetVisible(false);
    EXPECT_EQ(shown(), "000");
    Advance(1000);
    EXPECT_EQ(shown(), "000");  // paused
}

TEST_F(EffectsTest, IndicesAreReusedFromOneAndTheTableHoldsAThousandAndTwentyThree) {
    auto* first = effects.CreateSwitcherEffect(nullptr);
    auto* second = effects.CreateSwitcherEffect(nullptr);
    EXPECT_EQ(first->GetIndex(), 1);
    EXPECT_EQ(second->GetIndex(), 2);
    effects.DestroyEffect(first);
    EXPECT_EQ(effects.CreateAnimationEffect(nullptr)->GetIndex(), 1);
    while (effects.CountEffects() < 1023) {
        ASSERT_NE(effects.CreateSwitcherEffect(nullptr), nullptr) << effects.CountEffects();
    }
    EXPECT_EQ(effects.CreateSwitcherEffect(nullptr), nullptr);
    EXPECT_EQ(effects.CreateTimerEffect(nullptr, nullptr, 10), nullptr);
    EXPECT_EQ(effects.CreateState2MoveEffect(nullptr, nullptr, 10), nullptr);
    EXPECT_EQ(effects.CreateAnimationEffect(nullptr), nullptr);
    effects.DestroyAllEffects();
    EXPECT_EQ(effects.CountEffects(), 0);
}

// --- descriptions -------------------------------------------------------------------

const char kExample[] =
    "[animation]\n"
    "image=\"sparks.png\"\n"
    "frame_w=32\n"
    "frame_h=32\n"
    "[effect]=\"spark\"\n"
    "autohide=1\n"
    "time=100\n"
    "[frame]\n"
    "index=1\n"
    "[frame]\n"
    "index=2\n"
    "time=50\n";

TEST(EffectDescription, TheWorkedExample) {
    const auto d = EffectLibrary::ParseEffectDescription(kExample);
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->image, "sparks.png");
    EXPECT_EQ(d->frameWidth, 32);
    EXPECT_EQ(d->frameHeight, 32);
    ASSERT_EQ(d->animations.size(), 1u);
    const auto& a = d->animations[0];
    EXPECT_EQ(a.name, "spark");
    EXPECT_TRUE(a.autohide);
    ASSERT_EQ(a.frames.size(), 2u);
    EXPECT_EQ(a.frames[0].index, 1);
    EXPECT_EQ(a.frames[0].time, 100);
    EXPECT_EQ(a.frames[1].index, 2);
    EXPECT_EQ(a.frames[1].time, 50);
}

struct ParseCase {
    const char* what;
    std::string text;
    bool loads;
    size_t animations;
};

class DescriptionCases : public ::testing::TestWithParam<ParseCase> {};

TEST_P(DescriptionCases, LoadOrFail) {
    const auto d = EffectLibrary::ParseEffectDescription(GetParam().text);
    ASSERT_EQ(d.has_value(), GetParam().loads);
    if (d) {
        EXPECT_EQ(d->animations.size(), GetParam().animations);
    }
}

const std::string kHeader = "[animation] image=\"s.png\" frame_w=8 frame_h=8\n";

INSTANTIATE_TEST_SUITE_P(
    Files, DescriptionCases,
    ::testing::Values(
        ParseCase{"NoFramesLoads", kHeader + "[effect]=\"idle\"\n", true, 1},
        ParseCase{"AFrameWithoutAnyTimeFails", kHeader + "[effect]=\"a\"\n[frame] index=1\n", false,
                  0},
        ParseCase{"TwoAnimations",
                  kHeader + "[effect]=\"a\" time=5 [frame] index=1 [effect]=\"b\" [frame] "
                            "index=2 time=7",
                  true, 2},
        ParseCase{"ALaterBadAnimationKeepsTheFirst",
                  kHeader + "[effect]=\"a\" time=5 [frame] index=1 [effect]=\"\" [effect]=\"c\"",
                  true, 2},
        ParseCase{"NoMarker", "image=\"s.png\" frame_w=8 frame_h=8 [effect]=\"a\"", false, 0},
        ParseCase{"NoEffect", "[animation] image=\"s.png\" frame_w=8 frame_h=8", false, 0},
        ParseCase{"EmptyFrameWidth",
                  "[animation] image=\"s.png\" frame_w=\"8\" frame_h=8 [effect]=\"a\"", false, 0},
        ParseCase{"NoName", kHeader + "[effect]\n", false, 0},
        ParseCase{"KeyAtTheVeryEnd", "[animation] frame_w=8 frame_h=8 [effect] image=", false, 0},
        ParseCase{"MissingIndex", kHeader + "[effect]=\"a\" time=3 [frame] time=2", false, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(EffectDescription, AnUnquotedImageNameLosesItsFirstCharacter) {
    const auto d = EffectLibrary::ParseEffectDescription(
        "[animation] image=sparks.png\nframe_w=8 frame_h=8 [effect]=\"a\"");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->image.substr(0, 10), "parks.png\n");
}

class AnimationTest : public EffectsTest {
protected:
    void SetUp() override {
        EffectsTest::SetUp();
        std::filesystem::create_directories("effects");
        std::ofstream("effects/spark.txt") << kExample;
        std::ofstream("effects/two.txt")
            << kHeader
            << "[effect]=\"a\" time=5 [frame] index=1 [effect]=\"b\" time=9 [frame] "
               "index=2";
        std::ofstream("effects/idle.txt") << kHeader << "[effect]=\"idle\"";
        animation = effects.CreateAnimationEffect(&recorder);
        impl = static_cast<EffectLibrary::AnimationEffectImpl*>(animation);
    }
    EffectLibrary::IAnimationEffect* animation = nullptr;
    EffectLibrary::AnimationEffectImpl* impl = nullptr;
};

TEST_F(AnimationTest, PlaysItsFramesInTurnAndHidesTheLastWithAutohide) {
    EXPECT_FALSE(animation->Load("effects/missing.txt"));
    ASSERT_TRUE(animation->Load("effects/spark.txt"));
    EXPECT_EQ(animation->GetAnimationCount(), 1);
    IImageVO* first = impl->GetFrameObject(0, 0);
    IImageVO* second = impl->GetFrameObject(0, 1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetSize(), (ControlLibrary::Size{32, 32}));
    EXPECT_EQ(second->GetSourceRect(), (ControlLibrary::Rect{32, 0, 32, 32}));
    animation->SetPosition(10, 20);
    EXPECT_EQ(second->GetPosition(), (Point{10, 20}));
    EXPECT_FALSE(animation->Start(false, 0));
    animation->SetVisible(true);  // changes nothing
    EXPECT_FALSE(first->IsShown());

    animation->Play(0);
    EXPECT_TRUE(first->IsShown());
    Advance(100);
    EXPECT_FALSE(first->IsShown());
    EXPECT_TRUE(second->IsShown());
    Advance(50);
    EXPECT_FALSE(second->IsShown());  // autohide
    EXPECT_EQ(recorder.events.back(), "finish 1");
    EXPECT_EQ(recorder.steps, 2);
}

TEST_F(AnimationTest, AnAnimationWithoutFramesNeverFinishesAndPlayOutOfRangeDoesNothing) {
    ASSERT_TRUE(animation->Load("effects/idle.txt"));
    animation->Play(0);
    Advance(2000);
    EXPECT_TRUE(recorder.events.empty());
    ASSERT_TRUE(animation->Load("effects/two.txt"));
    EXPECT_EQ(animation->GetAnimationCount(), 2);
    animation->Play(2);
    EXPECT_FALSE(impl->GetFrameObject(0, 0)->IsShown());
    EXPECT_FALSE(impl->GetFrameObject(1, 0)->IsShown());
    animation->Play(1);
    EXPECT_TRUE(impl->GetFrameObject(1, 0)->IsShown());
    Advance(9);
    EXPECT_EQ(recorder.events.back(), "finish 1");
    EXPECT_TRUE(impl->GetFrameObject(1, 0)->IsShown());  // no autohide: the last frame stays
    animation->Stop();
    EXPECT_FALSE(impl->GetFrameObject(1, 0)->IsShown());
}

// An effect destroyed on the main thread the moment it stops counting as
// running: its finish may still be running on the timer thread, and must
// end before the effect goes (ThreadSanitizer watches this).
TEST_F(EffectsTest, DestroyingAnEffectWaitsForItsFinishOnTheTimerThread) {
    TimeLibrary::TimeSystem_impl realTime{Brisk::Platform::SystemClock()};
    EffectSystem_impl system;
    system.SetTimeSystem(&realTime);
    ASSERT_TRUE(realTime.StartTimer());
    IImageVO* card = factory->CreateImageVO();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int destroyed = 0;
    for (; destroyed < 100 && std::chrono::steady_clock::now() < deadline; ++destroyed) {
        auto* move = system.CreateState2MoveEffect(&recorder, card, 5);
        move->SetEndPoint(10, 0);
        ASSERT_TRUE(move->Start(false, 0));
        while (move->IsRunning() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        system.DestroyEffect(move);
    }
    realTime.StopTimer();
    EXPECT_EQ(destroyed, 100);
    EXPECT_EQ(system.CountEffects(), 0);
}

}  // namespace

namespace {

// Each frame of an animation restarts the effect's time object from its own
// finish. Frames of 1 ms last one 5 ms step each, frames of 100 ms exactly
// 100 ms: the game's clock when each frame gives way is checked against
// those absolute times, step by step.
struct FrameTimesCase {
    const char* name;
    int frameMs;
    std::vector<uint64_t> changes;  // the clock at each frame's end
};

class AnimationFrameTimes : public AnimationTest,
                            public ::testing::WithParamInterface<FrameTimesCase> {};

TEST_P(AnimationFrameTimes, EachFrameEndsAtItsOwnTime) {
    const FrameTimesCase& c = GetParam();
    // The clock when each frame's last tick came (every frame ticks once, as it ends).
    class FrameEnds : public EffectLibrary::EffectMessageObserver {
    public:
        explicit FrameEnds(const uint64_t& now) : m_now(now) {}
        void OnEffectStep(int32_t) override { ends.push_back(m_now); }
        std::vector<uint64_t> ends;

    private:
        const uint64_t& m_now;
    };
    uint64_t now = 0;
    FrameEnds frameEnds(now);
    std::ofstream("effects/frames.txt")
        << kHeader << "[effect]=\"f\" time=" << c.frameMs
        << " [frame] index=1 [frame] index=2 [frame] index=3 [frame] index=4";
    EffectLibrary::IAnimationEffect* frames = effects.CreateAnimationEffect(&frameEnds);
    ASSERT_TRUE(frames->Load("effects/frames.txt"));
    frames->Play(0);
    for (now = 5; now <= 1000; now += 5) {
        time.Step();
    }
    EXPECT_EQ(frameEnds.ends, c.changes);
}

INSTANTIATE_TEST_SUITE_P(Frames, AnimationFrameTimes,
                         ::testing::Values(FrameTimesCase{"OneMillisecond", 1, {5, 10, 15, 20}},
                                           FrameTimesCase{
                                               "HundredMilliseconds", 100, {100, 200, 300, 400}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
