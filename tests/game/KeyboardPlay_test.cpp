// Keyboard play and personal bests: the focus ring's navigation on every
// layout, whole games played with keys only through SDL's event queue, the
// keys of every dialog, and "New best!" exactly when a game beats the best.

#include "support/ProfileBytes.h"
#include "support/WholeGameFixture.h"

#include <deque>

#include "game/KeyboardNav.h"

using Gamespace::Direction;
using Gamespace::NavPoint;
using Gamespace::NextInDirection;

namespace {

constexpr Direction kDirections[] = {Direction::Left, Direction::Up, Direction::Right,
                                     Direction::Down};

TEST(KeyboardNav, OnEveryLayoutEveryArrowMovesAndEveryCardCanBeReached) {
    Gamespace::CardLayouts::Build();
    for (uint16_t d = 0; d < Gamespace::kDifficultyCount; ++d) {
        for (const Gamespace::CardLayout& layout : Gamespace::CardLayouts::ForDifficulty(d)) {
            std::vector<NavPoint> points;
            for (const auto& p : layout) {
                points.push_back({p.x, p.y});
            }
            for (size_t from = 0; from < points.size(); ++from) {
                std::vector<bool> reached(points.size(), false);
                std::deque<size_t> queue{from};
                reached[from] = true;
                while (!queue.empty()) {
                    const size_t at = queue.front();
                    queue.pop_front();
                    for (Direction dir : kDirections) {
                        const size_t next = NextInDirection(points, at, dir);
                        ASSERT_NE(next, at) << "difficulty " << d << " card " << at;
                        if (!reached[next]) {
                            reached[next] = true;
                            queue.push_back(next);
                        }
                    }
                }
                EXPECT_EQ(std::count(reached.begin(), reached.end(), true),
                          static_cast<long>(points.size()))
                    << "difficulty " << d << " from card " << from;
            }
        }
    }
}

TEST(KeyboardNav, OnAGridArrowsTakeTheNeighbourAndWrapToTheFarSideInLine) {
    // 0 1 2
    // 3 4 5   (5 a little lower: the layouts are not exact grids)
    const std::vector<NavPoint> grid = {{0, 0},   {100, 0},   {200, 0},
                                        {0, 100}, {100, 100}, {200, 115}};
    const struct {
        size_t from;
        Direction direction;
        size_t to;
    } cases[] = {
        {0, Direction::Right, 1}, {1, Direction::Down, 4},  {4, Direction::Right, 5},
        {5, Direction::Up, 2},    {2, Direction::Right, 0}, {3, Direction::Left, 5},
        {0, Direction::Up, 3},    {4, Direction::Down, 1},  {3, Direction::Up, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextInDirection(grid, c.from, c.direction), c.to)
            << "from " << c.from << " direction " << static_cast<int>(c.direction);
    }
    EXPECT_EQ(NextInDirection({{5, 5}}, 0, Direction::Left), 0u);  // alone: it stays
}

class KeyboardPlay : public WholeGame {
protected:
    // The ring onto card `target`, by arrows planned over the game's own
    // navigation (a shortest path), then checked against where it went.
    void RingTo(size_t target) {
        if (Play()->GetFocusedCard() < 0) {
            Arrow(2);  // the first arrow only shows the ring
        }
        ASSERT_GE(Play()->GetFocusedCard(), 0);
        std::vector<NavPoint> points;
        for (const auto& card : FieldMgr::Instance()->GetCards()) {
            const ControlLibrary::Rect r = card->cover->GetScreenRect();
            points.push_back({r.x + r.width / 2, r.y + r.height / 2});
        }
        const auto from = static_cast<size_t>(Play()->GetFocusedCard());
        std::vector<int> via(points.size(), -1);  // the direction that first reached a card
        std::vector<size_t> parent(points.size(), from);
        std::deque<size_t> queue{from};
        via[from] = 4;
        while (!queue.empty() && via[target] < 0) {
            const size_t at = queue.front();
            queue.pop_front();
            for (int d = 0; d < 4; ++d) {
                const size_t next = NextInDirection(points, at, kDirections[d]);
                if (via[next] < 0) {
                    via[next] = d;
                    parent[next] = at;
                    queue.push_back(next);
                }
            }
        }
        ASSERT_GE(via[target], 0);
        std::vector<int> path;
        for (size_t at = target; at != from; at = parent[at]) {
            path.insert(path.begin(), via[at]);
        }
        for (int d : path) {
            Arrow(d);
        }
        ASSERT_EQ(Play()->GetFocusedCard(), static_cast<int32_t>(target));
    }
    size_t IndexOf(const FieldMgr::Card* card) const {
        const auto& cards = FieldMgr::Instance()->GetCards();
        for (size_t i = 0; i < cards.size(); ++i) {
            if (cards[i].get() == card) {
                return i;
            }
        }
        return cards.size();
    }
    void TurnByKeys(const FieldMgr::Card* card) {
        RingTo(IndexOf(card));
        if (m_pad != nullptr) {
            Pad(SDL_CONTROLLER_BUTTON_A);
        } else {
            Key(SDLK_SPACE);
        }
    }
    // An arrow (0 left, 1 up, 2 right, 3 down), on the gamepad's D-pad while
    // one is in use.
    void Arrow(int d) {
        const int32_t keys[] = {SDLK_LEFT, SDLK_UP, SDLK_RIGHT, SDLK_DOWN};
        const int buttons[] = {SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_UP,
                               SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_DOWN};
        if (m_pad != nullptr) {
            Pad(buttons[d]);
        } else {
            Key(keys[d]);
        }
    }
    // A press and release of a gamepad button.
    void Pad(int button) {
        m_pad->SetButton(button, true);
        Frames(3);
        m_pad->SetButton(button, false);
        Frames(6);
        Settle();
    }
    TestSupport::VirtualPad* m_pad = nullptr;  // the gamepad in use, if any
    void PlayAllPairsByKeys() {
        for (const auto& [pair, two] : Pairs()) {
            for (FieldMgr::Card* card : two) {
                TurnByKeys(card);
            }
        }
    }
    // Tab to the difficulty button, Enter, the arrows to `difficulty`, Enter.
    void ChooseDifficultyByKeys(uint16_t difficulty) {
        Key(SDLK_TAB);
        Key(SDLK_TAB);
        Key(SDLK_RETURN);
        ASSERT_TRUE(Shown(Play()->GetLevelsDialog()));
        // It opens with the current difficulty lit.
        const int current = Gamespace::PlayerList::Instance()->GetCurrent().difficulty;
        EXPECT_EQ(Play()->GetLevelsDialog()->GetHighlighted(),
                  Play()->GetLevelsDialog()->GetButton(static_cast<uint16_t>(current)));
        for (int i = current; i != difficulty; i += difficulty > current ? 1 : -1) {
            Key(difficulty > current ? SDLK_DOWN : SDLK_UP);
        }
        EXPECT_EQ(Play()->GetLevelsDialog()->GetHighlighted(),
                  Play()->GetLevelsDialog()->GetButton(difficulty));
        Key(SDLK_RETURN);
        ASSERT_FALSE(Shown(Play()->GetLevelsDialog()));
        Wait(3000);
    }
    std::string Shot(const std::string& name) {
        Screen(name);
        return name;
    }
};

TEST_F(KeyboardPlay, AGameOnEveryDifficultyWithKeysOnlyFromTheFirstStart) {
    Wait(5);
    ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()));
    Type("Kai");
    Key(SDLK_RETURN);
    ASSERT_FALSE(Shown(Start()->GetNewPlayerDialog()));
    const uint16_t pairs[] = {5, 8, 10};
    const char* names[] = {"easy", "medium", "hard"};
    for (uint16_t d = 0; d < Gamespace::kDifficultyCount; ++d) {
        SCOPED_TRACE(names[d]);
        Key(SDLK_RETURN);  // "Play"
        ASSERT_TRUE(Play()->IsActive());
        Wait(3000);
        ChooseDifficultyByKeys(d);
        ASSERT_EQ(FieldMgr::Instance()->GetCards().size(), 2u * pairs[d]);
        RingTo(0);
        Shot(std::string("keys-ring-") + names[d]);
        PlayAllPairsByKeys();
        ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
        EXPECT_NE(FinishText().find("Attempts:    " + std::to_string(pairs[d])), std::string::npos)
            << FinishText();
        Key(SDLK_RETURN);  // "Ok": a new deal and its count-down
        ASSERT_FALSE(Shown(Play()->GetFinishDialog()));
        Wait(3000);
        Key(SDLK_ESCAPE);  // the menu
        ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
        Key(SDLK_DOWN);
        Key(SDLK_DOWN);  // "Main menu"
        Key(SDLK_RETURN);
        ASSERT_TRUE(Start()->IsActive());
    }
    Shot("keys-start-with-bests");
    EXPECT_EQ(LabelText(Start()->GetBestsLabel()),
              "Your bests   Easy 0:0 in 5   Medium 0:0 in 8   Hard 0:0 in 10");
    // Each game's time on the manual clock is 0 s.
    EXPECT_EQ(ReadBytes("save/Kai.usr"),
              TestSupport::Joined(
                  {TestSupport::SavedProfile(1, "Kai", Gamespace::kHard,
                                             {{{1, 0, 5}, {1, 0, 8}, {1, 0, 10}}}),
                   TestSupport::HistoryBlock({{kGameDate, Gamespace::kEasy, 3, 0, 5, ""},
                                              {kGameDate, Gamespace::kMedium, 3, 0, 8, ""},
                                              {kGameDate, Gamespace::kHard, 3, 0, 10, ""}})}));

    // Another player: no bests yet, so no line.
    Click(Start()->GetCreateButton());
    Type("Bo");
    Key(SDLK_RETURN);
    ASSERT_EQ(Gamespace::PlayerList::Instance()->GetCurrent().name, "Bo");
    EXPECT_FALSE(Start()->GetBestsLabel()->IsShown());
    EXPECT_EQ(LabelText(Start()->GetBestsLabel()), "");
}

TEST_F(KeyboardPlay, AWrongPairByKeysTurnsBackAtTheThirdPressAndCostsAnAttempt) {
    CreatePlayer("Liv");
    Key(SDLK_SPACE);  // "Play" (a Hard deal, the new player's difficulty)
    Wait(3000);
    auto pairs = Pairs();
    FieldMgr* field = FieldMgr::Instance();
    TurnByKeys(pairs[0][0]);
    TurnByKeys(pairs[1][0]);
    EXPECT_EQ(field->GetTurnedCount(), 2);
    EXPECT_TRUE(pairs[1][0]->face->IsShown());
    TurnByKeys(pairs[0][1]);  // the third press: the wrong two turn back, this one up
    EXPECT_FALSE(pairs[1][0]->face->IsShown());
    EXPECT_FALSE(pairs[0][0]->face->IsShown());
    EXPECT_TRUE(pairs[0][1]->face->IsShown());
    TurnByKeys(pairs[0][0]);
    EXPECT_FALSE(pairs[0][0]->inPlay);
    for (uint16_t p = 1; p < pairs.size(); ++p) {
        TurnByKeys(pairs[p][0]);
        TurnByKeys(pairs[p][1]);
    }
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    EXPECT_NE(FinishText().find("Attempts:    11"), std::string::npos) << FinishText();
}

TEST_F(KeyboardPlay, EscapeInEveryDialogAndTabBetweenItsButtons) {
    // The first new-player dialog has no usable "Cancel": Escape asks to
    // exit instead, "No" comes back to it, and "Exit" stays usable by mouse.
    Wait(5);
    Key(SDLK_ESCAPE);
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Key(SDLK_ESCAPE);  // "No"
    EXPECT_FALSE(Shown(game->GetExitDialog()));
    ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()));
    EXPECT_FALSE(Start()->GetNewPlayerDialog()->GetCancelButton()->IsEnabled());
    Click(game->GetExitButton());
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Key(SDLK_ESCAPE);
    ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()));
    Type("Mia");
    Key(SDLK_RETURN);

    // Another player: the dialog again, the name taken, Escape on the error,
    // then Escape on the dialog (now "Cancel" is usable).
    Click(Start()->GetCreateButton());
    Gamespace::NewPlayerDialog* dialog = Start()->GetNewPlayerDialog();
    ASSERT_TRUE(Shown(dialog));
    Type("Mia");
    Key(SDLK_RETURN);
    ASSERT_TRUE(Shown(dialog->GetErrorDialog()));
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(Shown(dialog->GetErrorDialog()));
    ASSERT_TRUE(Shown(dialog));
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(Shown(dialog));
    EXPECT_EQ(Gamespace::PlayerList::Instance()->GetPlayers().size(), 1u);

    // The exit confirmation from the start screen: Tab, Tab, Shift+Tab, Escape.
    Gamespace::ExitDialog* exit = game->GetExitDialog();
    Key(SDLK_ESCAPE);
    ASSERT_TRUE(Shown(exit));
    Key(SDLK_TAB);
    EXPECT_EQ(exit->GetHighlighted(), exit->GetNoButton());
    Key(SDLK_TAB);
    EXPECT_EQ(exit->GetHighlighted(), exit->GetYesButton());
    TestSupport::PushKey(Window(), SDLK_LSHIFT, true);
    Key(SDLK_TAB);
    TestSupport::PushKey(Window(), SDLK_LSHIFT, false);
    EXPECT_EQ(exit->GetHighlighted(), exit->GetNoButton());
    Key(SDLK_ESCAPE);  // "No"
    EXPECT_FALSE(Shown(exit));
    EXPECT_FALSE(app->IsShutdown());

    // The game: Escape opens the menu and Escape resumes.
    Key(SDLK_RETURN);
    Wait(3000);
    Key(SDLK_ESCAPE);
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
    EXPECT_TRUE(Play()->IsPaused());
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(Shown(Play()->GetMenuDialog()));
    EXPECT_FALSE(Play()->IsPaused());

    // The difficulty dialog: Escape, and Enter on what it opens with, each
    // keep the difficulty and the deal.
    const auto* firstCard = FieldMgr::Instance()->GetCards().front().get();
    for (SDL_Keycode key : {SDLK_ESCAPE, SDLK_RETURN}) {
        Key(SDLK_TAB);
        Key(SDLK_TAB);
        Key(SDLK_RETURN);
        ASSERT_TRUE(Shown(Play()->GetLevelsDialog()));
        Key(key);
        EXPECT_FALSE(Shown(Play()->GetLevelsDialog()));
        EXPECT_EQ(Gamespace::PlayerList::Instance()->GetCurrent().difficulty, Gamespace::kHard);
        EXPECT_EQ(FieldMgr::Instance()->GetCards().front().get(), firstCard);
    }

    // The result: Escape is "Ok".
    for (const auto& [pair, two] : Pairs()) {
        for (FieldMgr::Card* card : two) {
            Click(card->cover);
        }
    }
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(Shown(Play()->GetFinishDialog()));
}

// The start screen by keys alone: Tab, Shift+Tab and the arrows walk every
// button and link in reading order, round the ends, and Enter presses the lit one.
TEST_F(KeyboardPlay, TheStartScreenIsWalkedByTabAndArrowsAndEnterPressesTheLitOne) {
    CreatePlayer("Ada");
    // "Play", the row of buttons under it, the invitation, "Exit", "Quorlin!", "More games".
    const int row = static_cast<int>(Start()->GetRowButtons().size());
    const int invitation = row + 1, exit = row + 2, site = row + 3, more = row + 4;
    struct Step {
        SDL_Keycode key;
        bool shift;
        int lit;
    };
    std::vector<Step> walk = {{SDLK_TAB, false, 0}};
    for (int i = 1; i <= row; ++i) {
        walk.push_back({i % 2 ? SDLK_TAB : SDLK_RIGHT, false, i});
    }
    for (Step step :
         {Step{SDLK_TAB, false, invitation}, Step{SDLK_DOWN, false, exit},
          Step{SDLK_RIGHT, false, site}, Step{SDLK_TAB, false, more}, Step{SDLK_TAB, false, 0},
          Step{SDLK_TAB, true, more}, Step{SDLK_UP, false, site}, Step{SDLK_LEFT, false, exit}}) {
        walk.push_back(step);
    }
    for (const auto& step : walk) {
        if (step.shift) {
            TestSupport::PushKey(Window(), SDLK_LSHIFT, true);
        }
        Key(step.key);
        if (step.shift) {
            TestSupport::PushKey(Window(), SDLK_LSHIFT, false);
        }
        EXPECT_EQ(game->GetStartHighlight(), step.lit) << "after key " << step.key;
    }
    // A lit link is marked: white, underlined.
    Key(SDLK_DOWN);
    EXPECT_EQ(game->GetStartHighlight(), site);
    const ControlLibrary::Rect link = game->GetLink(1)->GetScreenRect();
    const std::vector<uint32_t> lit = Screen("start-link-lit");
    const uint32_t under =
        lit[static_cast<size_t>((link.y + link.height + 2) * 1024 + link.x + link.width / 2)];
    EXPECT_EQ(under & 0xFFFFFFu, 0xF8D057u);  // the gold mark
    Key(SDLK_UP);                             // back to "Exit"
    Key(SDLK_RETURN);
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(Shown(game->GetExitDialog()));
    EXPECT_EQ(game->GetStartHighlight(), -1);
    // The invitation by keys opens the new-player dialog.
    for (int i = 0; i <= invitation; ++i) {
        Key(SDLK_TAB);
    }
    EXPECT_EQ(game->GetStartHighlight(), invitation);
    Key(SDLK_SPACE);
    ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()));
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(Shown(Start()->GetNewPlayerDialog()));
    // Nothing lit: Enter is "Play".
    Key(SDLK_RETURN);
    EXPECT_TRUE(Play()->IsActive());
}

// The player list by keys alone, through the event queue: two players made
// from a fresh start, then the first picked again from the list.
class PlayerListByKeys : public KeyboardPlay {
protected:
    // Tab to "if you not <name> click here" and press it.
    void OpenListByKeys() {
        const int invitation = 1 + static_cast<int>(Start()->GetRowButtons().size());
        for (int i = 0; i < 12 && game->GetStartHighlight() != invitation; ++i) {
            Key(SDLK_TAB);
        }
        ASSERT_EQ(game->GetStartHighlight(), invitation);
        Key(SDLK_RETURN);
        ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()));
    }
    std::string RowText(size_t row) const {
        auto* impl = static_cast<ControlLibrary::ButtonVO_impl*>(
            static_cast<ControlLibrary::ButtonVO_bridge*>(
                Start()->GetNewPlayerDialog()->GetRows()[row])
                ->GetImpl());
        return impl->GetText();
    }
};

TEST_F(PlayerListByKeys, AnnAndBenThenDownAndEnterMakeAnnCurrent) {
    CreatePlayer("Ann");
    OpenListByKeys();
    Type("Ben");
    Key(SDLK_RETURN);
    ASSERT_FALSE(Shown(Start()->GetNewPlayerDialog()));
    EXPECT_EQ(LabelText(Start()->GetNameLabel()), "Ben!");

    OpenListByKeys();  // "if you not Ben click here"
    Gamespace::NewPlayerDialog* dialog = Start()->GetNewPlayerDialog();
    EXPECT_EQ(dialog->GetListed(), (std::vector<std::string>{"Ann"}));
    EXPECT_EQ(dialog->GetLit(), -1);
    Key(SDLK_DOWN);
    EXPECT_EQ(dialog->GetLit(), 0);
    EXPECT_EQ(RowText(0), "Ann");
    Key(SDLK_RETURN);
    ASSERT_FALSE(Shown(dialog));
    EXPECT_EQ(Gamespace::PlayerList::Instance()->GetCurrent().name, "Ann");
    EXPECT_EQ(LabelText(Start()->GetNameLabel()), "Ann!");
    EXPECT_EQ(ReadBytes("save/Ann.usr").at(0), 1);
    EXPECT_EQ(ReadBytes("save/Ben.usr").at(0), 0);
}

// "Delete" asks first: "No" keeps the player, "Yes" removes them and their
// profile; the list is sorted without regard to case and scrolls.
TEST_F(PlayerListByKeys, DeleteAsksAndALongListScrolls) {
    CreatePlayer("Zed");
    for (const char* name : {"bob", "Ann", "cat", "Dan", "eve", "Fay"}) {
        OpenListByKeys();
        Type(name);
        Key(SDLK_RETURN);
    }
    OpenListByKeys();  // "Fay" is current: six others
    Gamespace::NewPlayerDialog* dialog = Start()->GetNewPlayerDialog();
    const std::vector<std::string> sorted = {"Ann", "bob", "cat", "Dan", "eve", "Zed"};
    EXPECT_EQ(dialog->GetListed(), sorted);
    EXPECT_FALSE(dialog->GetScrollButton(false)->IsEnabled());
    EXPECT_TRUE(dialog->GetScrollButton(true)->IsEnabled());
    EXPECT_FALSE(dialog->GetDeleteButton()->IsEnabled());  // nobody lit
    for (int i = 0; i < 6; ++i) {
        Key(SDLK_DOWN);
    }
    EXPECT_EQ(dialog->GetLit(), 5);
    EXPECT_EQ(dialog->GetTop(), 1u);  // scrolled to keep "Zed" in view
    EXPECT_EQ(RowText(4), "Zed");
    Key(SDLK_DOWN);  // the end: it stays
    EXPECT_EQ(dialog->GetLit(), 5);
    Click(dialog->GetScrollButton(false));
    EXPECT_EQ(dialog->GetTop(), 0u);
    EXPECT_EQ(RowText(0), "Ann");

    // Tab to "Delete": "Cancel", then "Delete".
    Key(SDLK_TAB);
    Key(SDLK_TAB);
    EXPECT_EQ(dialog->GetHighlighted(), dialog->GetDeleteButton());
    Key(SDLK_RETURN);
    Gamespace::DeleteDialog* ask = dialog->GetDeleteDialog();
    ASSERT_TRUE(Shown(ask));
    Key(SDLK_ESCAPE);  // "No"
    EXPECT_FALSE(Shown(ask));
    EXPECT_EQ(dialog->GetListed(), sorted);
    EXPECT_TRUE(fs::exists("save/Zed.usr"));

    // With the mouse: a click lights "bob", "Delete", "Yes".
    Click(dialog->GetRows()[1]);
    EXPECT_EQ(dialog->GetLit(), 1);
    ASSERT_TRUE(Shown(dialog));
    Click(dialog->GetDeleteButton());
    ASSERT_TRUE(Shown(ask));
    Click(ask->GetYesButton());
    EXPECT_FALSE(Shown(ask));
    ASSERT_TRUE(Shown(dialog));
    EXPECT_EQ(dialog->GetListed(), (std::vector<std::string>{"Ann", "cat", "Dan", "eve", "Zed"}));
    EXPECT_FALSE(fs::exists("save/bob.usr"));
    EXPECT_EQ(Gamespace::PlayerList::Instance()->Find("bob"), nullptr);
    // A click on the lit player picks them.
    Click(dialog->GetRows()[2]);
    Click(dialog->GetRows()[2]);
    EXPECT_FALSE(Shown(dialog));
    EXPECT_EQ(Gamespace::PlayerList::Instance()->GetCurrent().name, "Dan");
    // At exit nothing brings the deleted profile back.
    CloseWindow();
    Click(game->GetExitDialog()->GetYesButton());
    EXPECT_FALSE(fs::exists("save/bob.usr"));
}

// Tab into the field shows the ring at once; on a button the ring is hidden.
TEST_F(KeyboardPlay, TabIntoTheFieldShowsTheRingAtOnce) {
    CreatePlayer("Eli");
    Key(SDLK_RETURN);
    Wait(3000);
    EXPECT_FALSE(Play()->GetFocusRing()->IsShown());
    Key(SDLK_TAB);  // "Menu"
    EXPECT_FALSE(Play()->GetFocusRing()->IsShown());
    Key(SDLK_TAB);  // the difficulty
    Key(SDLK_TAB);  // the field
    EXPECT_TRUE(Play()->GetFocusRing()->IsShown());
    EXPECT_GE(Play()->GetFocusedCard(), 0);
}

// The mouse over the field hides the ring: mouse players never see it.
TEST_F(KeyboardPlay, TheRingAppearsWithAKeyAndHidesWhenTheMouseMovesOverTheField) {
    CreatePlayer("Ned");
    Key(SDLK_RETURN);
    Wait(3000);
    EXPECT_FALSE(Play()->GetFocusRing()->IsShown());
    Key(SDLK_DOWN);
    EXPECT_TRUE(Play()->GetFocusRing()->IsShown());
    const ControlLibrary::Rect r = FieldMgr::Instance()->GetCards()[3]->cover->GetScreenRect();
    TestSupport::PushMouseMove(Window(), r.x + 5, r.y + 5);
    Frames(6);
    EXPECT_FALSE(Play()->GetFocusRing()->IsShown());
    EXPECT_EQ(Play()->GetFocusedCard(), -1);
}

// "New best!" exactly when a game beats the best of its difficulty.
TEST_F(KeyboardPlay, NewBestOnlyWhenTheTimeOrTheAttemptsBeatTheBest) {
    CreatePlayer("Ova");
    EnterGame();
    ChooseDifficultyByKeys(Gamespace::kEasy);
    const struct {
        int waitMs;      // clock time spent before the pairs
        bool wrongPair;  // one wrong pair first (one attempt more)
        bool newBest;
        const char* shot;
    } games[] = {
        {2000, false, false, "keys-result-first"},   // the first: its own best, nothing beaten
        {0, true, true, "keys-result-new-best"},     // faster (more attempts): a new best
        {3000, true, false, "keys-result-no-best"},  // slower and more attempts
    };
    for (const auto& g : games) {
        SCOPED_TRACE(g.shot);
        Wait(g.waitMs);
        auto pairs = Pairs();
        if (g.wrongPair) {
            // A wrong pair, then the third press turns it back and starts pair 0 again.
            Click(pairs[0][0]->cover);
            Click(pairs[1][0]->cover);
            Click(pairs[0][1]->cover);
            Click(pairs[0][0]->cover);
            pairs.erase(0);
        }
        for (const auto& [pair, two] : pairs) {
            for (FieldMgr::Card* card : two) {
                Click(card->cover);
            }
        }
        ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
        EXPECT_EQ(FinishText().find("New best!") != std::string::npos, g.newBest) << FinishText();
        Shot(g.shot);
        Key(SDLK_RETURN);
        Wait(3000);
    }
    const auto& best = Gamespace::PlayerList::Instance()->GetCurrent().bests[Gamespace::kEasy];
    EXPECT_EQ(best, (Gamespace::PersonalBest{3, 0, 5}));
}

// A gamepad alone, through SDL's game-controller events from a virtual pad:
// every dialog walked and left, a whole Easy game played, a pad unplugged and
// another plugged in, and the exit asked and confirmed. (The first name is
// typed: a pad cannot type.)
TEST_F(KeyboardPlay, AVirtualGamepadPlaysAWholeEasyGameAndWalksEveryDialog) {
    using Dlg = Gamespace::OptionsDlg;
    CreatePlayer("Pat");
    auto pad = std::make_unique<TestSupport::VirtualPad>();
    ASSERT_TRUE(pad->IsPlugged());
    m_pad = pad.get();
    Frames(2);
    EXPECT_EQ(AppStateAccess::Pump(*app)->CountGamepads(), 1);

    // The start screen: the D-pad walks, A presses, B leaves a dialog.
    // "Play", the row under it, the invitation.
    const auto row = Start()->GetRowButtons();
    const int invitation = static_cast<int>(row.size()) + 1;
    for (int i = 0; i <= invitation; ++i) {
        Arrow(2);
    }
    ASSERT_EQ(game->GetStartHighlight(), invitation);
    Pad(SDL_CONTROLLER_BUTTON_A);
    ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()));
    Pad(SDL_CONTROLLER_BUTTON_B);
    ASSERT_FALSE(Shown(Start()->GetNewPlayerDialog()));
    const auto optionsButton = std::find(
        row.begin(), row.end(), Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Options));
    const int optionsAt = 1 + static_cast<int>(optionsButton - row.begin());
    for (int i = 0; i < 12 && game->GetStartHighlight() != optionsAt; ++i) {
        Arrow(2);  // round the start screen to "Options"
    }
    ASSERT_EQ(game->GetStartHighlight(), optionsAt);
    Pad(SDL_CONTROLLER_BUTTON_A);
    Dlg* options = game->GetOptionsDialog();
    ASSERT_TRUE(Shown(options));
    // Down the usable buttons ("+" is not, at full volume) to the preview.
    for (int i = 0; i < 11 && options->GetHighlighted() != options->GetToggle(Dlg::kPreview); ++i) {
        Arrow(3);
    }
    ASSERT_EQ(options->GetHighlighted(), options->GetToggle(Dlg::kPreview));
    Pad(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(Gamespace::PlayerList::Instance()->GetCurrent().comfort.previewSeconds, 5);
    Pad(SDL_CONTROLLER_BUTTON_B);
    ASSERT_FALSE(Shown(options));
    EXPECT_EQ(ReadBytes("save/Pat.usr").size(),
              Gamespace::kProfileBytes + Gamespace::kBestBlockBytes + 9 + 3);  // saved on closing

    // Start plays; the shoulders reach the difficulty.
    Pad(SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(Play()->IsActive());
    Wait(5000);
    Pad(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    Pad(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    Pad(SDL_CONTROLLER_BUTTON_A);
    ASSERT_TRUE(Shown(Play()->GetLevelsDialog()));
    Arrow(1);
    Arrow(1);
    Pad(SDL_CONTROLLER_BUTTON_A);
    ASSERT_FALSE(Shown(Play()->GetLevelsDialog()));
    EXPECT_EQ(Gamespace::PlayerList::Instance()->GetCurrent().difficulty, Gamespace::kEasy);
    ASSERT_EQ(FieldMgr::Instance()->GetCards().size(), 10u);
    Wait(5000);

    // Start opens the menu and closes it again; its "Options" and back.
    Pad(SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
    Pad(SDL_CONTROLLER_BUTTON_START);
    ASSERT_FALSE(Shown(Play()->GetMenuDialog()));
    Pad(SDL_CONTROLLER_BUTTON_START);
    Arrow(1);  // from none lit, up is the last: "Options"
    Pad(SDL_CONTROLLER_BUTTON_A);
    ASSERT_TRUE(Shown(options));
    Pad(SDL_CONTROLLER_BUTTON_B);
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
    Pad(SDL_CONTROLLER_BUTTON_B);
    ASSERT_FALSE(Shown(Play()->GetMenuDialog()));
    EXPECT_FALSE(Play()->IsPaused());

    // Unplugged mid-game; another pad plays on.
    pad.reset();
    m_pad = nullptr;
    Frames(2);
    EXPECT_EQ(AppStateAccess::Pump(*app)->CountGamepads(), 0);
    pad = std::make_unique<TestSupport::VirtualPad>();
    m_pad = pad.get();
    Frames(2);
    EXPECT_EQ(AppStateAccess::Pump(*app)->CountGamepads(), 1);
    PlayAllPairsByKeys();
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    EXPECT_NE(FinishText().find("Preview bests kept apart"), std::string::npos);
    const Gamespace::Player& pat = Gamespace::PlayerList::Instance()->GetCurrent();
    EXPECT_EQ(pat.bests[Gamespace::kEasy].games, 0u);  // the usual bests stay fair
    EXPECT_EQ(pat.BestsFor({"", 5})[Gamespace::kEasy].games, 1u);
    Pad(SDL_CONTROLLER_BUTTON_A);
    ASSERT_FALSE(Shown(Play()->GetFinishDialog()));

    // Back asks to exit: B says "No", A on "Yes" ends the game.
    Pad(SDL_CONTROLLER_BUTTON_BACK);
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Pad(SDL_CONTROLLER_BUTTON_B);
    ASSERT_FALSE(Shown(game->GetExitDialog()));
    Pad(SDL_CONTROLLER_BUTTON_BACK);
    Arrow(2);
    Arrow(2);  // "No", "Yes"
    Pad(SDL_CONTROLLER_BUTTON_A);
    EXPECT_TRUE(app->IsShutdown());
}

}  // namespace
