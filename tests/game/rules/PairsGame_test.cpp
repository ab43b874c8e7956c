// The pairs rules on their own: no SDL, controls or time system is linked.
// The deal's generator and bounded draw, deals, and turns as a table of
// presses and outcomes, whole games from a seed, and players taking turns.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

#include "game/rules/DealRandom.h"
#include "game/rules/PairsGame.h"

namespace {

using Gamespace::Rules::DealRandom;
using Gamespace::Rules::MakeDeal;
using Gamespace::Rules::PairsGame;
using Gamespace::Rules::TurnResult;

// The sequence a seed gives is part of the rules: demos replay deals from
// their seed on any machine. These values come from the generator's
// definition worked out apart from this code (PCG-XSH-RR, 64-bit LCG
// 6364136223846793005 / 1442695040888963407, seeded as the reference does).
TEST(DealRandom, ASeedGivesTheSameSequenceEverywhere) {
    DealRandom random(42);
    const std::vector<uint32_t> expected = {3270867926u, 1795671209u, 1924641435u, 1143034755u,
                                            4121910957u};
    for (uint32_t value : expected) {
        EXPECT_EQ(random.Next(), value);
    }
    random.Seed(0);
    EXPECT_EQ(random.Next(), 3894649422u);
    random.Seed(42);
    EXPECT_EQ(random.Next(), expected[0]);  // seeding again starts again
}

TEST(DealRandom, DrawsKeepToTheirRangeAndReachAllOfIt) {
    DealRandom random(9);
    EXPECT_EQ(random.RandomInRange(5, 3), 0);
    EXPECT_EQ(random.RandomInRange(4, 4), 4);
    EXPECT_EQ(random.Below(0), 0u);
    const struct {
        int32_t lo, hi;
    } ranges[] = {{-2, 3}, {0, 10}, {0, 1}, {-2147483647 - 1, 2147483647}};
    for (const auto& r : ranges) {
        std::set<int32_t> seen;
        for (int i = 0; i < 400; ++i) {
            const int32_t v = random.RandomInRange(r.lo, r.hi);
            ASSERT_GE(v, r.lo);
            ASSERT_LT(v, r.hi);
            seen.insert(v);
        }
        const int64_t span = int64_t{r.hi} - r.lo;
        EXPECT_EQ(static_cast<int64_t>(seen.size()), std::min<int64_t>(span, 400))
            << r.lo << ".." << r.hi;
    }
    EXPECT_EQ(random.RandomUnused(0, 3, {0, 2}), 1);
}

struct DealCase {
    size_t layouts;
    size_t cards;
};

class DealTest : public ::testing::TestWithParam<DealCase> {};

// Every point of the layout once, distinct faces for the pairs, and the same
// deal from the same seed.
TEST_P(DealTest, EveryPlaceOnceDistinctFacesAndTheSameDealForTheSameSeed) {
    const DealCase c = GetParam();
    std::set<std::vector<size_t>> orders;
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        DealRandom random(seed);
        const auto deal = MakeDeal(random, c.layouts, c.cards, 10);
        EXPECT_LT(deal.layout, c.layouts);
        std::vector<size_t> sorted = deal.places;
        std::sort(sorted.begin(), sorted.end());
        std::vector<size_t> all(c.cards);
        std::iota(all.begin(), all.end(), size_t{0});
        EXPECT_EQ(sorted, all);
        ASSERT_EQ(deal.faces.size(), c.cards / 2);
        EXPECT_EQ(std::set<size_t>(deal.faces.begin(), deal.faces.end()).size(), c.cards / 2);
        EXPECT_LT(*std::max_element(deal.faces.begin(), deal.faces.end()), 10u);
        DealRandom again(seed);
        const auto same = MakeDeal(again, c.layouts, c.cards, 10);
        EXPECT_EQ(same.layout, deal.layout);
        EXPECT_EQ(same.places, deal.places);
        EXPECT_EQ(same.faces, deal.faces);
        orders.insert(deal.places);
    }
    EXPECT_GT(orders.size(), 15u);  // seeds deal differently
}

INSTANTIATE_TEST_SUITE_P(Difficulties, DealTest,
                         ::testing::Values(DealCase{4, 10}, DealCase{3, 16}, DealCase{4, 20}));

// Presses on a six-card field (pairs: cards 0-1, 2-3, 4-5) and what each does.
TEST(PairsGame, PressesAndTheirOutcomes) {
    PairsGame game(6);
    const struct {
        size_t card;
        TurnResult result;
        bool turnsBack;  // an unequal pair goes face down first
        uint16_t turned;
        bool finished;
    } presses[] = {
        {0, TurnResult::First, false, 1, false},
        {0, TurnResult::Ignored, false, 1, false},  // face up already
        {2, TurnResult::Unequal, false, 2, false},
        {2, TurnResult::Ignored, false, 2, false},  // one of the two open cards
        {1, TurnResult::First, true, 3, false},     // the wrong two go down, this one up
        {0, TurnResult::PairFound, false, 4, false},
        {1, TurnResult::Ignored, false, 4, false},  // found cards are out of play
        {3, TurnResult::First, false, 5, false},    // after a pair nothing turns back
        {2, TurnResult::PairFound, false, 6, false},
        {5, TurnResult::First, false, 7, false},
        {4, TurnResult::PairFound, false, 8, true},
        {9, TurnResult::Ignored, false, 8, true},  // no such card
    };
    for (size_t i = 0; i < std::size(presses); ++i) {
        const auto& p = presses[i];
        const auto outcome = game.Turn(p.card);
        EXPECT_EQ(outcome.result, p.result) << "press " << i;
        EXPECT_EQ(outcome.turnedBack.has_value(), p.turnsBack) << "press " << i;
        EXPECT_EQ(game.TurnedCount(), p.turned) << "press " << i;
        EXPECT_EQ(game.Finished(), p.finished) << "press " << i;
        if (p.turnsBack) {
            EXPECT_EQ(*outcome.turnedBack, std::make_pair(size_t{0}, size_t{2}));
            EXPECT_FALSE(game.Cards()[0].faceUp);
            EXPECT_FALSE(game.Cards()[2].faceUp);
        }
    }
    EXPECT_EQ(game.Attempts(), 4);
}

// A whole game from a seed: each pair found at once costs one attempt, and
// only the last pair finishes the field.
TEST(PairsGame, APerfectGameFromASeedCostsOneAttemptAPair) {
    for (size_t cards : {10u, 16u, 20u}) {
        DealRandom random(20261211);
        const auto deal = MakeDeal(random, 4, cards, 10);
        PairsGame game(cards);
        int finishes = 0;
        // Turn the cards in the order of their places on the layout, as a
        // player who remembers every picture would pair them.
        for (size_t pair = 0; pair < cards / 2; ++pair) {
            EXPECT_EQ(game.Turn(2 * pair + 1).result, TurnResult::First);
            const auto outcome = game.Turn(2 * pair);
            EXPECT_EQ(outcome.result, TurnResult::PairFound);
            finishes += outcome.finished ? 1 : 0;
        }
        EXPECT_TRUE(game.Finished());
        EXPECT_EQ(finishes, 1);
        EXPECT_EQ(game.Attempts(), cards / 2);
        EXPECT_EQ(deal.places.size(), cards);
    }
}

// Players take turns: an unequal pair passes the turn on, a found pair keeps
// it, and each player's pairs are counted.
TEST(PairsGame, AnUnequalPairPassesTheTurnAndAFoundOneKeepsIt) {
    PairsGame game(6, 2);
    EXPECT_EQ(game.CurrentPlayer(), 0u);
    game.Turn(0);
    game.Turn(1);  // found
    EXPECT_EQ(game.CurrentPlayer(), 0u);
    game.Turn(2);
    game.Turn(4);  // unequal
    EXPECT_EQ(game.CurrentPlayer(), 1u);
    game.Turn(3);  // the wrong two go down
    game.Turn(2);  // found
    game.Turn(4);
    game.Turn(5);  // found: the field is cleared
    EXPECT_TRUE(game.Finished());
    EXPECT_EQ(game.PairsFound(), (std::vector<uint16_t>{1, 2}));
    EXPECT_EQ(PairsGame(4).PairsFound(), (std::vector<uint16_t>{0}));  // one player by default
}

}  // namespace
