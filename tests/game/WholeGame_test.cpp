// The whole program on SDL's dummy drivers: the player's main paths, the
// rules other pairs games break, signals, and every screen against its
// reference picture.

#include <gtest/gtest.h>

#include "support/ProfileBytes.h"
#include "support/WholeGameFixture.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "assetgen/ArtBands.h"
#include "controls/ButtonVO.h"
#include "controls/EditBoxVO.h"
#include "controls/Factory_impl.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Process.h"
#include "framework/platform/Window.h"
#include "framework/resources/ImageLib.h"
#include "game/FieldMgr.h"
#include "game/GameImpl.h"
#include "game/GameMgr.h"
#include "game/Profiles.h"
#include "game/StartMgr.h"
#include "kernel/MainApp.h"
#include "time/TimeSystem_impl.h"

namespace {

TEST_F(WholeGame, APlayerNamedAnnaWinsAnEasyGameAndEverythingIsSaved) {
    // First run: the new-player dialog opens once, "Cancel" unusable.
    EXPECT_FALSE(Shown(Start()->GetNewPlayerDialog()));
    Wait(5);
    Gamespace::NewPlayerDialog* dialog = Start()->GetNewPlayerDialog();
    ASSERT_TRUE(Shown(dialog));
    EXPECT_FALSE(dialog->GetCancelButton()->IsEnabled());
    EXPECT_FALSE(dialog->GetCreateButton()->IsEnabled());
    Type("Anna");
    EXPECT_TRUE(dialog->GetCreateButton()->IsEnabled());
    Key(SDLK_RETURN);
    EXPECT_FALSE(Shown(dialog));
    EXPECT_EQ(LabelText(Start()->GetNameLabel()), "Anna!");
    Wait(100);
    EXPECT_FALSE(Shown(dialog));  // opened once only

    // Play, then choose Easy in the difficulty dialog after the count-down.
    EnterGame();
    Click(Play()->GetDifficultyButton());
    ASSERT_TRUE(Shown(Play()->GetLevelsDialog()));
    Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kEasy));
    ASSERT_EQ(FieldMgr::Instance()->GetCards().size(), 10u);
    Wait(3000);

    // A perfect game: each pair's two covers, pressed at their places.
    for (const auto& [pair, two] : Pairs()) {
        for (FieldMgr::Card* card : two) {
            Click(card->cover);
        }
    }
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    // The first Easy game finished is the first best: no "New best!".
    EXPECT_EQ(FinishText(),
              "Congratulations!\nTime:      0:0Attempts:    5Best time:          0:0Fewest "
              "attempts:   5");

    // "Ok" deals again; after its count-down the menu leads back to the start.
    Click(Play()->GetFinishDialog()->GetOkButton());
    EXPECT_FALSE(Shown(Play()->GetFinishDialog()));
    Wait(3000);
    Click(Play()->GetMenuButton());
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
    Click(Play()->GetMenuDialog()->GetMainMenuButton());
    EXPECT_TRUE(Start()->IsActive());
    EXPECT_FALSE(Play()->IsActive());

    // "Exit", then "Yes".
    Click(game->GetExitButton());
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Click(game->GetExitDialog()->GetYesButton());
    EXPECT_TRUE(app->IsShutdown());
    // Easy, and one Easy game finished: no time on the manual clock, five attempts.
    EXPECT_EQ(ReadBytes("save/Anna.usr"),
              TestSupport::Joined(
                  {TestSupport::SavedProfile(1, "Anna", Gamespace::kEasy, {{{1, 0, 5}, {}, {}}}),
                   TestSupport::HistoryBlock({{kGameDate, Gamespace::kEasy, 3, 0, 5, ""}})}));
    EXPECT_EQ(ReadBytes("options.opt"), (Bytes{0, 20, 0, 40, 0, 3}));
    EXPECT_GT(m_partialDrawsCompared, 2);  // each compared with the whole picture
}

TEST_F(WholeGame, ATakenNameShowsTheErrorAndLeadsBackToAnEmptyBox) {
    CreatePlayer("Anna");
    Gamespace::NewPlayerDialog* dialog = Start()->GetNewPlayerDialog();
    EXPECT_EQ(LabelText(Start()->GetNameLabel()), "Anna!");
    const Bytes anna = ReadBytes("save/Anna.usr");  // written when she was created
    ASSERT_EQ(anna.size(), Gamespace::kProfileBytes + Gamespace::kBestBlockBytes);
    Click(Start()->GetCreateButton());  // "if you not Anna click here"
    ASSERT_TRUE(Shown(dialog));
    EXPECT_TRUE(dialog->GetCancelButton()->IsEnabled());  // a player exists now
    Type("Anna");
    Key(SDLK_RETURN);
    ASSERT_TRUE(Shown(dialog->GetErrorDialog()));
    EXPECT_EQ(Gamespace::PlayerList::Instance()->GetPlayers().size(), 1u);
    EXPECT_EQ(ReadBytes("save/Anna.usr"), anna);  // a refused name touches no file
    Click(dialog->GetErrorDialog()->GetOkButton());
    EXPECT_FALSE(Shown(dialog->GetErrorDialog()));
    ASSERT_TRUE(Shown(dialog));
    std::string text = "x";
    dialog->GetEditBox()->GetText(text);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(dialog->GetCreateButton()->IsEnabled());
    Key(SDLK_RETURN);  // Enter in an empty box does nothing
    EXPECT_TRUE(Shown(dialog));

    Type("Bo");
    Click(dialog->GetCreateButton());
    EXPECT_FALSE(Shown(dialog));
    EXPECT_EQ(LabelText(Start()->GetNameLabel()), "Bo!");
    EXPECT_EQ(Gamespace::PlayerList::Instance()->GetCurrent().name, "Bo");
    EXPECT_FALSE(Gamespace::PlayerList::Instance()->GetPlayers()[0]->current);
}

TEST_F(WholeGame, EnterAndSpaceStartTheGame) {
    CreatePlayer("Anna");
    Key(SDLK_SPACE);
    EXPECT_TRUE(Play()->IsActive());
    Wait(3000);
    Click(Play()->GetMenuButton());
    Click(Play()->GetMenuDialog()->GetMainMenuButton());
    ASSERT_TRUE(Start()->IsActive());
    Key(SDLK_RETURN);
    EXPECT_TRUE(Play()->IsActive());
}

TEST_F(WholeGame, TheMenuFreezesAndGreysTheClockAndResumeGoesOnFromTheSameSecond) {
    CreatePlayer("Anna");
    EnterGame();
    Wait(2000);
    EXPECT_EQ(Play()->GetSeconds(), 2);
    EXPECT_EQ(LabelText(Play()->GetSecondsLabel()), "2");
    Click(Play()->GetMenuButton());
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
    EXPECT_TRUE(Play()->IsPaused());
    EXPECT_EQ(Play()->GetSecondsLabel()->GetColour(), Gamespace::kGrey);
    Wait(5000);
    EXPECT_EQ(Play()->GetSeconds(), 2);
    Click(Play()->GetMenuDialog()->GetResumeButton());
    EXPECT_FALSE(Play()->IsPaused());
    EXPECT_EQ(Play()->GetSecondsLabel()->GetColour(), Gamespace::kGold);
    Wait(1000);
    EXPECT_EQ(Play()->GetSeconds(), 3);

    // 59, 60 and an hour read as minutes and seconds.
    Wait(56'000);
    EXPECT_EQ(LabelText(Play()->GetMinutesLabel()), "0");
    EXPECT_EQ(LabelText(Play()->GetSecondsLabel()), "59");
    Wait(1000);
    EXPECT_EQ(LabelText(Play()->GetMinutesLabel()), "1");
    EXPECT_EQ(LabelText(Play()->GetSecondsLabel()), "0");
}

TEST_F(WholeGame, TheSameDifficultyResumesAnotherDealsANewFieldAndIsStored) {
    CreatePlayer("Anna");
    EnterGame();
    EXPECT_EQ(FieldMgr::Instance()->GetCards().size(), 20u);  // new players play Hard
    const FieldMgr::Card* first = FieldMgr::Instance()->GetCards()[0].get();
    Click(Play()->GetDifficultyButton());
    Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kHard));  // again
    EXPECT_EQ(FieldMgr::Instance()->GetCards()[0].get(), first);
    EXPECT_FALSE(Play()->IsPaused());

    Click(Play()->GetDifficultyButton());
    Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kMedium));
    EXPECT_EQ(FieldMgr::Instance()->GetCards().size(), 16u);
    EXPECT_EQ(Gamespace::PlayerList::Instance()->GetCurrent().difficulty, Gamespace::kMedium);
    CloseWindow();
    Click(game->GetExitDialog()->GetYesButton());
    ASSERT_TRUE(app->IsShutdown());
    EXPECT_EQ(ReadBytes("save/Anna.usr").at(17), Gamespace::kMedium);
}

TEST_F(WholeGame, PauseDoesNothingWhileTheResultIsShown) {
    CreatePlayer("Anna");
    EnterGame();
    for (const auto& [pair, two] : Pairs()) {
        for (FieldMgr::Card* card : two) {
            Click(card->cover);
        }
    }
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    EXPECT_TRUE(Play()->IsPaused());
    Play()->Pause(false);  // as the exit confirmation's "No" does
    EXPECT_TRUE(Play()->IsPaused());
    CloseWindow();
    Click(game->GetExitDialog()->GetNoButton());
    EXPECT_TRUE(Play()->IsPaused());
    const uint16_t seconds = Play()->GetSeconds();
    Wait(3000);
    EXPECT_EQ(Play()->GetSeconds(), seconds);
}

TEST_F(WholeGame, ClosingTheWindowWhileTheConfirmationIsShownChangesNothing) {
    CreatePlayer("Anna");
    CloseWindow();
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    const int32_t z = game->GetExitDialog()->GetDialog()->GetZOrder();
    CloseWindow();
    CloseWindow();
    EXPECT_TRUE(Shown(game->GetExitDialog()));
    EXPECT_EQ(game->GetExitDialog()->GetDialog()->GetZOrder(), z);  // not shown twice
    Click(game->GetExitButton());                                   // under the dialog: disabled
    Click(game->GetExitDialog()->GetNoButton());
    EXPECT_FALSE(Shown(game->GetExitDialog()));
    EXPECT_FALSE(app->IsShutdown());
    EXPECT_TRUE(Start()->GetPlayButton()->IsEnabled());
}

// Input that breaks pairs games elsewhere: none of it may turn a third card,
// count a match that is not one, or change the attempts wrongly.
TEST_F(WholeGame, InputThatBreaksOtherPairsGamesChangesNothingItShouldNot) {
    CreatePlayer("Anna");
    Click(Start()->GetPlayButton());
    FieldMgr* field = FieldMgr::Instance();
    auto faceUp = [&] {
        int n = 0;
        for (const auto& card : field->GetCards()) {
            n += card->face->IsShown() ? 1 : 0;
        }
        return n;
    };
    auto pairs = Pairs();
    FieldMgr::Card* a1 = pairs[0][0];
    FieldMgr::Card* a2 = pairs[0][1];
    FieldMgr::Card* b1 = pairs[1][0];
    FieldMgr::Card* c1 = pairs[2][0];

    // Presses during the count-down: the field is under its modal dialog.
    Click(a1->cover);
    Click(b1->cover);
    EXPECT_EQ(field->GetTurnedCount(), 0);
    Wait(3000);
    EXPECT_EQ(faceUp(), 0);

    // A double click on one cover turns it once.
    const ControlLibrary::Rect r = a1->cover->GetScreenRect();
    const int x = r.x + r.width / 2;
    const int y = r.y + r.height / 2;
    TestSupport::PushMouseMove(Window(), x, y);
    TestSupport::PushMouseButton(Window(), true, x, y);
    TestSupport::PushMouseButton(Window(), false, x, y);
    TestSupport::PushMouseButton(Window(), true, x, y, 2);
    TestSupport::PushMouseButton(Window(), false, x, y, 2);
    Frames(10);
    EXPECT_EQ(field->GetTurnedCount(), 1);
    EXPECT_EQ(field->GetSelectedCount(), 1);
    EXPECT_EQ(faceUp(), 1);
    EXPECT_TRUE(a2->inPlay);

    // A press on a face-up card does nothing.
    Click(a1->face);
    EXPECT_EQ(field->GetTurnedCount(), 1);

    // Rapid presses on three covers: the wrong pair turns back at the third.
    TestSupport::PushMouseMove(Window(), 0, 0);
    for (FieldMgr::Card* card : {b1, c1}) {
        const ControlLibrary::Rect cr = card->cover->GetScreenRect();
        TestSupport::PushMouseMove(Window(), cr.x + cr.width / 2, cr.y + cr.height / 2);
        TestSupport::PushMouseButton(Window(), true, cr.x + cr.width / 2, cr.y + cr.height / 2);
        TestSupport::PushMouseButton(Window(), false, cr.x + cr.width / 2, cr.y + cr.height / 2);
    }
    Frames(20);
    Settle();
    EXPECT_EQ(field->GetTurnedCount(), 3);
    EXPECT_EQ(faceUp(), 1);  // a1 and b1 turned back, c1 up
    EXPECT_TRUE(c1->face->IsShown());
    EXPECT_TRUE(a1->cover->IsShown());

    // Presses behind the menu and behind the exit confirmation reach no card.
    Click(Play()->GetMenuButton());
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
    Click(a2->cover);
    EXPECT_EQ(field->GetTurnedCount(), 3);
    Click(Play()->GetMenuDialog()->GetResumeButton());
    Click(game->GetExitButton());
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Click(a2->cover);
    EXPECT_EQ(field->GetTurnedCount(), 3);
    Click(game->GetExitDialog()->GetNoButton());

    // Play goes on correctly: c1's partner completes a real pair.
    Click(pairs[2][1]->cover);
    EXPECT_EQ(field->GetTurnedCount(), 4);
    EXPECT_FALSE(c1->inPlay);
    EXPECT_TRUE(a1->inPlay);
}

}  // namespace

namespace {

// Every screen a player meets, drawn into the back buffer: each one differs
// from the one before, none is a single colour, and each matches its
// reference picture.
// The game screen's art keeps its header (with the gold rule) and the
// footer's corner plates where the bands say, no card of any layout of any
// difficulty lies on them, and the count-down stands inside the header.
TEST_F(WholeGame, NoCardOrCountDownLiesOnTheArtsBands) {
    auto intersects = [](const ControlLibrary::Rect& r, const AssetGen::Band& b) {
        return r.x < b.x + b.width && b.x < r.x + r.width && r.y < b.y + b.height &&
               b.y < r.y + r.height;
    };
    for (uint16_t d = 0; d < Gamespace::kDifficultyCount; ++d) {
        const auto& layouts = Gamespace::CardLayouts::ForDifficulty(d);
        for (size_t l = 0; l < layouts.size(); ++l) {
            for (const auto& centre : layouts[l]) {
                const ControlLibrary::Rect card{centre.x - 48, centre.y - 48, 96, 96};
                for (const AssetGen::Band& band : AssetGen::kGameBands) {
                    EXPECT_FALSE(intersects(card, band))
                        << "difficulty " << d << " layout " << l << " card at " << centre.x << ","
                        << centre.y << " on the band at " << band.x << "," << band.y;
                }
            }
        }
    }
    CreatePlayer("Rae");
    Click(Start()->GetPlayButton());
    Wait(1000);
    const std::vector<uint32_t> pixels = Screen("bands-count-down");
    auto at = [&](int x, int y) {
        const uint32_t p = pixels[static_cast<size_t>(y * 1024 + x)];
        return std::array<int, 3>{static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                                  static_cast<int>(p & 0xFF)};
    };
    // The digit's gold ink (its script font reaches below the label's box).
    const ControlLibrary::Rect digit =
        FieldMgr::Instance()->GetTimerDialog()->GetLabel()->GetScreenRect();
    int lowestInk = -1;
    for (int y = digit.y; y < 200; ++y) {
        for (int x = digit.x; x < digit.x + digit.width; ++x) {
            const auto p = at(x, y);
            if (p[0] > 200 && p[1] > 150 && p[2] < 130) {
                lowestInk = y;
            }
        }
    }
    EXPECT_GT(lowestInk, digit.y) << "no count-down digit found";
    EXPECT_LT(lowestInk, AssetGen::kGameRuleY) << "the count-down crosses the rule";
    // The drawn art: gold on the rule, felt just below it, the plates unlike the felt.
    const auto rule = at(20, AssetGen::kGameRuleY);
    const auto felt = at(20, AssetGen::kGameRuleY + 6);
    EXPECT_GT(rule[0], felt[0] + 40) << "no gold rule at its row";
    EXPECT_GT(rule[0], rule[2] + 20);
    const auto beside = at(AssetGen::kGameExitPlate.width + 30, 760);
    EXPECT_GT(std::abs(at(70, 762)[1] - beside[1]), 40) << "no plate under Exit";
    EXPECT_LT(at(1000, 705)[1] + 15, at(1000, 690)[1]) << "no plate under the links";
}

// The links open the game's own pages when they are beside the program, by
// mouse and by keys, and say so instead when a copy of the game lacks them.
TEST_F(WholeGame, ALinkOpensItsPageOnlyWhenThePageIsThere) {
    std::vector<std::string> opened;
    ControlLibrary::GetFactory()->SetAddressOpener(
        [&](const std::string& address) { opened.push_back(address); });
    CreatePlayer("Ivo");
    const fs::path readme = fs::current_path() / "README.md";
    fs::remove(readme);
    ::testing::internal::CaptureStderr();
    Click(game->GetLink(0));
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(opened.empty());
    EXPECT_NE(told.find("\"README.md\" should be next to the program"), std::string::npos) << told;

    std::ofstream(readme) << "# Vornique\n";
    Click(game->GetLink(0));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "file://" + readme.string());
    // "Play", the row under it, the invitation, "Exit", "Quorlin!", "More games".
    for (size_t i = 0; i < Start()->GetRowButtons().size() + 5; ++i) {
        Key(SDLK_TAB);
    }
    Key(SDLK_RETURN);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1], opened[0]);
}

// F12 says where the picture went, for about two seconds, and the note is in
// neither that picture nor the next one.
class Screenshots : public WholeGame {
protected:
    Screenshots() { m_ownDataFolder = true; }
};

TEST_F(Screenshots, AScreenshotIsNamedOnScreenButNotInThePicture) {
    CreatePlayer("Uma");
    const fs::path shots = fs::current_path() / "data" / "Vornique" / "_screenshots";
    constexpr size_t kNote = 20 * 1024 + 16;  // inside the note's plate, top left
    // Main-loop steps 10 ms apart, as the game runs.
    auto run = [&](int steps) {
        for (int i = 0; i < steps; ++i) {
            bool updated = false;
            app->UpdateAppStep(&updated);
            appClock.Advance(10);
        }
        return app->GetDisplay()->GetScreenImage()->GetBits()[kNote] & 0xFFFFFFu;
    };
    const uint32_t before = Screen("note-before")[kNote] & 0xFFFFFFu;
    auto f12 = [&] {
        TestSupport::PushKey(Window(), SDLK_F12, true);
        TestSupport::PushKey(Window(), SDLK_F12, false);
    };
    f12();
    EXPECT_NE(run(20), before) << "no note on the screen";
    EXPECT_NE(run(120), before) << "the note went before about two seconds";
    auto saved = ImageLib::DecodeImageFile((shots / "screen1.png").string());
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->m_bits[kNote] & 0xFFFFFFu, before);
    f12();  // while the first note shows: it is not in the second picture
    EXPECT_NE(run(20), before);
    auto second = ImageLib::DecodeImageFile((shots / "screen2.png").string());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->m_bits[kNote] & 0xFFFFFFu, before);
    EXPECT_EQ(run(400), before) << "the note stays";
}

TEST_F(WholeGame, EveryScreenIsDrawn) {
    std::vector<std::vector<uint32_t>> screens;
    auto look = [&](const std::string& name) {
        screens.push_back(Screen(name));
        const auto& pixels = screens.back();
        EXPECT_NE(std::count(pixels.begin(), pixels.end(), pixels.front()),
                  static_cast<std::ptrdiff_t>(pixels.size()))
            << name;
        if (screens.size() > 1) {
            EXPECT_NE(pixels, screens[screens.size() - 2]) << name;
        }
        TestSupport::ExpectMatchesGolden("screen-" + name, pixels.data(), 1024, 768);
    };
    Wait(5);
    look("1-new-player");
    Type("Anna");
    look("2-name-typed");
    Key(SDLK_RETURN);
    Click(Start()->GetCreateButton());
    Type("Anna");
    Key(SDLK_RETURN);
    look("3-name-taken");
    Click(Start()->GetNewPlayerDialog()->GetErrorDialog()->GetOkButton());
    Click(Start()->GetNewPlayerDialog()->GetCancelButton());
    // With "Reduce motion" every frame is the game's frame without motion:
    // nothing is left moving for Settle, and every picture stays as it was.
    Gamespace::PlayerList::Instance()->GetCurrent().comfort.reduceMotion = true;
    look("4-start");
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Cards));
    look("4a-cards");
    EXPECT_FALSE(Start()->GetCreateButton()->IsShown());  // behind the picker, not cut through
    Click(Start()->GetCardsDialog()->GetCancelButton());
    EXPECT_TRUE(Start()->GetCreateButton()->IsShown());
    Click(Start()->GetPlayButton());
    Wait(1000);
    look("5-count-down");
    Wait(2000);
    Wait(7000);
    auto pairs = Pairs();
    Click(pairs[0][0]->cover);
    Click(pairs[0][1]->cover);
    Click(pairs[1][0]->cover);
    Click(pairs[2][0]->cover);
    look("6-play");
    Click(Play()->GetMenuButton());
    look("7-menu");
    Click(Play()->GetMenuDialog()->GetResumeButton());
    Click(Play()->GetDifficultyButton());
    look("8-difficulty");
    Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kEasy));
    Wait(3000);
    Wait(12'000);
    for (const auto& [pair, two] : Pairs()) {
        for (FieldMgr::Card* card : two) {
            Click(card->cover);
        }
    }
    look("9-result");
    CloseWindow();  // "Exit" itself is under the result dialog
    look("10-exit");
    // Drawn only where things changed, and the same as drawn whole.
    EXPECT_GT(m_partialDrawsCompared, 5);
}

// The screens of choosing players and of a game with others.
TEST_F(WholeGame, EveryScreenOfPlayersIsDrawn) {
    auto look = [&](const std::string& name) {
        const auto pixels = Screen(name);
        TestSupport::ExpectMatchesGolden("screen-" + name, pixels.data(), 1024, 768);
    };
    CreatePlayer("Anna");
    for (const char* name : {"Bert", "carla", "Dmitri"}) {
        Click(Start()->GetCreateButton());
        Type(name);
        Key(SDLK_RETURN);
    }
    Click(Start()->GetCreateButton());
    Key(SDLK_DOWN);
    Key(SDLK_DOWN);
    look("players-1-list");
    Click(Start()->GetNewPlayerDialog()->GetDeleteButton());
    look("players-2-delete");
    Click(Start()->GetNewPlayerDialog()->GetDeleteDialog()->GetNoButton());
    Click(Start()->GetNewPlayerDialog()->GetCancelButton());
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Players));
    Gamespace::PlayersDlg* players = game->GetPlayersDialog();
    Click(players->GetSeatButton(0));  // "Anna"
    for (int i = 0; i < 3; ++i) {
        Click(
            players->GetSeatButton(1));  // "Anna" is taken: "Bert", "carla", "Computer (forgetful)"
    }
    for (int i = 0; i < 5; ++i) {
        Click(players->GetSeatButton(2));  // past the players to "Computer (sharp)"
    }
    TestSupport::PushMouseMove(Window(), 100, 100);  // nothing under the mouse lit
    look("players-3-who-plays");
    Click(players->GetPlayButton());
    Wait(3000);
    auto pairs = Pairs();
    Click(pairs[0][0]->cover);
    Click(pairs[0][1]->cover);
    Click(pairs[1][0]->cover);
    Click(pairs[2][0]->cover);
    look("players-4-turns");
    // Anna and the computers play the field to its end.
    FieldMgr* field = FieldMgr::Instance();
    for (int guard = 0; guard < 600 && !Shown(Play()->GetMatchDialog()); ++guard) {
        if (field->IsComputerTurn()) {
            Key(SDLK_SPACE);
            continue;
        }
        TakeAPair();
    }
    ASSERT_TRUE(Shown(Play()->GetMatchDialog()));
    look("players-5-result");
}

// The options dialog, from the start screen and from the in-game menu, and
// what its choices show: no clock during play, bests kept apart.
TEST_F(WholeGame, EveryScreenOfTheOptions) {
    using Dlg = Gamespace::OptionsDlg;
    CreatePlayer("Anna");
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Options));
    Dlg* options = game->GetOptionsDialog();
    ASSERT_TRUE(Shown(options));
    Click(options->GetQuieter(Dlg::kMusic));
    Click(options->GetMute(Dlg::kEffects));
    Click(options->GetToggle(Dlg::kPreview));  // 5 s
    Click(options->GetToggle(Dlg::kClock));    // hidden
    const std::vector<uint32_t> start = Screen("11-options");
    TestSupport::ExpectMatchesGolden("screen-11-options", start.data(), 1024, 768);
    Click(options->GetOkButton());
    Click(Start()->GetPlayButton());
    Wait(5000);
    Click(Play()->GetMenuButton());
    Click(Play()->GetMenuDialog()->GetOptionsButton());
    ASSERT_TRUE(Shown(options));
    const std::vector<uint32_t> inGame = Screen("12-options-in-game");
    TestSupport::ExpectMatchesGolden("screen-12-options-in-game", inGame.data(), 1024, 768);
    Click(options->GetOkButton());
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));  // back where it was opened
    Click(Play()->GetMenuDialog()->GetResumeButton());
    for (const auto& [pair, two] : Pairs()) {
        for (FieldMgr::Card* card : two) {
            Click(card->cover);
        }
    }
    const std::vector<uint32_t> result = Screen("13-result-apart");
    TestSupport::ExpectMatchesGolden("screen-13-result-apart", result.data(), 1024, 768);
}

}  // namespace

namespace {

// A termination signal mid-game (a session ending, Ctrl+C, `timeout`) ends
// the program without asking and keeps everything a confirmed exit keeps.
class WholeGameSignal : public WholeGame, public ::testing::WithParamInterface<int> {};

TEST_P(WholeGameSignal, EndsTheGameAndSavesWithoutAsking) {
    CreatePlayer("Anna");
    EnterGame();
    Click(Play()->GetDifficultyButton());
    Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kMedium));
    fs::remove("save/Anna.usr");
    fs::remove("options.opt");
    std::raise(GetParam());
    Frames(2);
    EXPECT_TRUE(app->IsShutdown());  // without asking: a question would have held it up
    EXPECT_EQ(ReadBytes("save/Anna.usr"), TestSupport::SavedProfile(1, "Anna", Gamespace::kMedium));
    EXPECT_EQ(ReadBytes("options.opt"), (Bytes{0, 20, 0, 40, 0, 3}));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, WholeGameSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP), [](const auto& info) {
        return std::string(info.param == SIGTERM ? "Term" : info.param == SIGINT ? "Int" : "Hup");
    });

// What the player saw happen is on disk at once, not only after a clean exit.
TEST_F(WholeGame, ProfilesAreWrittenWhenThePlayerSeesTheChange) {
    CreatePlayer("Anna");
    EXPECT_EQ(ReadBytes("save/Anna.usr"), TestSupport::SavedProfile(1, "Anna", Gamespace::kHard));
    EnterGame();
    Click(Play()->GetDifficultyButton());
    Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kEasy));
    EXPECT_EQ(ReadBytes("save/Anna.usr").at(17), Gamespace::kEasy);
    Wait(3000);
    fs::remove("save/Anna.usr");
    for (const auto& [pair, two] : Pairs()) {
        for (FieldMgr::Card* card : two) {
            Click(card->cover);
        }
    }
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    EXPECT_EQ(ReadBytes("save/Anna.usr"),  // a finished game
              TestSupport::Joined(
                  {TestSupport::SavedProfile(1, "Anna", Gamespace::kEasy, {{{1, 0, 5}, {}, {}}}),
                   TestSupport::HistoryBlock({{kGameDate, Gamespace::kEasy, 3, 0, 5, ""}})}));
}

// "Exit" during the count-down pauses it under the confirmation; "No" lets it
// run on from where it stood. The close box does the same.
TEST_F(WholeGame, ExitDuringTheCountDownPausesItAndNoResumesIt) {
    CreatePlayer("Anna");
    Click(Start()->GetPlayButton());
    Gamespace::TimerDlg* countDown = FieldMgr::Instance()->GetTimerDialog();
    Wait(1000);
    ASSERT_TRUE(Shown(countDown));
    EXPECT_EQ(LabelText(countDown->GetLabel()), "2");
    Screen("countdown_exit_usable");
    for (bool closeBox : {false, true}) {
        if (closeBox) {
            CloseWindow();
        } else {
            EXPECT_TRUE(game->GetExitButton()->IsEnabled());
            Click(game->GetExitButton());
        }
        ASSERT_TRUE(Shown(game->GetExitDialog())) << closeBox;
        EXPECT_FALSE(game->GetExitButton()->IsEnabled());
        Screen(closeBox ? "countdown_paused_close_box" : "countdown_paused_exit");
        Wait(5000);
        EXPECT_TRUE(Shown(countDown));
        EXPECT_EQ(LabelText(countDown->GetLabel()), "2");
        Click(game->GetExitDialog()->GetNoButton());
        EXPECT_FALSE(Shown(game->GetExitDialog()));
        EXPECT_TRUE(game->GetExitButton()->IsEnabled());
    }
    Wait(1000);
    EXPECT_EQ(LabelText(countDown->GetLabel()), "1");
    Wait(1000);
    EXPECT_FALSE(Shown(countDown));
    Wait(2000);
    EXPECT_EQ(Play()->GetSeconds(), 2u);
    EXPECT_FALSE(game->GetExitButton()->IsModalExempt());  // the usual rule again
}

// The clock counts past 18 hours instead of starting again at 0:0.
TEST_F(WholeGame, TheClockDoesNotWrapAfter65535Seconds) {
    CreatePlayer("Anna");
    EnterGame();
    Click(Play()->GetMenuButton());
    Click(Play()->GetMenuDialog()->GetResumeButton());  // the clock runs
    Wait(1000);
    ASSERT_EQ(Play()->GetSeconds(), 1u);
    for (uint32_t i = 1; i < 65'536; ++i) {
        Play()->OnTimeObjectTick(Play()->GetClockId());
    }
    EXPECT_EQ(Play()->GetSeconds(), 65'536u);
    EXPECT_EQ(LabelText(Play()->GetMinutesLabel()), "1092");
    EXPECT_EQ(LabelText(Play()->GetSecondsLabel()), "16");
}

// Without its data the game says so once, names the archive, and ends with a
// failure code instead of showing a blank window.
class WholeGameWithoutData : public WholeGame {
protected:
    WholeGameWithoutData() { m_linkData = false; }
    void SetUp() override {
        testing::internal::CaptureStderr();
        WholeGame::SetUp();
        message = testing::internal::GetCapturedStderr();
    }
    std::string message;
};

TEST_F(WholeGameWithoutData, SaysTheDataIsMissingAndExitsWithAFailure) {
    EXPECT_EQ(exitCodes, (std::vector<int>{1}));
    EXPECT_NE(message.find("\"data.pak\""), std::string::npos) << message;
    EXPECT_NE(message.find((fs::current_path() / "data.pak").string()), std::string::npos);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 3) << message;  // one message
    CloseWindow();  // nothing was loaded, so nothing is saved
    EXPECT_FALSE(fs::exists("save"));
    EXPECT_FALSE(fs::exists("options.opt"));
}

}  // namespace
