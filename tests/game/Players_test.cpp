// Games with others at one screen, on the whole program: "Players" from the
// start screen, turns shown by name and a marker, the result with the winner,
// "Play again", the records each profile keeps apart from its solo bests, and
// the computer opponent moving on the game's own time.

#include "support/ProfileBytes.h"
#include "support/WholeGameFixture.h"

#include <chrono>

#include "controls/TextVO.h"

namespace {

using TestSupport::Block;
using TestSupport::Joined;
using TestSupport::SavedProfile;

class PlayersGame : public WholeGame {
protected:
    Gamespace::PlayersDlg* Players() const { return game->GetPlayersDialog(); }
    ControlLibrary::IButtonVO* PlayersButton() const {
        return Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Players);
    }
    // A second player made through the invitation (they become current).
    void AddPlayer(const std::string& name) {
        Click(Start()->GetCreateButton());
        ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()));
        Type(name);
        Key(SDLK_RETURN);
        ASSERT_FALSE(Shown(Start()->GetNewPlayerDialog()));
    }
    // Clicks seat `seat` until it reads `caption`.
    void ChooseSeat(size_t seat, const std::string& caption) {
        for (int i = 0; i < 12 && ButtonText(Players()->GetSeatButton(seat)) != caption; ++i) {
            Click(Players()->GetSeatButton(seat));
        }
        ASSERT_EQ(ButtonText(Players()->GetSeatButton(seat)), caption);
    }
    static std::string ButtonText(ControlLibrary::IButtonVO* button) {
        return static_cast<ControlLibrary::ButtonVO_impl*>(
                   static_cast<ControlLibrary::ButtonVO_bridge*>(button)->GetImpl())
            ->GetText();
    }
    std::string MatchText() const {
        auto* impl = static_cast<ControlLibrary::TextBoxVO_impl*>(
            static_cast<ControlLibrary::TextBoxVO_bridge*>(Play()->GetMatchDialog()->GetTextBox())
                ->GetImpl());
        std::string text;
        for (const auto& line : impl->GetLines()) {
            text += line.text + "|";
        }
        return text;
    }
    // Whose turn the screen shows: the marker's row.
    size_t MarkedRow() const {
        const auto marker = Play()->GetTurnMarker()->GetScreenRect();
        for (size_t i = 0; i < Gamespace::GameMgr::kMaxSeats; ++i) {
            const auto row = Play()->GetScoreLabel(i)->GetScreenRect();
            if (marker.y + marker.height / 2 >= row.y &&
                marker.y + marker.height / 2 < row.y + row.height) {
                return i;
            }
        }
        return SIZE_MAX;
    }
    // The pairs still to find, by pair number.
    std::vector<std::vector<FieldMgr::Card*>> PairsInPlay() const {
        std::vector<std::vector<FieldMgr::Card*>> left;
        for (const auto& [pair, two] : Pairs()) {
            if (two[0]->inPlay) {
                left.push_back(two);
            }
        }
        return left;
    }
};

TEST_F(PlayersGame, TwoPlayersTakeTurnsAndTheWinnerIsCountedApartFromSoloBests) {
    CreatePlayer("Ann");
    AddPlayer("Ben");  // Ben is current and plays first
    Click(PlayersButton());
    ASSERT_TRUE(Shown(Players()));
    EXPECT_EQ(ButtonText(Players()->GetSeatButton(0)), "Nobody");
    EXPECT_FALSE(Players()->GetPlayButton()->IsEnabled());
    ChooseSeat(0, "Ann");
    Click(Players()->GetPlayButton());
    ASSERT_TRUE(Play()->IsActive());
    Wait(3000);

    EXPECT_EQ(LabelText(Play()->GetScoreLabel(0)), "Ben: 0");
    EXPECT_EQ(LabelText(Play()->GetScoreLabel(1)), "Ann: 0");
    EXPECT_FALSE(Play()->GetScoreLabel(2)->IsShown());
    EXPECT_TRUE(Play()->GetTurnMarker()->IsShown());
    EXPECT_EQ(MarkedRow(), 0u);

    auto pairs = Pairs();
    Click(pairs[0][0]->cover);
    Click(pairs[0][1]->cover);  // Ben's pair: he goes on
    EXPECT_EQ(LabelText(Play()->GetScoreLabel(0)), "Ben: 1");
    EXPECT_EQ(MarkedRow(), 0u);
    Click(pairs[1][0]->cover);
    Click(pairs[2][0]->cover);  // a miss: Ann's turn
    EXPECT_EQ(MarkedRow(), 1u);
    EXPECT_EQ(Play()->GetScoreLabel(1)->GetColour(), Gamespace::kGold);
    EXPECT_EQ(Play()->GetScoreLabel(0)->GetColour(), Gamespace::kPaleYellow);
    Screen("players-turn");
    // Ann finds every other pair (the miss's cards turn back at her first press).
    for (const auto& two : PairsInPlay()) {
        Click(two[1]->cover);
        Click(two[0]->cover);
    }
    ASSERT_TRUE(Shown(Play()->GetMatchDialog()));
    EXPECT_FALSE(Shown(Play()->GetFinishDialog()));
    EXPECT_EQ(MatchText(), "Ann wins!|Ben   pairs: 1   attempts: 2|Ann   pairs: 9   attempts: 9|");

    // The records: a game with others each, Ann's win; no solo best for anyone.
    EXPECT_EQ(ReadBytes("save/Ann.usr"), Joined({SavedProfile(0, "Ann", Gamespace::kHard),
                                                 Block("WITH", 1, {0, 0, 0, 1, 0, 0, 0, 1})}));
    EXPECT_EQ(ReadBytes("save/Ben.usr"), Joined({SavedProfile(1, "Ben", Gamespace::kHard),
                                                 Block("WITH", 1, {0, 0, 0, 1, 0, 0, 0, 0})}));

    // "Play again": a new deal for the same two.
    Click(Play()->GetMatchDialog()->GetPlayAgainButton());
    EXPECT_FALSE(Shown(Play()->GetMatchDialog()));
    Wait(3000);
    EXPECT_EQ(LabelText(Play()->GetScoreLabel(0)), "Ben: 0");
    EXPECT_EQ(LabelText(Play()->GetScoreLabel(1)), "Ann: 0");
    EXPECT_EQ(MarkedRow(), 0u);

    // Back on the start screen "Play" is the solo game again.
    Key(SDLK_ESCAPE);
    Click(Play()->GetMenuDialog()->GetMainMenuButton());
    ASSERT_TRUE(Start()->IsActive());
    Click(Start()->GetPlayButton());
    Wait(3000);
    EXPECT_FALSE(Play()->GetScoreLabel(0)->IsShown());
    EXPECT_FALSE(Play()->GetTurnMarker()->IsShown());
}

// The computer moves on the game's time, a card a second, and any key makes
// its next move at once; it plays the field to its end with the player.
TEST_F(PlayersGame, TheComputerTurnsACardASecondAndAKeyHurriesIt) {
    CreatePlayer("Kai");
    Click(PlayersButton());
    ChooseSeat(0, "Computer (sharp)");
    // A new player typed in takes the next free seat.
    Type("Lu");
    Key(SDLK_RETURN);
    EXPECT_EQ(ButtonText(Players()->GetSeatButton(1)), "Lu");
    ASSERT_NE(Gamespace::PlayerList::Instance()->Find("Lu"), nullptr);
    EXPECT_TRUE(fs::exists("save/Lu.usr"));
    ChooseSeat(1, "Nobody");  // on second thoughts: the two of them
    Key(SDLK_RETURN);         // an empty name box: "Play"
    ASSERT_TRUE(Play()->IsActive());
    Wait(3000);
    EXPECT_EQ(LabelText(Play()->GetScoreLabel(1)), "Computer (sharp): 0");

    FieldMgr* field = FieldMgr::Instance();
    auto pairs = Pairs();
    Click(pairs[0][0]->cover);
    Click(pairs[1][0]->cover);  // a miss: the computer's turn
    EXPECT_EQ(MarkedRow(), 1u);
    EXPECT_TRUE(field->IsComputerTurn());
    Wait(500);
    EXPECT_EQ(field->GetTurnedCount(), 2);  // the miss stays up to be seen
    Wait(600);
    EXPECT_EQ(field->GetTurnedCount(), 3);  // its first card, a second after the miss
    EXPECT_FALSE(pairs[1][0]->face->IsShown());
    Key(SDLK_SPACE);  // hurried: its second card now
    EXPECT_EQ(field->GetTurnedCount(), 4);
    // A click on a card during its turn hurries it too, and turns nothing for the player.
    const uint16_t before = field->GetTurnedCount();
    const bool stillItsTurn = field->IsComputerTurn();
    Click(pairs[0][1]->cover);
    if (stillItsTurn) {
        EXPECT_EQ(field->GetTurnedCount(), before + 1);
    }

    // Play on: the player takes a whole pair on each of their turns.
    for (int guard = 0; guard < 400 && !Shown(Play()->GetMatchDialog()); ++guard) {
        if (field->IsComputerTurn()) {
            Wait(1000);
            continue;
        }
        ASSERT_TRUE(TakeAPair());
    }
    ASSERT_TRUE(Shown(Play()->GetMatchDialog()));
    EXPECT_NE(MatchText().find("Computer (sharp)   pairs: "), std::string::npos) << MatchText();
    const Gamespace::Player* kai = Gamespace::PlayerList::Instance()->Find("Kai");
    EXPECT_EQ(kai->gamesWithOthers, 1u);
    EXPECT_FALSE(kai->HasBests());
}

// The computer on the real timer thread while the player's keys and clicks
// come on the main thread (ThreadSanitizer watches the hand-offs): the game
// still ends with its result, within a generous bound.
TEST_F(PlayersGame, TheComputerOnTheTimerThreadBesideThePlayersPresses) {
    CreatePlayer("Max");
    Click(PlayersButton());
    ChooseSeat(0, "Computer (good)");
    Click(Players()->GetPlayButton());
    Wait(3000);  // the count-down, stepped by hand
    auto* time = static_cast<TimeLibrary::TimeSystem_impl*>(TimeLibrary::GetTimeSystem());
    ASSERT_TRUE(time->StartTimer());
    FieldMgr* field = FieldMgr::Instance();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    bool miss = false;
    while (!Shown(Play()->GetMatchDialog()) && std::chrono::steady_clock::now() < deadline) {
        if (field->IsComputerTurn()) {
            Key(SDLK_SPACE);  // races the timer thread's own move
            continue;
        }
        miss = !miss;
        if (!(miss && MissAPair())) {
            TakeAPair();
        }
    }
    time->StopTimer();
    ASSERT_TRUE(Shown(Play()->GetMatchDialog()));
    const Gamespace::Standing standing = field->GetStanding();
    EXPECT_EQ(standing.pairs[0] + standing.pairs[1], 10);
    EXPECT_GT(standing.attempts[1], 0);
}

}  // namespace
