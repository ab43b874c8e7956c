// The player's main paths, played here and recorded as demos by the real
// program ("-record"). Each demo must come out whole: finished, with its
// deal, its loading point, its input and a screenshot taken with F12.
//
// With VQ_RECORD_DEMOS=<folder> each flow is also kept there for the
// end-to-end replay suite: <name>.dmo, the player files it left under
// <name>/, and its screenshot <name>.png (tests/demos holds the kept ones).

#include "support/WholeGameFixture.h"

#include "framework/app/Demo.h"

namespace {

class DemoFlows : public WholeGame {
protected:
    DemoFlows() {
        m_extraArgs = {"-record", "-demofile=flow.dmo"};  // in the data folder
        m_ownDataFolder = true;
    }

    // The picture the replay must reproduce.
    void Shot() {
        Wait(100);  // fades and turns come to rest
        Key(SDLK_F12);
    }
    // Ends the run as a session end would (unless it ended by itself), then
    // checks the demo and keeps it when asked to.
    void Finish(const std::string& name) {
        if (!app->IsShutdown()) {
            app->OnTerminationRequest();
            Frames(4);
        }
        ASSERT_TRUE(app->IsShutdown());
        const fs::path data = fs::current_path() / "data" / "Vornique";
        const Bytes bytes = ReadBytes((data / "flow.dmo").string());
        std::string error;
        const auto demo = Brisk::ParseDemo(bytes, KernelLibrary::kDemoRules, &error);
        ASSERT_TRUE(demo) << error;
        EXPECT_TRUE(demo->finished);
        EXPECT_TRUE(demo->seed.has_value());
        const auto loaded =
            std::count_if(demo->steps.begin(), demo->steps.end(),
                          [](const auto& e) { return e.kind == Brisk::DemoRecord::Loaded; });
        EXPECT_EQ(loaded, 1);
        const auto presses =
            std::count_if(demo->steps.begin(), demo->steps.end(), [](const Brisk::DemoStep& e) {
                using Brisk::Platform::MessageId;
                const auto id = static_cast<MessageId>(e.code);
                return e.kind == Brisk::DemoRecord::Message &&
                       (id == MessageId::LButtonDown || id == MessageId::KeyDown ||
                        id == MessageId::Char);
            });
        EXPECT_GE(presses, 3);
        const fs::path shot = data / "_screenshots" / "screen1.png";
        ASSERT_TRUE(fs::exists(shot));

        const char* keep = std::getenv("VQ_RECORD_DEMOS");
        if (keep == nullptr) {
            return;
        }
        const fs::path out = fs::path(keep);
        fs::remove_all(out / name);
        fs::create_directories(out / name);
        fs::copy_file(data / "flow.dmo", out / (name + ".dmo"),
                      fs::copy_options::overwrite_existing);
        fs::copy_file(shot, out / (name + ".png"), fs::copy_options::overwrite_existing);
        for (const char* file : {"save", "options.opt"}) {
            if (fs::exists(file)) {
                fs::copy(file, out / name / file, fs::copy_options::recursive);
            }
        }
    }
    void ChooseDifficulty(uint16_t difficulty) {
        Click(Play()->GetDifficultyButton());
        ASSERT_TRUE(Shown(Play()->GetLevelsDialog()));
        Click(Play()->GetLevelsDialog()->GetButton(difficulty));
        Wait(3000);  // the new deal's count-down
    }
    void PlayAllPairs() {
        for (const auto& [pair, two] : Pairs()) {
            for (FieldMgr::Card* card : two) {
                Click(card->cover);
            }
        }
    }
};

TEST_F(DemoFlows, FirstStartAndNewPlayer) {
    CreatePlayer("Zoe");
    Shot();
    Finish("first_start");
}

TEST_F(DemoFlows, APerfectEasyGame) {
    CreatePlayer("Ann");
    EnterGame();
    ChooseDifficulty(Gamespace::kEasy);
    PlayAllPairs();
    Wait(FieldMgr::kCelebrationMs);  // the field celebrates, then the result shows
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    Shot();
    Finish("easy_perfect");
}

TEST_F(DemoFlows, AMediumGameWithWrongPairs) {
    CreatePlayer("Max");
    EnterGame();
    ChooseDifficulty(Gamespace::kMedium);
    auto pairs = Pairs();
    for (int miss = 0; miss < 3; ++miss) {
        Click(pairs[static_cast<uint16_t>(miss)][0]->cover);
        Click(pairs[static_cast<uint16_t>(miss + 1)][1]->cover);
        Wait(1500);  // the two turn back
    }
    PlayAllPairs();
    Wait(FieldMgr::kCelebrationMs);  // the field celebrates, then the result shows
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    Shot();
    Finish("medium_wrong_pairs");
}

TEST_F(DemoFlows, MenuToMainMenuAndBack) {
    CreatePlayer("Eve");
    EnterGame();
    Click(Play()->GetMenuButton());
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
    Click(Play()->GetMenuDialog()->GetMainMenuButton());
    ASSERT_TRUE(Start()->IsActive());
    Wait(200);
    Click(Start()->GetPlayButton());
    Wait(1000);  // in the middle of the count-down
    Shot();
    Finish("menu_and_back");
}

TEST_F(DemoFlows, ADifficultyChange) {
    CreatePlayer("Ida");
    EnterGame();
    ChooseDifficulty(Gamespace::kEasy);
    ChooseDifficulty(Gamespace::kHard);
    Shot();
    Finish("difficulty_change");
}

TEST_F(DemoFlows, ExitConfirmationNoThenYes) {
    CreatePlayer("Uma");
    Click(game->GetExitButton());
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Click(game->GetExitDialog()->GetNoButton());
    ASSERT_FALSE(Shown(game->GetExitDialog()));
    Shot();
    Click(game->GetExitButton());
    Click(game->GetExitDialog()->GetYesButton());
    Finish("exit_no_yes");
}

TEST_F(DemoFlows, TheNameTakenError) {
    CreatePlayer("Ann");
    Click(Start()->GetCreateButton());  // "if you not Ann click here"
    Type("Ann");
    Key(SDLK_RETURN);
    ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()->GetErrorDialog()));
    Shot();
    Finish("name_taken");
}

// Games with others: the seats chosen in "Players", then the field played to
// its result. The computer's moves come from the game's own generator and
// time, so the replay must show the same result.
class DemoWithOthers : public DemoFlows {
protected:
    void ChoosePlayers(size_t seatClicks) {
        Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Players));
        Gamespace::PlayersDlg* players = game->GetPlayersDialog();
        ASSERT_TRUE(Shown(players));
        for (size_t i = 0; i < seatClicks; ++i) {
            Click(players->GetSeatButton(0));
        }
        Click(players->GetPlayButton());
        ASSERT_TRUE(Play()->IsActive());
        Wait(3000);
    }
    // The player takes a whole pair at each of their turns (wrong pairs of
    // others turn back at the first press), or with `missEveryOther` misses
    // at every other turn; the computer is waited for.
    void PlayToTheResult(bool missEveryOther = false) {
        FieldMgr* field = FieldMgr::Instance();
        bool miss = true;
        for (int guard = 0; guard < 300 && !Shown(Play()->GetMatchDialog()); ++guard) {
            if (field->IsComputerTurn() || field->IsMoving()) {
                Wait(1000);  // the computer's move, or the last pair's celebration
                continue;
            }
            miss = !miss;
            if (missEveryOther && miss && MissAPair()) {
                continue;
            }
            TakeAPair();
        }
        ASSERT_TRUE(Shown(Play()->GetMatchDialog()));
    }
};

TEST_F(DemoWithOthers, TwoPlayersAtOneScreen) {
    CreatePlayer("Ann");
    Click(Start()->GetCreateButton());
    Type("Ben");
    Key(SDLK_RETURN);
    ChoosePlayers(1);  // Ann
    ChooseDifficulty(Gamespace::kEasy);
    auto pairs = Pairs();
    Click(pairs[0][0]->cover);
    Click(pairs[0][1]->cover);  // Ben's pair
    Click(pairs[1][0]->cover);
    Click(pairs[2][0]->cover);  // Ben's miss: Ann's turn
    PlayToTheResult();
    Shot();
    Finish("two_players");
}

class DemoAgainstTheComputer : public DemoWithOthers, public ::testing::WithParamInterface<int> {};

TEST_P(DemoAgainstTheComputer, AGameAgainstEachStrength) {
    const char* names[] = {"computer_forgetful", "computer_good", "computer_sharp"};
    CreatePlayer("Kai");
    ChoosePlayers(static_cast<size_t>(GetParam()) + 1);  // nobody, then the strengths in order
    ChooseDifficulty(Gamespace::kEasy);
    auto pairs = Pairs();
    Click(pairs[0][0]->cover);
    Click(pairs[1][0]->cover);  // a miss: the computer plays
    PlayToTheResult(true);
    Shot();
    Finish(names[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Strengths, DemoAgainstTheComputer, ::testing::Values(0, 1, 2));

}  // namespace
