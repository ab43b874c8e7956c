// The visible-object model: geometry, z-order, flags and input handlers.

#include "controls/ControlsFixture.h"

#include "controls/VisibleObject_impl.h"

using ControlLibrary::IImageVO;
using ControlLibrary::IRectVO;
using ControlLibrary::Point;
using TestSupport::ControlsTest;
using TestSupport::RecordingObserver;

namespace {

struct AlignCase {
    int align;
    Point expected;
};

class AlignmentTest : public ControlsTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(AlignmentTest, AnchorIsLeftCentreOrRightEdge) {
    IRectVO* r = factory->CreateRectVO();
    r->SetSize(40, 30);
    r->SetPosition(100, 100);
    r->SetAlignment(GetParam().align, GetParam().align);
    EXPECT_EQ(r->GetScreenPosition(), GetParam().expected);
    EXPECT_EQ(r->GetPosition(), (Point{100, 100}));
}

INSTANTIATE_TEST_SUITE_P(Alignments, AlignmentTest,
                         ::testing::Values(AlignCase{0, {100, 100}}, AlignCase{1, {80, 85}},
                                           AlignCase{2, {60, 70}}));

TEST_F(ControlsTest, VerticalAlignmentUsesTheHeightAndOddSizesHalveDownwards) {
    IRectVO* r = factory->CreateRectVO();
    r->SetSize(41, 31);
    r->SetPosition(100, 100);
    r->SetAlignment(1, 2);
    EXPECT_EQ(r->GetScreenPosition(), (Point{80, 69}));
    EXPECT_EQ(r->GetScreenRect(), (ControlLibrary::Rect{80, 69, 41, 31}));
    EXPECT_EQ(r->GetRect(), (ControlLibrary::Rect{100, 100, 41, 31}));
}

TEST_F(ControlsTest, AChildFollowsItsParentOnlyWhenItsOwnGeometryIsSetAgain) {
    IRectVO* parent = factory->CreateRectVO();
    parent->SetPosition(100, 50);
    IRectVO* child = factory->CreateRectVO();
    child->SetParent(parent);
    child->SetPosition(10, 10);
    EXPECT_EQ(child->GetScreenPosition(), (Point{110, 60}));

    parent->SetPosition(200, 50);
    EXPECT_EQ(child->GetScreenPosition(), (Point{110, 60}));
    child->SetPosition(10, 10);  // the same anchor still recomputes under a parent
    EXPECT_EQ(child->GetScreenPosition(), (Point{210, 60}));
}

TEST_F(ControlsTest, AChildIsSortedAtItsParentsZOrderPlusItsOwn) {
    IRectVO* parent = factory->CreateRectVO();
    parent->SetZOrder(1500);
    IRectVO* child = factory->CreateRectVO();
    child->SetParent(parent);
    child->SetZOrder(2);
    EXPECT_EQ(child->GetZOrder(), 1502);

    IRectVO* above = FilledRect(0, 0, 5, 5);
    above->SetZOrder(1503);
    IRectVO* below = FilledRect(0, 0, 5, 5);
    below->SetZOrder(1501);
    child->SetShown(true);
    ASSERT_EQ(factory->CountListed(), 3);
    EXPECT_EQ(factory->GetListed(0), below);
    EXPECT_EQ(factory->GetListed(1), child);
    EXPECT_EQ(factory->GetListed(2), above);
}

TEST_F(ControlsTest, FocusGoesOnlyToShownEnabledFocusableObjects) {
    IRectVO* hidden = factory->CreateRectVO();
    hidden->SetFocus(true);
    EXPECT_FALSE(hidden->HasFocus());

    IRectVO* disabled = FilledRect(0, 0, 5, 5);
    disabled->SetEnabled(false);
    disabled->SetFocus(true);
    EXPECT_FALSE(disabled->HasFocus());

    IRectVO* a = FilledRect(0, 0, 5, 5);
    IRectVO* b = FilledRect(10, 0, 5, 5);
    a->SetFocus(true);
    b->SetFocus(true);
    EXPECT_FALSE(a->HasFocus());
    EXPECT_TRUE(b->HasFocus());
    EXPECT_EQ(factory->GetFocus()->GetId(), b->GetId());

    b->SetFocusable(false);  // clears the flag without telling the factory
    EXPECT_FALSE(b->HasFocus());
    EXPECT_FALSE(b->CanFocus());
}

TEST_F(ControlsTest, ReleasingOverAnEnabledObjectClicksWhereverThePressWas) {
    RecordingObserver observer;
    IRectVO* a = FilledRect(0, 0, 20, 20);
    IRectVO* b = FilledRect(50, 0, 20, 20);
    a->AddMouseObserver(&observer);
    b->AddMouseObserver(&observer);
    const auto ida = std::to_string(a->GetId());
    const auto idb = std::to_string(b->GetId());

    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);
    factory->MouseMove(55, 5);
    factory->MouseUp(55, 5, 1);
    EXPECT_EQ(observer.Take(), "enter " + ida + ",down " + ida + ",leave " + ida + ",enter " + idb +
                                   ",click " + idb);

    b->SetEnabled(false);
    factory->MouseDown(55, 5, 1);
    factory->MouseUp(55, 5, 1);
    EXPECT_EQ(observer.Take(), "");
}

TEST_F(ControlsTest, EveryMouseButtonPressesAndTheSameObserverTwiceHearsTwice) {
    RecordingObserver observer;
    IRectVO* a = FilledRect(0, 0, 20, 20);
    a->AddMouseObserver(&observer);
    a->AddMouseObserver(&observer);
    factory->MouseMove(5, 5);
    observer.Take();
    factory->MouseDown(5, 5, -1);
    factory->MouseDown(5, 5, 3);
    const auto id = std::to_string(a->GetId());
    EXPECT_EQ(observer.Take(), "down " + id + ",down " + id + ",down " + id + ",down " + id);
}

TEST_F(ControlsTest, KeysGoToTheFocusedObjectsObserversUndirtied) {
    RecordingObserver observer;
    IRectVO* a = FilledRect(0, 0, 20, 20);
    a->AddKeybdObserver(&observer);
    factory->AddKeybdSysObserver(&observer);
    factory->KeyDown(65);  // no focus yet
    EXPECT_EQ(observer.Take(), "sysdown65");
    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);
    factory->MouseUp(5, 5, 1);
    auto* impl = factory->GetFocus();
    ASSERT_NE(impl, nullptr);
    impl->ClearDirty();
    factory->KeyDown(65);
    factory->KeyChar('a');
    factory->KeyUp(65);
    const auto id = std::to_string(a->GetId());
    EXPECT_EQ(observer.Take(),
              "sysdown65,keydown65 " + id + ",chara " + id + ",sysup65,keyup65 " + id);
    EXPECT_FALSE(impl->IsDirty());
}

TEST_F(ControlsTest, SettersThatChangeNothingLeaveTheDisplayListAlone) {
    IRectVO* a = FilledRect(0, 0, 20, 20);
    IRectVO* b = FilledRect(0, 0, 20, 20);
    // Re-showing or re-ordering with the stored value keeps b on top.
    a->SetShown(true);
    a->SetZOrder(0);
    a->SetColour({255, 255, 255});
    EXPECT_EQ(factory->GetListed(1), b);
    a->SetZOrder(1);
    EXPECT_EQ(factory->GetListed(1), a);
}

}  // namespace
