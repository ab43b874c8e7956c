// Dialog panels: children, modality, stacking and drawing.

#include "controls/ControlsFixture.h"

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"

using ControlLibrary::IButtonVO;
using ControlLibrary::IDialogVO;
using ControlLibrary::IRectVO;
using TestSupport::ControlsTest;

namespace {

class Shown : public ControlLibrary::DialogMessageObserver {
public:
    void OnDialogShown(int32_t, bool shown) override { events += shown ? "S" : "H"; }
    std::string events;
};

class DialogTest : public ControlsTest {
protected:
    IDialogVO* Dialog(int x, int y) {
        IDialogVO* d = factory->CreateDialogVO();
        d->SetPosition(x, y);
        d->AddDialogObserver(&shown);
        return d;
    }
    Shown shown;
};

TEST_F(DialogTest, AModalDialogDisablesWhatWasUsableAndGivesItBack) {
    IRectVO* behind = FilledRect(0, 0, 10, 10);
    IRectVO* exempt = FilledRect(20, 0, 10, 10);
    exempt->SetModalExempt(true);
    IDialogVO* dialog = Dialog(50, 50);
    IButtonVO* ok = factory->CreateButtonVO();
    IRectVO* optional = factory->CreateRectVO();
    optional->SetShowWithParent(false);
    dialog->AddChild(ok);
    dialog->AddChild(optional);
    dialog->AddChild(nullptr);
    ok->SetSize(30, 20);
    ok->SetPosition(10, 10);  // relative to the dialog from now on

    dialog->SetShown(true);
    EXPECT_EQ(shown.events, "S");
    EXPECT_FALSE(behind->IsEnabled());
    EXPECT_TRUE(exempt->IsEnabled());
    EXPECT_TRUE(ok->IsShown());
    EXPECT_TRUE(ok->IsEnabled());
    EXPECT_FALSE(optional->IsShown());
    EXPECT_EQ(ok->GetScreenPosition(), (ControlLibrary::Point{60, 60}));
    EXPECT_GT(dialog->GetZOrder(), behind->GetZOrder());
    EXPECT_EQ(ok->GetZOrder(), dialog->GetZOrder());                // its own 0 plus the dialog's
    EXPECT_EQ(factory->GetListed(factory->CountListed() - 1), ok);  // shown after it: on top
    factory->MouseMove(70, 70);
    EXPECT_EQ(factory->GetHover()->GetId(), ok->GetId());

    optional->SetShown(true);
    dialog->SetShown(false);
    EXPECT_EQ(shown.events, "SH");
    EXPECT_FALSE(ok->IsShown());
    EXPECT_FALSE(optional->IsShown());
    EXPECT_TRUE(behind->IsEnabled());
}

// Released while shown, a modal dialog gives back what it disabled.
TEST_F(DialogTest, ReleasingAShownModalDialogEnablesWhatItDisabled) {
    IRectVO* behind = FilledRect(0, 0, 10, 10);
    IDialogVO* dialog = Dialog(50, 50);
    dialog->SetShown(true);
    ASSERT_FALSE(behind->IsEnabled());
    factory->ReleaseDialogVO(dialog);
    EXPECT_TRUE(behind->IsEnabled());
    EXPECT_EQ(factory->CountRegistered(), 1);
}

TEST_F(DialogTest, StackedDialogsRestoreInReverseOrderAndShowingTwicePushesTwice) {
    IRectVO* behind = FilledRect(0, 0, 10, 10);
    IDialogVO* first = Dialog(0, 0);
    IRectVO* firstChild = factory->CreateRectVO();
    first->AddChild(firstChild);
    IDialogVO* second = Dialog(200, 0);
    first->SetShown(true);
    second->SetShown(true);
    EXPECT_FALSE(first->IsEnabled());
    EXPECT_FALSE(firstChild->IsEnabled());
    EXPECT_FALSE(behind->IsEnabled());
    second->SetShown(false);
    EXPECT_TRUE(first->IsEnabled());
    EXPECT_TRUE(firstChild->IsEnabled());
    EXPECT_FALSE(behind->IsEnabled());
    first->SetShown(false);
    EXPECT_TRUE(behind->IsEnabled());

    // Shown twice: the second push disables the dialog and its own child;
    // one hide pops only that, the next gives back what the first took.
    first->SetShown(true);
    first->SetShown(true);
    EXPECT_FALSE(firstChild->IsEnabled());
    first->SetShown(false);
    EXPECT_TRUE(firstChild->IsEnabled());
    EXPECT_FALSE(behind->IsEnabled());
    first->SetShown(false);
    EXPECT_TRUE(behind->IsEnabled());
    EXPECT_EQ(shown.events, "SSHHSSHH");
}

TEST_F(DialogTest, AModelessDialogDisablesNothing) {
    IRectVO* behind = FilledRect(0, 0, 10, 10);
    IDialogVO* d = Dialog(50, 50);
    d->SetModeless(1);
    d->SetShown(true);
    EXPECT_TRUE(behind->IsEnabled());
    d->SetShown(false);
    EXPECT_TRUE(behind->IsEnabled());
}

TEST_F(DialogTest, ANewDialogIsAnOutlinedPanelOrItsPicture) {
    IDialogVO* d = Dialog(10, 10);
    d->SetShown(true);
    Draw();
    EXPECT_EQ(Pixel(10, 10), 0x19FA19u);    // outline
    EXPECT_EQ(Pixel(110, 110), 0x19FA19u);  // width + 1
    EXPECT_EQ(Pixel(11, 11), 0x804000u);
    EXPECT_EQ(Pixel(109, 109), 0x804000u);
    EXPECT_EQ(Pixel(111, 111), 0u);

    WritePicture("panel.png", 50, 50, [](int, int) { return 0x123456u; });
    EXPECT_FALSE(d->SetBackgroundImage("missing.png"));
    ASSERT_TRUE(d->SetBackgroundImage("panel.png"));
    Draw();
    EXPECT_EQ(Pixel(10, 10), 0x123456u);  // stretched over 100 x 100
    EXPECT_EQ(Pixel(109, 109), 0x123456u);
    EXPECT_EQ(Pixel(110, 110), 0u);
    d->SetBackgroundHidden(true);
    Draw();
    EXPECT_EQ(Pixel(50, 50), 0u);
}

TEST_F(DialogTest, ReleasingADialogGivesItsChildrenBack) {
    IDialogVO* d = Dialog(10, 10);
    IRectVO* child = factory->CreateRectVO();
    d->AddChild(child);
    factory->ReleaseDialogVO(d);
    EXPECT_EQ(factory->CountRegistered(), 1);
    EXPECT_EQ(child->GetZOrder(), 0);  // no longer under the deleted dialog
    factory->ReleaseRectVO(child);
    EXPECT_EQ(factory->CountRegistered(), 0);
}

}  // namespace
