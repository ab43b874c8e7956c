// The field in motion, on the manual clock: the frames of a turn, presses
// that end what moves, the celebration before the result, the pictures of a
// card half turned and of the glow, and "Reduce motion" giving the frames
// of a still game.

#include <gtest/gtest.h>

#include "support/Golden.h"
#include "support/WholeGameFixture.h"

#include <cmath>
#include <string>
#include <vector>

#include "game/GameMgr.h"

namespace {

class Motion : public WholeGame {
protected:
    void SetUp() override {
        WholeGame::SetUp();
        CreatePlayer("Anna");
        EnterGame();
        pairs = Pairs();
        ASSERT_GE(pairs.size(), 3u);
    }
    // A press on `object` as a player makes it, and nothing after it: what it
    // sets moving is left to the game's time.
    void Press(ControlLibrary::IVisibleObject* object) {
        const ControlLibrary::Rect r = object->GetScreenRect();
        const int x = r.x + r.width / 2;
        const int y = r.y + r.height / 2;
        TestSupport::PushMouseMove(Window(), x, y);
        TestSupport::PushMouseButton(Window(), true, x, y);
        TestSupport::PushMouseButton(Window(), false, x, y);
        Frames(8);
    }
    // Lets `ms` pass on the game's time only.
    static void Steps(int ms) {
        for (int t = 0; t < ms; t += 5) {
            TimeLibrary::GetTimeSystem()->Step();
        }
    }
    // Every card pressed, pair by pair, `gapMs` of game time after each press.
    void PlayAll(int gapMs) {
        for (const auto& [pair, two] : pairs) {
            for (FieldMgr::Card* card : two) {
                Press(card->cover);
                Wait(gapMs);
            }
        }
    }
    void Golden(const std::string& name) {
        const std::vector<uint32_t> pixels = Screen(name);
        TestSupport::ExpectMatchesGolden(name, pixels.data(), 1024, 768);
    }

    std::map<uint16_t, std::vector<FieldMgr::Card*>> pairs;
};

// Milliseconds after the press, the side in view and its width in
// fifteenths of the card's: the cover narrows to its edge by 75 ms, the face
// widens from it to its full width at 150 ms.
struct TurnFrame {
    int ms;
    bool faceInView;
    int fifteenths;
};

TEST_F(Motion, ATurnNarrowsTheBackToItsEdgeAndWidensTheFace) {
    const std::vector<TurnFrame> frames = {
        {0, false, 15}, {10, false, 13}, {50, false, 5},  {70, false, 1},
        {80, true, 1},  {100, true, 5},  {140, true, 13}, {150, true, 15},
    };
    FieldMgr::Card& card = *pairs[0][0];
    const ControlLibrary::Size full = card.face->GetSize();
    const ControlLibrary::Point centre = card.cover->GetScreenPosition();
    Press(card.cover);
    int now = 0;
    for (const TurnFrame& f : frames) {
        SCOPED_TRACE(f.ms);
        Steps(f.ms - now);
        now = f.ms;
        ControlLibrary::IImageVO* inView = f.faceInView ? card.face : card.cover;
        ControlLibrary::IImageVO* other = f.faceInView ? card.cover : card.face;
        EXPECT_TRUE(inView->IsShown());
        EXPECT_FALSE(other->IsShown());
        EXPECT_EQ(inView->GetSize().width,
                  static_cast<uint32_t>(std::lround(full.width * f.fifteenths / 15.0)));
        EXPECT_EQ(inView->GetSize().height, full.height);
        // Narrowed about the card's centre.
        const ControlLibrary::Rect r = inView->GetScreenRect();
        EXPECT_NEAR(r.x + r.width / 2.0, centre.x + full.width / 2.0, 1.0);
    }
    EXPECT_FALSE(FieldMgr::Instance()->IsMoving());
    EXPECT_EQ(card.cover->GetSize(), full);  // the back at its size for the turn back
}

TEST_F(Motion, APressMidTurnEndsItAtOnceAndIsHandledAsOnAStillField) {
    FieldMgr* field = FieldMgr::Instance();
    FieldMgr::Card& a = *pairs[0][0];
    FieldMgr::Card& b = *pairs[1][0];
    FieldMgr::Card& c = *pairs[2][0];
    const ControlLibrary::Size full = a.face->GetSize();
    Press(a.cover);
    Steps(50);
    ASSERT_TRUE(a.cover->IsShown());  // mid-turn
    Press(b.cover);
    // a is up at its full size before b's press counted; b has just begun.
    EXPECT_TRUE(a.face->IsShown());
    EXPECT_FALSE(a.cover->IsShown());
    EXPECT_EQ(a.face->GetSize(), full);
    EXPECT_TRUE(b.cover->IsShown());
    EXPECT_EQ(field->GetTurnedCount(), 2);
    EXPECT_EQ(field->GetSelectedCount(), 2);
    Steps(30);
    // The third press ends b's turn, then turns the unequal pair back and c up.
    Press(c.cover);
    EXPECT_EQ(field->GetTurnedCount(), 3);
    EXPECT_EQ(field->GetSelectedCount(), 1);
    EXPECT_EQ(field->GetRules().Attempts(), 1);
    Steps(FieldMgr::kTurnMs);
    EXPECT_TRUE(a.cover->IsShown());
    EXPECT_TRUE(b.cover->IsShown());
    EXPECT_FALSE(a.face->IsShown());
    EXPECT_TRUE(c.face->IsShown());
    EXPECT_EQ(a.cover->GetSize(), full);
    EXPECT_FALSE(field->IsMoving());
}

// The same game, pressed as quickly, gives the same attempts, time and
// saved bytes with motion as with "Reduce motion"; with motion the result
// box waits for the celebration, and shows at once when it is pressed.
TEST_F(Motion, MotionChangesNeitherAttemptsNorTimeAndTheResultFollowsTheCelebration) {
    auto play = [&](bool reduce, bool pressDuringCelebration) {
        Gamespace::PlayerList::Instance()->GetCurrent().comfort.reduceMotion = reduce;
        Click(Play()->GetDifficultyButton());
        Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kEasy));
        Wait(3000);
        pairs = Pairs();
        PlayAll(40);  // every press lands mid-turn
        if (!reduce) {
            EXPECT_FALSE(Shown(Play()->GetFinishDialog()));
            EXPECT_TRUE(FieldMgr::Instance()->IsMoving());
            if (pressDuringCelebration) {
                Press(pairs.begin()->second.front()->face);
            } else {
                Wait(FieldMgr::kCelebrationMs);
            }
        }
        EXPECT_TRUE(Shown(Play()->GetFinishDialog()));
        EXPECT_FALSE(FieldMgr::Instance()->IsMoving());
        const std::string result = FinishText();  // time, attempts and bests
        Click(Play()->GetFinishDialog()->GetOkButton());
        return result;
    };
    const std::string still = play(true, false);
    EXPECT_EQ(play(false, false), still);
    EXPECT_EQ(play(false, true), still);
}

// Looked at and kept: a card half turned, the glow of a found pair beside
// the soft mark of an unequal one, and the celebration, all on the manual
// clock. $VQ_SCREENS_DIR receives every frame of the strips.
TEST_F(Motion, PicturesOfATurnTheGlowAndTheCelebration) {
    // A turn, every 30 ms (each picture lets 20 ms pass before it is drawn).
    FieldMgr::Card& a = *pairs[0][0];
    Press(a.cover);
    for (int ms = 20; ms <= 140; ms += 30) {
        char name[32];
        std::snprintf(name, sizeof name, "turn-%03d", ms);
        if (ms == 50) {
            Golden("motion-half-turn");
        } else {
            Screen(name);
        }
        Wait(10);
    }
    // The pair found: its glow at the peak, then at rest beside an unequal pair.
    Press(pairs[0][1]->cover);
    Wait(105);
    Golden("motion-glow");
    Wait(200);
    Press(pairs[1][0]->cover);
    Press(pairs[2][0]->cover);
    Wait(FieldMgr::kTurnMs);
    Golden("motion-marks");
    // The rest found quickly, the last pair on its own; then the
    // celebration's wave every 150 ms.
    Click(pairs[2][1]->cover);
    Click(pairs[2][0]->cover);
    const auto last = std::prev(pairs.end());
    ASSERT_GT(last->first, 2);
    for (auto it = std::next(pairs.begin()); it != last; ++it) {
        for (FieldMgr::Card* card : it->second) {
            if (it->first != 2) {
                Click(card->cover);
            }
        }
    }
    Click(last->second[0]->cover);
    Wait(200);
    Press(last->second[1]->cover);
    ASSERT_FALSE(Shown(Play()->GetFinishDialog()));
    for (int ms = 20; ms <= 920; ms += 150) {
        Screen("celebration-" + std::to_string(ms));
        Wait(130);
    }
    EXPECT_TRUE(Shown(Play()->GetFinishDialog()));
}

}  // namespace
