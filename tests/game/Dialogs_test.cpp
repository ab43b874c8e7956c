// The in-game dialogs: count-down, result texts, menus and the exit
// confirmation with its shade.

#include "game/GameFixture.h"

#include "controls/ButtonVO.h"
#include "controls/EditBoxVO.h"
#include "controls/IRectVO.h"
#include "game/Dialogs.h"

using TestSupport::GameTest;

namespace {

class Owner : public ControlLibrary::DialogMessageObserver {
public:
    void OnDialogShown(int32_t, bool shown) override { events += shown ? "S" : "H"; }
    std::string events;
};

std::string Text(ControlLibrary::IStringVO* label) {
    std::string text;
    label->GetText(text);
    return text;
}

// The text box's lines joined: the paragraphs as laid out.
std::string Text(ControlLibrary::ITextBoxVO* box) {
    auto* impl = static_cast<ControlLibrary::TextBoxVO_impl*>(
        static_cast<ControlLibrary::TextBoxVO_bridge*>(box)->GetImpl());
    std::string text;
    for (const auto& line : impl->GetLines()) {
        text += line.text + "|";
    }
    return text;
}

TEST_F(GameTest, TheCountDownShowsThreeTwoOneAndHidesAtThreeSeconds) {
    Owner owner;
    Gamespace::TimerDlg timer(&owner);
    EXPECT_EQ(Text(timer.GetLabel()), "Timer");
    timer.Show(true);
    EXPECT_EQ(owner.events, "S");
    EXPECT_EQ(Text(timer.GetLabel()), "3");
    Advance(995);
    EXPECT_EQ(Text(timer.GetLabel()), "3");
    Advance(5);
    EXPECT_EQ(Text(timer.GetLabel()), "2");
    Advance(1000);
    EXPECT_EQ(Text(timer.GetLabel()), "1");
    EXPECT_TRUE(timer.GetDialog()->IsShown());
    Advance(1000);
    EXPECT_EQ(Text(timer.GetLabel()), "0");
    EXPECT_FALSE(timer.GetDialog()->IsShown());
    EXPECT_FALSE(timer.GetLabel()->IsShown());
    EXPECT_EQ(owner.events, "SH");
    Advance(2000);  // it stays finished
    EXPECT_EQ(owner.events, "SH");
    timer.Show(true);  // and counts again when shown again
    EXPECT_EQ(Text(timer.GetLabel()), "3");
    Advance(3000);
    EXPECT_EQ(owner.events, "SHSH");
}

TEST_F(GameTest, TheResultShowsTimeAsMinutesColonSecondsAndTheAttempts) {
    Owner owner;
    Gamespace::FinishDlg finish(&owner);
    finish.SetResult(0, 5);
    finish.Show(true);
    EXPECT_EQ(Text(finish.GetTextBox()), "Congratulations!|\n|Time:      0:0|Attempts:    5|");
    finish.Show(false);
    finish.SetResult(65, 12);
    finish.Show(true);
    EXPECT_EQ(Text(finish.GetTextBox()), "Congratulations!|\n|Time:      1:5|Attempts:    12|");
    EXPECT_EQ(owner.events, "SHS");
}

TEST_F(GameTest, MenusAnswerWithTheButtonPressed) {
    Owner owner;
    Gamespace::MenuDlg menu(&owner);
    menu.Show(true);
    auto* dialog = menu.GetDialog();
    EXPECT_EQ(dialog->GetScreenRect(), (ControlLibrary::Rect{412, 284, 200, 200}));
    // The second listed child after the dialog is "Main menu" at (w/2, h/2 + 30).
    Factory()->MouseMove(512, 384 + 30);
    Factory()->MouseDown(512, 384 + 30, 1);
    Factory()->MouseUp(512, 384 + 30, 1);
    EXPECT_EQ(menu.GetResult(), 1);
    EXPECT_EQ(owner.events, "SH");

    Gamespace::LevelsDlg levels(&owner);
    levels.Show(true);
    Factory()->MouseMove(512, 384 + 60);
    Factory()->MouseDown(512, 384 + 60, 1);
    Factory()->MouseUp(512, 384 + 60, 1);
    EXPECT_EQ(levels.GetResult(), 2);
    EXPECT_FALSE(levels.GetDialog()->IsShown());
}

TEST_F(GameTest, TheExitShadeComesAndGoesWithTheDialogDirectlyBelowIt) {
    ControlLibrary::IRectVO* behind = Factory()->CreateRectVO();
    behind->SetSize(1024, 768);
    behind->SetShown(true);
    Owner owner;
    Gamespace::ExitDialog exit(&owner);
    exit.GetDialog()->SetSize(400, 200);
    EXPECT_FALSE(exit.GetShade()->IsShown());
    exit.Show(true);
    EXPECT_TRUE(exit.GetShade()->IsShown());
    EXPECT_EQ(exit.GetShade()->GetZOrder(), exit.GetDialog()->GetZOrder() - 1);
    EXPECT_EQ(exit.GetShade()->GetSize(), (ControlLibrary::Size{1024, 768}));
    EXPECT_FALSE(behind->IsEnabled());
    Factory()->MouseMove(5, 5);  // the shade, not what lies under it, is hit
    EXPECT_EQ(Factory()->GetHover()->GetId(), exit.GetShade()->GetId());

    Factory()->MouseMove(512 - 70, 384 + 35);  // "No"
    Factory()->MouseDown(512 - 70, 384 + 35, 1);
    Factory()->MouseUp(512 - 70, 384 + 35, 1);
    EXPECT_FALSE(exit.GetResult());
    EXPECT_FALSE(exit.GetShade()->IsShown());
    EXPECT_TRUE(behind->IsEnabled());

    exit.Show(true);
    Factory()->MouseMove(512 + 70, 384 + 35);  // "Yes"
    Factory()->MouseDown(512 + 70, 384 + 35, 1);
    Factory()->MouseUp(512 + 70, 384 + 35, 1);
    EXPECT_TRUE(exit.GetResult());
    EXPECT_EQ(owner.events, "SHSH");
}

}  // namespace
