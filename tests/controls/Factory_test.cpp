// The control factory: registry, display list, drawing, input routing,
// modal states, focus and hover safety, and the redraw poll.

#include "controls/ControlsFixture.h"
#include "controls/IDialogVO.h"
#include "support/AppStateAccess.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "controls/Resources.h"
#include "controls/VisibleObject_impl.h"
#include "framework/widgets/WidgetManager.h"
#include "time/TimeSystem_impl.h"

using ControlLibrary::Factory_impl;
using ControlLibrary::IImageVO;
using ControlLibrary::IRectVO;
using TestSupport::ControlsTest;
using TestSupport::RecordingObserver;

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

TEST_F(ControlsTest, IdsStartAtTwoAndAreNeverReused) {
    IRectVO* first = factory->CreateRectVO();
    IImageVO* second = factory->CreateImageVO();
    EXPECT_EQ(first->GetId(), 2);
    EXPECT_EQ(second->GetId(), 3);
    factory->ReleaseRectVO(first);
    factory->ReleaseImageVO(second);
    EXPECT_EQ(factory->CreateRectVO()->GetId(), 4);
}

TEST_F(ControlsTest, EqualZOrderIsDrawnAndHitInShowingOrder) {
    IRectVO* red = factory->CreateRectVO();
    IRectVO* blue = factory->CreateRectVO();
    for (IRectVO* r : {red, blue}) {
        r->SetStyle(1);
        r->SetSize(20, 20);
        r->SetPosition(10, 10);
    }
    red->SetColour({255, 0, 0});
    blue->SetColour({0, 0, 255});
    blue->SetShown(true);
    red->SetShown(true);  // shown later: on top
    Draw();
    EXPECT_EQ(Pixel(15, 15), kRed);
    factory->MouseMove(15, 15);
    EXPECT_EQ(factory->GetHover()->GetId(), red->GetId());

    red->SetShown(false);
    red->SetShown(true);
    blue->SetShown(false);
    blue->SetShown(true);
    Draw();
    EXPECT_EQ(Pixel(15, 15), kBlue);
}

TEST_F(ControlsTest, PointsOnTheRightAndBottomBordersHit) {
    IRectVO* r = FilledRect(10, 10, 20, 20);
    struct Case {
        int x, y;
        bool hit;
    };
    for (const Case c : {Case{10, 10, true}, Case{30, 30, true}, Case{30, 10, true},
                         Case{31, 30, false}, Case{30, 31, false}, Case{9, 20, false}}) {
        factory->MouseMove(c.x, c.y);
        EXPECT_EQ(factory->GetHover() != nullptr, c.hit) << c.x << "," << c.y;
    }
    EXPECT_NE(r, nullptr);
}

TEST_F(ControlsTest, MovingStraightFromOneObjectOntoAnotherLeavesThenEnters) {
    RecordingObserver observer;
    IRectVO* a = FilledRect(0, 0, 20, 20);
    IRectVO* b = FilledRect(21, 0, 20, 20);
    a->AddMouseObserver(&observer);
    b->AddMouseObserver(&observer);
    const auto ida = std::to_string(a->GetId());
    const auto idb = std::to_string(b->GetId());
    factory->MouseMove(5, 5);
    factory->MouseMove(6, 5);
    factory->MouseMove(25, 5);
    factory->MouseMove(100, 100);
    EXPECT_EQ(observer.Take(), "enter " + ida + ",move " + ida + ",leave " + ida + ",enter " + idb +
                                   ",leave " + idb);
    EXPECT_EQ(factory->GetHover(), nullptr);
}

TEST_F(ControlsTest, ModalStatesRestoreExactlyWhatTheyDisabled) {
    IRectVO* a = FilledRect(0, 0, 5, 5);
    IRectVO* b = FilledRect(10, 0, 5, 5);
    IRectVO* exempt = FilledRect(20, 0, 5, 5);
    exempt->SetModalExempt(true);
    IRectVO* alreadyOff = FilledRect(30, 0, 5, 5);
    alreadyOff->SetEnabled(false);

    factory->PushModal();
    EXPECT_FALSE(a->IsEnabled());
    EXPECT_FALSE(b->IsEnabled());
    EXPECT_TRUE(exempt->IsEnabled());
    IRectVO* dialogChild = FilledRect(40, 0, 5, 5);  // shown after the push
    EXPECT_TRUE(dialogChild->IsEnabled());

    factory->PushModal();  // a second dialog above the first
    EXPECT_FALSE(dialogChild->IsEnabled());
    factory->PopModal();
    EXPECT_TRUE(dialogChild->IsEnabled());
    EXPECT_FALSE(a->IsEnabled());

    b->SetEnabled(false);  // disabled again in between
    factory->PopModal();
    EXPECT_TRUE(a->IsEnabled());
    EXPECT_TRUE(b->IsEnabled());
    EXPECT_FALSE(alreadyOff->IsEnabled());
    factory->PopModal();  // nothing left: nothing happens
    EXPECT_TRUE(a->IsEnabled());
}

TEST_F(ControlsTest, AnObjectReleasedWhileAModalStateHoldsItGoesWhenTheStateEnds) {
    IRectVO* a = FilledRect(0, 0, 5, 5);
    factory->PushModal();
    factory->ReleaseRectVO(a);
    EXPECT_EQ(factory->CountRegistered(), 1);
    factory->PopModal();
    EXPECT_EQ(factory->CountRegistered(), 0);
    EXPECT_EQ(factory->CountListed(), 0);
}

TEST_F(ControlsTest, KeyUpSkipsReceiversAddedAfterTheKeyDownAndInactiveOnes) {
    RecordingObserver early, inactive, late;
    inactive.active = false;
    factory->AddKeybdSysObserver(&early);
    factory->AddKeybdSysObserver(&inactive);
    factory->KeyDown(32);
    factory->AddKeybdSysObserver(&late);
    factory->KeyUp(32);
    EXPECT_EQ(early.Take(), "sysdown32,sysup32");
    EXPECT_EQ(inactive.Take(), "");
    EXPECT_EQ(late.Take(), "");
    factory->KeyDown(13);
    EXPECT_EQ(late.Take(), "sysdown13");
}

TEST_F(ControlsTest, TheToolTipSitsBesideTheCursorOrSixteenPixelsOffWithout) {
    ControlLibrary::IToolTip* tip = factory->CreateToolTip();
    tip->SetSize({10, 10});
    tip->SetBackColour({0, 0, 255});
    IRectVO* r = FilledRect(40, 40, 20, 20, {255, 0, 0});
    r->SetToolTip(tip);
    app.GetWidgetManager()->MouseMove(50, 50);
    factory->MouseMove(50, 50);
    Draw();
    EXPECT_EQ(Pixel(66, 66), kBlue);
    EXPECT_EQ(Pixel(75, 75), kBlue);
    EXPECT_EQ(Pixel(65, 65), 0u);
    EXPECT_EQ(Pixel(76, 76), 0u);

    // With a 24 x 8 cursor picture the tip moves by the cursor's size.
    WritePicture("arrow.png", 24, 8, [](int, int) { return 0x00FF00u; });
    ControlLibrary::ICursor* cursor = factory->CreateCursor();
    ASSERT_TRUE(cursor->Load("arrow.png"));
    factory->SetDefaultCursor(cursor);
    factory->MouseMove(51, 50);
    Draw();
    EXPECT_EQ(Pixel(50, 50), 0x00FF00u);  // the cursor at the mouse position
    EXPECT_EQ(Pixel(74, 58), kBlue);

    factory->MouseMove(100, 100);  // leaving clears the tip
    EXPECT_EQ(factory->GetCurrentToolTip(), nullptr);
    factory->ReleaseToolTip(tip);
    factory->ReleaseCursor(cursor);
}

TEST_F(ControlsTest, ACursorHidesTheSystemCursorUntilNoneIsLeft) {
    ControlLibrary::ICursor* cursor = factory->CreateCursor();
    IRectVO* r = FilledRect(0, 0, 20, 20);
    r->SetCursor(cursor);
    EXPECT_FALSE(AppStateAccess::Cursor(app).systemHidden);
    factory->MouseMove(5, 5);
    EXPECT_EQ(factory->GetCurrentCursor(), cursor);
    EXPECT_TRUE(AppStateAccess::Cursor(app).systemHidden);
    factory->MouseMove(50, 50);
    EXPECT_EQ(factory->GetCurrentCursor(), nullptr);
    EXPECT_FALSE(AppStateAccess::Cursor(app).systemHidden);

    // The object holds a count: the cursor outlives the creator's release
    // and goes with the object, never left current after deletion.
    factory->MouseMove(5, 5);
    factory->ReleaseCursor(cursor);
    EXPECT_EQ(factory->GetCurrentCursor(), cursor);
    factory->ReleaseRectVO(r);
    EXPECT_EQ(factory->GetCurrentCursor(), nullptr);
    EXPECT_FALSE(AppStateAccess::Cursor(app).systemHidden);
}

TEST_F(ControlsTest, AnObjectAddedRefOnceMoreSurvivesTheFirstRelease) {
    IRectVO* r = FilledRect(0, 0, 5, 5);
    r->AddRef();
    factory->ReleaseRectVO(r);
    EXPECT_EQ(factory->CountRegistered(), 1);
    EXPECT_EQ(factory->CountListed(), 1);
    EXPECT_TRUE(r->IsShown());
    factory->ReleaseRectVO(r);
    EXPECT_EQ(factory->CountRegistered(), 0);
    EXPECT_EQ(factory->CountListed(), 0);
    factory->ReleaseRectVO(nullptr);
}

TEST_F(ControlsTest, ALongSessionNeverRunsOutOfVisibleObjects) {
    // 1 250 Hard deals of 40 objects each.
    for (int i = 0; i < 50'000; ++i) {
        IImageVO* card = factory->CreateImageVO();
        ASSERT_NE(card, nullptr) << i;
        card->SetShown(true);
        factory->ReleaseImageVO(card);
    }
    IImageVO* after = factory->CreateImageVO();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->GetId(), 50'002);
    factory->ReleaseImageVO(after);

    // The registry holds 10 240 live objects whatever their ids.
    std::vector<IRectVO*> live;
    for (int i = 0; i < Factory_impl::kRegistrySize; ++i) {
        live.push_back(factory->CreateRectVO());
        ASSERT_NE(live.back(), nullptr) << i;
    }
    EXPECT_EQ(factory->CreateRectVO(), nullptr);
    factory->ReleaseRectVO(live.back());
    EXPECT_NE(factory->CreateRectVO(), nullptr);
}

TEST_F(ControlsTest, AnObjectHiddenUnderThePointerTakesNoFurtherPresses) {
    RecordingObserver observer;
    IRectVO* cover = FilledRect(0, 0, 20, 20);
    IRectVO* face = FilledRect(0, 0, 20, 20);
    face->SetShown(false);
    cover->AddMouseObserver(&observer);
    face->AddMouseObserver(&observer);
    const auto idc = std::to_string(cover->GetId());
    const auto idf = std::to_string(face->GetId());
    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);
    cover->SetShown(false);  // the card turns on the press
    face->SetShown(true);
    factory->MouseUp(5, 5, 1);
    factory->MouseDown(5, 5, 2);  // the double click's second press, no move between
    factory->MouseUp(5, 5, 2);
    // The cover heard the leave when it was hidden: it is no longer hovered.
    EXPECT_EQ(observer.Take(), "enter " + idc + ",down " + idc + ",leave " + idc);
    factory->MouseMove(6, 5);  // the next move finds the face
    EXPECT_EQ(observer.Take(), "enter " + idf);
}

// Releases the object it hears about, as a game screen does when a click
// ends its round.
class Releaser : public ControlLibrary::MouseMessageObserver {
public:
    explicit Releaser(Factory_impl* factory) : m_factory(factory) {}
    void OnMouseClick(int32_t) override { m_factory->ReleaseRectVO(target); }
    void OnMouseDown(int32_t) override {
        if (onDown) {
            m_factory->ReleaseRectVO(target);
        }
    }
    IRectVO* target = nullptr;
    bool onDown = false;

private:
    Factory_impl* m_factory;
};

TEST_F(ControlsTest, HoverAndFocusForgetAReleasedObject) {
    RecordingObserver observer;
    IRectVO* r = FilledRect(0, 0, 20, 20);
    r->AddMouseObserver(&observer);
    r->AddKeybdObserver(&observer);
    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);
    ASSERT_NE(factory->GetFocus(), nullptr);
    factory->ReleaseRectVO(r);
    EXPECT_EQ(factory->GetHover(), nullptr);
    EXPECT_EQ(factory->GetFocus(), nullptr);
    observer.Take();
    factory->MouseUp(5, 5, 1);
    factory->KeyDown(65);
    factory->KeyChar('a');
    factory->MouseMove(6, 6);
    EXPECT_EQ(observer.Take(), "");
}

TEST_F(ControlsTest, AnObserverMayReleaseTheObjectThatIsNotifyingIt) {
    Releaser releaser(factory.get());
    RecordingObserver after;
    IRectVO* r = FilledRect(0, 0, 20, 20);
    releaser.target = r;
    r->AddMouseObserver(&releaser);
    r->AddMouseObserver(&after);  // still told: the object lives until the event ends
    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);
    factory->MouseUp(5, 5, 1);
    EXPECT_EQ(factory->CountRegistered(), 0);
    EXPECT_EQ(after.Take(), "enter 2,down 2,click 2,leave 2");  // the leave ends the event

    IRectVO* s = FilledRect(0, 0, 20, 20);
    releaser.target = s;
    releaser.onDown = true;
    s->AddMouseObserver(&releaser);
    factory->MouseMove(6, 6);
    factory->MouseDown(6, 6, 1);  // released before the focus step
    EXPECT_EQ(factory->GetFocus(), nullptr);
    EXPECT_EQ(factory->CountRegistered(), 0);
}

// The poll runs when the frame takes the request: a change made just before
// is drawn in that frame, with no timer step in between.
TEST_F(ControlsTest, TheRedrawPollAsksOnceForAChangedShownObject) {
    Brisk::Platform::ManualClock clock;
    TimeLibrary::TimeSystem_impl time(clock);
    factory = std::make_unique<Factory_impl>(&app, &time);
    bool redraw = false;
    factory->TakeRedrawRequest(&redraw);
    EXPECT_FALSE(redraw);

    IRectVO* r = FilledRect(0, 0, 5, 5);
    IRectVO* hidden = factory->CreateRectVO();
    factory->TakeRedrawRequest(&redraw);
    EXPECT_TRUE(redraw);
    Draw();  // drawing clears the dirty flags
    redraw = false;
    factory->TakeRedrawRequest(&redraw);
    EXPECT_FALSE(redraw);  // drawn: not asked again

    hidden->SetPosition(3, 3);  // not listed: no redraw
    factory->TakeRedrawRequest(&redraw);
    EXPECT_FALSE(redraw);
    r->SetPosition(1, 1);
    factory->TakeRedrawRequest(&redraw);
    EXPECT_TRUE(redraw);
    EXPECT_EQ(time.GetTime(), 0u);  // no step was needed
    factory.reset();
}

// Moves an object on every tick, as effects and the game's clock do on the
// timer thread.
class Mover : public TimeLibrary::TimeObjectMessageObserver {
public:
    void OnTimeObjectTick(int32_t) override {
        ++ticks;
        target->SetPosition(ticks % 50, 10);
        target->SetShown(ticks % 7 != 0);
    }
    IImageVO* target = nullptr;
    std::atomic<int> ticks{0};
};

TEST_F(ControlsTest, TheTimerThreadChangesObjectsWhileTheMainThreadDrawsAndRoutes) {
    TimeLibrary::TimeSystem_impl time(Brisk::Platform::SystemClock());
    factory = std::make_unique<Factory_impl>(&app, &time);
    Mover mover;
    mover.target = factory->CreateImageVO();
    TimeLibrary::ITimeObject* timer = time.CreateTimeObject(&mover, -1, 5);
    timer->SetLooped(true);
    ASSERT_TRUE(timer->Start(false, 0));
    ASSERT_TRUE(time.StartTimer());
    bool redraw = false;
    // Bounded by time, not by turns: a loaded machine may give the timer
    // thread few turns, but it gets a slice well within the limit.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (int i = 0; mover.ticks < 20 && std::chrono::steady_clock::now() < deadline; ++i) {
        factory->MouseMove(i % 60, 15);
        factory->MouseDown(i % 60, 15, 1);
        factory->MouseUp(i % 60, 15, 1);
        factory->TakeRedrawRequest(&redraw);
        Draw();
        IRectVO* passing = FilledRect(i % 60, 0, 5, 5);
        factory->ReleaseRectVO(passing);
    }
    time.StopTimer();
    time.DestroyTimeObject(timer);
    EXPECT_GE(mover.ticks, 20);
    EXPECT_TRUE(redraw);
    factory.reset();
}

// Hiding or releasing an object alone asks for a redraw: the poll only
// looks at listed objects, and the object has just left the list.
TEST_F(ControlsTest, HidingOrReleasingAnObjectAsksForARedraw) {
    Brisk::Platform::ManualClock clock;
    TimeLibrary::TimeSystem_impl time(clock);
    factory = std::make_unique<Factory_impl>(&app, &time);
    IRectVO* a = FilledRect(0, 0, 5, 5);
    IRectVO* b = FilledRect(10, 0, 5, 5);
    bool redraw = false;
    time.Step();
    factory->TakeRedrawRequest(&redraw);
    Draw();
    for (auto change : {std::function<void()>([&] { a->SetShown(false); }),
                        std::function<void()>([&] { factory->ReleaseRectVO(b); })}) {
        redraw = false;
        time.Step();
        factory->TakeRedrawRequest(&redraw);
        ASSERT_FALSE(redraw);
        change();
        time.Step();
        factory->TakeRedrawRequest(&redraw);
        EXPECT_TRUE(redraw);
    }
    factory.reset();
}

// The hover object hears the leave when it is hidden, and stays hovered when
// only its place in the drawing order changes.
TEST_F(ControlsTest, AReSortKeepsTheHoverAndHidingSendsTheLeave) {
    RecordingObserver observer;
    IRectVO* r = FilledRect(0, 0, 20, 20);
    r->AddMouseObserver(&observer);
    const auto id = std::to_string(r->GetId());
    factory->MouseMove(5, 5);
    r->SetZOrder(40);
    ASSERT_NE(factory->GetHover(), nullptr);
    factory->MouseDown(5, 5, 1);  // no move in between: still reaches it
    factory->MouseUp(5, 5, 1);
    EXPECT_EQ(observer.Take(), "enter " + id + ",down " + id + ",click " + id);
    r->SetShown(false);
    EXPECT_EQ(observer.Take(), "leave " + id);
    EXPECT_EQ(factory->GetHover(), nullptr);
}

// Keys go to the focused object only while it can take them.
TEST_F(ControlsTest, AHiddenOrDisabledFocusedObjectTakesNoKeys) {
    RecordingObserver observer;
    IRectVO* r = FilledRect(0, 0, 20, 20);
    r->SetFocusable(true);
    r->AddKeybdObserver(&observer);
    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);
    factory->MouseUp(5, 5, 1);
    ASSERT_NE(factory->GetFocus(), nullptr);
    const auto id = std::to_string(r->GetId());
    factory->KeyDown(65);
    EXPECT_EQ(observer.Take(), "keydown65 " + id);
    for (int step = 0; step < 2; ++step) {
        if (step == 0) {
            r->SetEnabled(false);
        } else {
            r->SetEnabled(true);
            r->SetShown(false);
        }
        factory->KeyDown(66);
        factory->KeyChar('b');
        factory->KeyUp(66);
        EXPECT_EQ(observer.Take(), "") << step;
    }
}

// Observers on the timer thread may release the object that notifies them:
// it is deleted on the main thread, after the notification; cursor changes
// reach the window system there too.
TEST_F(ControlsTest, TimerThreadReleasesAndCursorChangesWaitForTheMainThread) {
    struct ReleaseOnHide : ControlLibrary::DialogMessageObserver {
        void OnDialogShown(int32_t, bool shown) override {
            if (!shown) {
                factory->ReleaseDialogVO(dialog);
            }
        }
        Factory_impl* factory = nullptr;
        ControlLibrary::IDialogVO* dialog = nullptr;
    } releaser;
    releaser.factory = factory.get();
    releaser.dialog = factory->CreateDialogVO();
    releaser.dialog->SetModeless(1);
    releaser.dialog->AddDialogObserver(&releaser);
    // Its child lives as long as the dialog does: the game gave its own use back.
    IRectVO* child = factory->CreateRectVO();
    releaser.dialog->AddChild(child);
    factory->ReleaseRectVO(child);
    releaser.dialog->SetShown(true);
    ControlLibrary::ICursor* cursor = factory->CreateCursor();
    ASSERT_FALSE(app.IsSystemCursorHidden());

    std::thread timer([&] {
        releaser.dialog->SetShown(false);
        factory->SetCurrentCursor(cursor);  // a drawn cursor replaces the system one
    });
    timer.join();
    EXPECT_EQ(factory->CountRegistered(), 1);  // the dialog is not deleted yet: its child is there
    EXPECT_FALSE(app.IsSystemCursorHidden());
    bool redraw = false;
    factory->TakeRedrawRequest(&redraw);  // the main loop's next update
    EXPECT_EQ(factory->CountRegistered(), 0);
    EXPECT_TRUE(app.IsSystemCursorHidden());
    factory->SetCurrentCursor(nullptr);
    factory->ReleaseCursor(cursor);
}

TEST_F(ControlsTest, ConstructionNeedsAnApplication) {
    EXPECT_THROW(Factory_impl(nullptr, nullptr), std::invalid_argument);
}

}  // namespace
