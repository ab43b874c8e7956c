// The card field: layouts, dealing with a seeded generator, turning, counting
// attempts and completion.

#include "game/GameFixture.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "game/Dialogs.h"

using Gamespace::CardLayouts;
using Gamespace::FieldMgr;
using Gamespace::PlayerList;
using TestSupport::GameTest;

namespace {

class RecordingObserver : public Gamespace::FieldMgrObserver {
public:
    void OnMemorizeFinished() override { ++memorized; }
    void OnFieldCleared(uint16_t attempts) override { cleared.push_back(attempts); }
    int memorized = 0;
    std::vector<uint16_t> cleared;
};

class FieldTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        CardLayouts::Build();
        field = FieldMgr::Instance();
        field->Init(&observer);
    }
    void Deal(uint16_t difficulty, unsigned seed) {
        PlayerList::Instance()->GetCurrent().difficulty = difficulty;
        field->SeedDeals(seed);
        field->BuildField();
    }
    // The two cards of every pair, by pair number.
    std::map<uint16_t, std::vector<FieldMgr::Card*>> Pairs() {
        std::map<uint16_t, std::vector<FieldMgr::Card*>> pairs;
        for (const auto& card : field->GetCards()) {
            pairs[card->pair].push_back(card.get());
        }
        return pairs;
    }
    // A press, then every animation it started at its end, as the next press
    // would bring it: these tests read the field at rest.
    void Click(ControlLibrary::IVisibleObject* object) {
        GameTest::Click(object);
        field->FinishMotion();
    }
    // The count-down over: the cards face down and playable.
    void Memorize() {
        field->ShowAllFaces(true);
        Advance(3000);
    }

    FieldMgr* field = nullptr;
    RecordingObserver observer;
};

struct DealCase {
    uint16_t difficulty;
    size_t cards;
};

class DealTest : public FieldTest, public ::testing::WithParamInterface<DealCase> {};

TEST_P(DealTest, EveryPlaceOnceAndDistinctPicturesTwiceEach) {
    for (unsigned seed : {1u, 2u, 77u}) {
        Deal(GetParam().difficulty, seed);
        const auto& cards = field->GetCards();
        ASSERT_EQ(cards.size(), GetParam().cards);

        std::multiset<std::pair<int, int>> places;
        std::map<std::string, int> pictures;
        for (const auto& card : cards) {
            const auto p = card->cover->GetPosition();
            EXPECT_EQ(card->face->GetPosition(), p);
            places.insert({p.x, p.y});
            std::string path;
            card->face->GetImagePath(path);
            ++pictures[path];
            EXPECT_FALSE(card->cover->IsShown());
            EXPECT_FALSE(card->face->IsShown());
        }
        EXPECT_EQ(pictures.size(), GetParam().cards / 2);
        for (const auto& [path, count] : pictures) {
            EXPECT_EQ(count, 2) << path;
            EXPECT_EQ(path.rfind("images/vis_pairs/", 0), 0u) << path;
        }
        // The places are exactly one of the difficulty's layouts.
        bool matchesALayout = false;
        for (const auto& layout : CardLayouts::ForDifficulty(GetParam().difficulty)) {
            std::multiset<std::pair<int, int>> expected;
            for (const auto& point : layout) {
                expected.insert({point.x, point.y});
            }
            matchesALayout = matchesALayout || expected == places;
        }
        EXPECT_TRUE(matchesALayout) << "seed " << seed;
        for (const auto& [pair, two] : Pairs()) {
            ASSERT_EQ(two.size(), 2u) << pair;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Difficulties, DealTest,
                         ::testing::Values(DealCase{0, 10}, DealCase{1, 16}, DealCase{2, 20},
                                           DealCase{7, 20}));

TEST_F(FieldTest, TheSameSeedDealsTheSameField) {
    auto snapshot = [&] {
        std::vector<std::string> cards;
        for (const auto& card : field->GetCards()) {
            std::string path;
            card->face->GetImagePath(path);
            const auto p = card->cover->GetPosition();
            cards.push_back(path + "@" + std::to_string(p.x) + "," + std::to_string(p.y));
        }
        return cards;
    };
    Deal(2, 42);
    const auto first = snapshot();
    Deal(2, 42);
    EXPECT_EQ(snapshot(), first);
    Deal(2, 43);
    EXPECT_NE(snapshot(), first);
}

TEST_F(FieldTest, TheLayoutTableHoldsTheHandMadeArrangements) {
    struct Case {
        uint16_t difficulty;
        size_t layouts;
        size_t points;
    };
    for (const Case c : {Case{0, 4, 10}, Case{1, 3, 16}, Case{2, 4, 20}}) {
        const auto& layouts = CardLayouts::ForDifficulty(c.difficulty);
        ASSERT_EQ(layouts.size(), c.layouts);
        for (const auto& layout : layouts) {
            EXPECT_EQ(layout.size(), c.points);
            std::set<std::pair<int, int>> distinct;
            for (const auto& p : layout) {
                distinct.insert({p.x, p.y});
            }
            EXPECT_EQ(distinct.size(), c.points);
        }
    }
    EXPECT_EQ(CardLayouts::ForDifficulty(0)[2][1].x, 412);
    EXPECT_EQ(CardLayouts::ForDifficulty(2)[3][19].y, 700);
    EXPECT_EQ(Gamespace::PicturePath(9), "images/vis_pairs/10.png");
    EXPECT_EQ(Gamespace::PicturePath(10), "images/vis_pairs/01.png");
}

TEST_F(FieldTest, TheFieldListensForOptionsOnce) {
    EXPECT_EQ(Gamespace::GetOptionObservers(), (std::vector<Gamespace::IOptionObserver*>{field}));
    Gamespace::RegisterOptionObserver(field);
    EXPECT_EQ(Gamespace::GetOptionObservers().size(), 1u);
}

TEST_F(FieldTest, PerfectGamesCountOneAttemptAPairAndCompleteOnce) {
    for (const auto& [difficulty, attempts] : {std::pair{0, 5}, std::pair{2, 10}}) {
        Deal(static_cast<uint16_t>(difficulty), 5);
        Memorize();
        ASSERT_EQ(observer.memorized, difficulty == 0 ? 1 : 2);
        for (const auto& [pair, two] : Pairs()) {
            for (FieldMgr::Card* card : two) {
                Click(card->cover);
            }
        }
        EXPECT_EQ(observer.cleared.back(), attempts);
        EXPECT_EQ(field->GetTurnedCount(), 2 * attempts);
    }
    EXPECT_EQ(observer.cleared.size(), 2u);
}

TEST_F(FieldTest, AWrongPairTurnsBackOnTheThirdPress) {
    Deal(0, 11);
    Memorize();
    auto pairs = Pairs();
    FieldMgr::Card* a = pairs[0][0];
    FieldMgr::Card* b = pairs[1][0];
    FieldMgr::Card* c = pairs[2][0];
    Click(a->cover);
    Click(b->cover);
    EXPECT_TRUE(a->face->IsShown());
    EXPECT_TRUE(b->face->IsShown());  // a wrong pair stays up until the next press
    Click(c->cover);
    EXPECT_FALSE(a->face->IsShown());
    EXPECT_TRUE(a->cover->IsShown());
    EXPECT_FALSE(b->face->IsShown());
    EXPECT_TRUE(c->face->IsShown());
    EXPECT_EQ(field->GetSelectedCount(), 1);
    EXPECT_EQ(field->GetTurnedCount(), 3);

    // After a found pair the next press starts a new attempt, turning nothing back.
    Click(pairs[2][1]->cover);
    EXPECT_FALSE(pairs[2][1]->inPlay);
    Click(a->cover);
    EXPECT_TRUE(c->face->IsShown());
    EXPECT_TRUE(pairs[2][1]->face->IsShown());
    EXPECT_EQ(field->GetSelectedCount(), 1);
    EXPECT_TRUE(observer.cleared.empty());
}

TEST_F(FieldTest, NoCardTurnsDuringTheCountDownAndShowingFalseHidesAll) {
    Deal(0, 3);
    field->ShowAllFaces(true);
    for (const auto& card : field->GetCards()) {
        EXPECT_TRUE(card->face->IsShown());
        EXPECT_FALSE(card->cover->IsShown());
    }
    Advance(2000);
    EXPECT_EQ(observer.memorized, 0);
    Advance(1000);
    EXPECT_EQ(observer.memorized, 1);
    for (const auto& card : field->GetCards()) {
        EXPECT_TRUE(card->cover->IsShown());
        EXPECT_TRUE(card->cover->IsEnabled());  // the count-down's modal state ended
    }
    Click(field->GetCards()[0]->cover);
    field->ShowAllFaces(false);
    for (const auto& card : field->GetCards()) {
        EXPECT_FALSE(card->cover->IsShown());
        EXPECT_FALSE(card->face->IsShown());
    }
}

}  // namespace
