// The options in the running program: what each choice does at once, and
// the sound cues of a turn.

#include "support/WholeGameFixture.h"

#include "framework/sound/SoundManager.h"

namespace {

using Dlg = Gamespace::OptionsDlg;

class OptionsPlay : public WholeGame {
protected:
    Brisk::DSoundManager* Sounds() const {
        return static_cast<Brisk::DSoundManager*>(app->GetSoundManager());
    }
    Dlg* OpenOptions() {
        Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Options));
        EXPECT_TRUE(Shown(game->GetOptionsDialog()));
        return game->GetOptionsDialog();
    }
};

// The volumes reach the sound layer with the press, each mute silences its
// own kind alone, and both are saved when the dialog closes.
TEST_F(OptionsPlay, VolumesAreHeardAtOnceAndSavedOnClosing) {
    CreatePlayer("Vic");
    EXPECT_EQ(Sounds()->GetMusicVolume(), 1.0);  // full unless the player says otherwise
    EXPECT_EQ(Sounds()->GetMasterVolume(), 1.0);
    Dlg* options = OpenOptions();
    Click(options->GetQuieter(Dlg::kMusic));
    Click(options->GetQuieter(Dlg::kMusic));
    EXPECT_DOUBLE_EQ(Sounds()->GetMusicVolume(), 0.8);
    EXPECT_EQ(LabelText(options->GetVolumeLabel(Dlg::kMusic)), "80%");
    EXPECT_EQ(Sounds()->GetMasterVolume(), 1.0);
    Click(options->GetMute(Dlg::kEffects));
    EXPECT_EQ(Sounds()->GetMasterVolume(), 0.0);
    EXPECT_DOUBLE_EQ(Sounds()->GetMusicVolume(), 0.8);
    Click(options->GetMute(Dlg::kEffects));  // unmuted: the level it had
    EXPECT_EQ(Sounds()->GetMasterVolume(), 1.0);
    Click(options->GetMute(Dlg::kMusic));
    EXPECT_EQ(Sounds()->GetMusicVolume(), 0.0);
    EXPECT_FALSE(fs::exists("options.opt"));  // not yet
    Click(options->GetOkButton());
    EXPECT_EQ(ReadBytes("options.opt"),
              (Bytes{0, 20, 0, 40, 0, 3, 'S', 'N', 'D', 'S', 1, 0, 0, 0, 5, 80, 1, 100, 0, 0}));
}

// No preview: the cards are dealt face down and the clock runs at once; a
// hidden clock is hidden during play and back as soon as it is shown again.
TEST_F(OptionsPlay, NoPreviewAndAHiddenClock) {
    CreatePlayer("Noa");
    Dlg* options = OpenOptions();
    for (int i = 0; i < 3; ++i) {
        Click(options->GetToggle(Dlg::kPreview));  // 5 s, 10 s, none
    }
    Click(options->GetToggle(Dlg::kClock));
    Click(options->GetOkButton());
    Click(Start()->GetPlayButton());
    ASSERT_TRUE(Play()->IsActive());
    EXPECT_FALSE(Shown(FieldMgr::Instance()->GetTimerDialog()));
    for (const auto& card : FieldMgr::Instance()->GetCards()) {
        EXPECT_TRUE(card->cover->IsShown());
        EXPECT_FALSE(card->face->IsShown());
    }
    EXPECT_FALSE(Play()->GetMinutesLabel()->IsShown());
    Wait(2000);
    EXPECT_GE(Play()->GetSeconds(), 1u);  // the clock runs, unseen
    Click(Play()->GetMenuButton());
    Click(Play()->GetMenuDialog()->GetOptionsButton());
    Click(options->GetToggle(Dlg::kClock));
    EXPECT_TRUE(Play()->GetMinutesLabel()->IsShown());  // at once, under the dialog
    Click(options->GetOkButton());
}

// A ten-second preview counts from 10, and the game it deals counts among
// the bests of that preview.
TEST_F(OptionsPlay, ALongPreviewCountsDownFromItsLength) {
    CreatePlayer("Liv");
    Dlg* options = OpenOptions();
    Click(options->GetToggle(Dlg::kPreview));
    Click(options->GetToggle(Dlg::kPreview));
    Click(options->GetOkButton());
    Click(Start()->GetPlayButton());
    EXPECT_EQ(LabelText(FieldMgr::Instance()->GetTimerDialog()->GetLabel()), "10");
    Wait(9000);
    EXPECT_TRUE(Shown(FieldMgr::Instance()->GetTimerDialog()));
    Wait(1100);
    EXPECT_FALSE(Shown(FieldMgr::Instance()->GetTimerDialog()));
    EXPECT_EQ(Play()->GetPreviewSeconds(), 10);
}

// A found pair and an unequal pair each sound their own cue.
TEST_F(OptionsPlay, FoundAndUnequalPairsSoundTheirOwnCues) {
    CreatePlayer("Sam");
    EnterGame();
    FieldMgr* field = FieldMgr::Instance();
    ASSERT_NE(field->GetFoundSound(), nullptr);
    ASSERT_NE(field->GetUnequalSound(), nullptr);
    auto pairs = Pairs();
    Click(pairs[0][0]->cover);
    Click(pairs[1][0]->cover);
    EXPECT_TRUE(field->GetUnequalSound()->IsPlaying());
    EXPECT_FALSE(field->GetFoundSound()->IsPlaying());
    Click(pairs[2][0]->cover);  // the unequal two turn back
    Click(pairs[2][1]->cover);
    EXPECT_TRUE(field->GetFoundSound()->IsPlaying());
}

}  // namespace
