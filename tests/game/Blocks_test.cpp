// Tagged blocks after a profile's bests and the options' six bytes: what a
// version does not know is carried byte for byte, what is damaged is dropped
// alone, and a file changes only once a block has something to keep.

#include <gtest/gtest.h>

#include "support/ProfileBytes.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/Blocks.h"
#include "game/Profiles.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Gamespace::BlockCodec;
using Gamespace::Player;
using TestSupport::Block;
using TestSupport::Joined;
using TestSupport::SavedProfile;
namespace fs = std::filesystem;

using TestSupport::ReadBytes;
using TestSupport::WriteBytes;

struct ParseCase {
    const char* what;
    Bytes bytes;
    size_t whole;  // blocks read before the first damage
};

const ParseCase kParseCases[] = {
    {"Nothing", {}, 0},
    {"OneEmptyBlock", Block("ABCD", 1, {}), 1},
    {"TwoBlocks", Joined({Block("ABCD", 1, {1, 2}), Block("Wxyz", 7, {3})}), 2},
    {"LengthPastTheEnd",
     Joined({Block("ABCD", 1, {1}), Bytes{'E', 'F', 'G', 'H', 1, 0, 0, 0, 9, 1}}), 1},
    {"HeaderCutShort", Joined({Block("ABCD", 1, {1}), Bytes{'E', 'F', 'G'}}), 1},
    {"TagNotLetters", Joined({Block("ABCD", 1, {}), Block("AB\x01\x02", 1, {})}), 1},
    {"LengthBeyondAnyBlock", Bytes{'A', 'B', 'C', 'D', 1, 0x7F, 0xFF, 0xFF, 0xFF}, 0},
    {"GarbageFirst", Joined({Bytes{0xAB}, Block("ABCD", 1, {})}), 0},
};

TEST(BlocksTest, ParsingKeepsTheWholeBlocksBeforeTheFirstDamage) {
    for (const ParseCase& c : kParseCases) {
        SCOPED_TRACE(c.what);
        const auto blocks = Gamespace::ParseBlocks(c.bytes);
        ASSERT_EQ(blocks.size(), c.whole);
        Bytes again;
        for (const auto& block : blocks) {
            Gamespace::AppendBlock(again, block);
        }
        // What was read writes back as the same bytes.
        EXPECT_TRUE(std::equal(again.begin(), again.end(), c.bytes.begin()));
    }
}

TEST(BlocksTest, ReadersFailPastTheEndAndReadNothingThere) {
    Gamespace::BlockWriter writer;
    writer.U8(1).U16(0x0203).U32(0x04050607).U64(0x08090A0B0C0D0E0FULL).Text("Ann");
    const Bytes bytes = writer.Take();
    ASSERT_EQ(bytes.size(), 1u + 2 + 4 + 8 + 1 + 3);
    Gamespace::BlockReader reader(bytes);
    EXPECT_EQ(reader.U8(), 1);
    EXPECT_EQ(reader.U16(), 0x0203);
    EXPECT_EQ(reader.U32(), 0x04050607u);
    EXPECT_EQ(reader.U64(), 0x08090A0B0C0D0E0FULL);
    EXPECT_EQ(reader.Text(), "Ann");
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.U16(), 0);
    EXPECT_FALSE(reader.Ok());

    const Bytes cutText = {5, 'A', 'n'};  // says five, holds two
    Gamespace::BlockReader cut(cutText);
    EXPECT_EQ(cut.Text(), "");
    EXPECT_FALSE(cut.Ok());
}

// A block kind of a test's own, to show how known blocks are read and written.
struct Counter {
    uint32_t count = 0;
};
const BlockCodec<Counter> kCounterCodecs[] = {
    {"CNTR", 2,
     [](const Counter& c) -> std::optional<Bytes> {
         if (c.count == 0) {
             return std::nullopt;
         }
         Gamespace::BlockWriter w;
         w.U32(c.count);
         return w.Take();
     },
     [](Counter& c, std::span<const uint8_t> bytes) {
         Gamespace::BlockReader r(bytes);
         const uint32_t count = r.U32();
         if (!r.AtEnd() || count == 0) {
             return false;
         }
         c.count = count;
         return true;
     }},
};

TEST(BlocksTest, KnownBlocksAreReadOthersCarriedAndDamagedOnesDropped) {
    const Bytes newer = Block("CNTR", 3, {9, 9});  // a version this one does not know
    const Bytes foreign = Block("ZZZZ", 1, {1, 2, 3});
    struct Case {
        const char* what;
        Bytes file;
        uint32_t count;
        Bytes written;  // for that count and the carried blocks
    } cases[] = {
        {"Known", Joined({Block("CNTR", 2, {0, 0, 0, 5}), foreign}), 5,
         Joined({Block("CNTR", 2, {0, 0, 0, 5}), foreign})},
        {"KnownAfterOthers", Joined({foreign, newer, Block("CNTR", 2, {0, 0, 1, 0})}), 256,
         Joined({Block("CNTR", 2, {0, 0, 1, 0}), foreign, newer})},
        {"KnownButDamaged", Joined({Block("CNTR", 2, {0, 0, 5}), foreign}), 0, foreign},
        {"KnownButImpossible", Joined({Block("CNTR", 2, {0, 0, 0, 0}), foreign}), 0, foreign},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Counter counter;
        const auto others = Gamespace::ReadBlocksInto<Counter>(counter, c.file, kCounterCodecs);
        EXPECT_EQ(counter.count, c.count);
        Bytes out;
        Gamespace::AppendBlocksOf<Counter>(out, counter, kCounterCodecs, others);
        EXPECT_EQ(out, c.written);
    }
}

class ProfileBlocksTest : public TestSupport::TempDirTest {
protected:
    void TearDown() override {
        Gamespace::PlayerList::Destroy();
        Gamespace::GetOptionValues() = {};
        TempDirTest::TearDown();
    }
};

// A newer version's blocks survive this one changing the player; bytes
// after them that are no whole block are kept as they are, unread.
TEST_F(ProfileBlocksTest, AProfileCarriesNewerBlocksAndWhatFollowsThem) {
    const Bytes newer = Joined({Block("Zzz1", 1, {7}), Block("Zzz2", 4, Bytes(300, 0x5A))});
    const Bytes cut = {'Z', 'z', 'z', '3', 1, 0, 0, 1, 0, 1};  // says 256 bytes, holds one
    WriteBytes("save/Ann.usr",
               Joined({SavedProfile(1, "Ann", 0, {{{2, 50, 8}, {}, {}}}), newer, cut}));
    Gamespace::PlayerList::Instance()->LoadAll();
    auto& players = Gamespace::PlayerList::Instance()->GetPlayers();
    ASSERT_EQ(players.size(), 1u);
    Player& ann = *players[0];
    EXPECT_EQ(ann.bests[0], (Gamespace::PersonalBest{2, 50, 8}));
    EXPECT_EQ(ann.otherBlocks.size(), 2u);

    ann.difficulty = 2;
    ASSERT_TRUE(Gamespace::PlayerList::Instance()->SaveAll());
    EXPECT_EQ(ReadBytes("save/Ann.usr"),
              Joined({SavedProfile(1, "Ann", 2, {{{2, 50, 8}, {}, {}}}), newer, cut}));
}

TEST_F(ProfileBlocksTest, ABareProfileStaysBareUntilABlockHasSomethingToKeep) {
    const Bytes bare = SavedProfile(1, "Bo", 1);
    WriteBytes("save/Bo.usr", bare);
    const auto before = fs::last_write_time("save/Bo.usr");
    Gamespace::PlayerList::Instance()->LoadAll();
    ASSERT_TRUE(Gamespace::PlayerList::Instance()->SaveAll());
    EXPECT_EQ(ReadBytes("save/Bo.usr"), bare);
    EXPECT_EQ(fs::last_write_time("save/Bo.usr"), before);
}

TEST_F(ProfileBlocksTest, OptionsKeepTheirSixBytesAndCarryNewerBlocks) {
    const Bytes six = {0, 1, 0, 2, 0, 3};
    const Bytes newer = Block("OPTx", 1, {4, 5});
    WriteBytes("./options.opt", Joined({six, newer, Bytes{'O', 'P'}}));
    Gamespace::LoadOptions();
    EXPECT_EQ(Gamespace::GetOptionValues().values, (std::array<uint16_t, 3>{1, 2, 3}));
    Gamespace::GetOptionValues().values[0] = 9;
    ASSERT_TRUE(Gamespace::SaveOptions());
    EXPECT_EQ(ReadBytes("options.opt"), Joined({Bytes{0, 9, 0, 2, 0, 3}, newer}));
}

// Bests apart by card set and preview: the usual key stays in the bests block
// every version reads; the others go to a block of their own.
TEST_F(ProfileBlocksTest, BestsOfOtherSetsAndPreviewsAreKeptApart) {
    Player cy(true, "Cy", 0);
    const Gamespace::BestsKey usual;
    const Gamespace::BestsKey longPreview{"", 10};
    const Gamespace::BestsKey shapes{"Shapes", 3};
    Gamespace::RecordFinishedGame(cy, usual, Gamespace::kEasy, 40, 9);
    Gamespace::RecordFinishedGame(cy, longPreview, Gamespace::kEasy, 20, 6);
    Gamespace::RecordFinishedGame(cy, shapes, Gamespace::kHard, 90, 30);
    const auto change = Gamespace::RecordFinishedGame(cy, shapes, Gamespace::kHard, 80, 31);
    EXPECT_TRUE(change.time);
    EXPECT_FALSE(change.attempts);
    EXPECT_EQ(cy.bests[0], (Gamespace::PersonalBest{1, 40, 9}));  // untouched by the others
    EXPECT_EQ(cy.BestsFor(longPreview)[0], (Gamespace::PersonalBest{1, 20, 6}));
    EXPECT_EQ(cy.BestsFor({"Flags", 3})[2], Gamespace::PersonalBest{});

    ASSERT_TRUE(Gamespace::Save(cy));
    const Bytes expected =
        Joined({SavedProfile(1, "Cy", 0, {{{1, 40, 9}, {}, {}}}),
                Block("BSTK", 1,
                      Joined({{0, 2},  // two keys, in order: the built-in set first
                              {0, 10},
                              {0, 0, 0, 1, 0, 0, 0, 20, 0, 6},
                              Bytes(20, 0),
                              {6, 'S', 'h', 'a', 'p', 'e', 's', 3},
                              Bytes(20, 0),
                              {0, 0, 0, 2, 0, 0, 0, 80, 0, 30}}))});
    EXPECT_EQ(ReadBytes("save/Cy.usr"), expected);
    Player back;
    ASSERT_TRUE(Gamespace::Load(back, "save/Cy.usr"));
    EXPECT_EQ(back.otherBests, cy.otherBests);

    // A damaged keyed block costs those bests alone.
    Bytes damaged = expected;
    damaged[SavedProfile(1, "Cy", 0).size() + 9 + 1] = 3;  // says three keys, holds two
    WriteBytes("save/Cy.usr", damaged);
    ASSERT_TRUE(Gamespace::Load(back, "save/Cy.usr"));
    EXPECT_EQ(back.bests, cy.bests);
    EXPECT_TRUE(back.otherBests.empty());
}

// The card set a player chose is a block of its own, written only once it is
// not the first built-in set; a damaged one costs the choice alone.
TEST_F(ProfileBlocksTest, TheChosenCardSetIsABlockOfItsOwn) {
    Player dee(true, "Dee", 1);
    ASSERT_TRUE(Gamespace::Save(dee));
    EXPECT_EQ(ReadBytes("save/Dee.usr"), SavedProfile(1, "Dee", 1));
    dee.cardSet = "Shapes";
    ASSERT_TRUE(Gamespace::Save(dee));
    const Bytes card = Block("CARD", 1, {6, 'S', 'h', 'a', 'p', 'e', 's'});
    EXPECT_EQ(ReadBytes("save/Dee.usr"), Joined({SavedProfile(1, "Dee", 1), card}));

    const Bytes keyed = Block("BSTK", 1,
                              Joined({{0, 1, 6, 'S', 'h', 'a', 'p', 'e', 's', 3},
                                      Bytes(20, 0),
                                      {0, 0, 0, 1, 0, 0, 0, 80, 0, 30}}));
    const struct {
        const char* what;
        Bytes file;
        std::string cardSet;
    } cases[] = {
        {"an older profile: the first set", SavedProfile(1, "Dee", 1), ""},
        {"the chosen set", Joined({SavedProfile(1, "Dee", 1), card, keyed}), "Shapes"},
        {"an own set",
         Joined({SavedProfile(1, "Dee", 1), Block("CARD", 1, {5, 'o', 'w', 'n', ':', 'x'}), keyed}),
         "own:x"},
        {"a name longer than the block",
         Joined({SavedProfile(1, "Dee", 1), Block("CARD", 1, {9, 'S', 'h'}), keyed}), ""},
        {"bytes after the name",
         Joined({SavedProfile(1, "Dee", 1), Block("CARD", 1, {1, 'A', 'B'}), keyed}), ""},
    };
    for (const auto& c : cases) {
        WriteBytes("save/Dee.usr", c.file);
        Player back;
        ASSERT_TRUE(Gamespace::Load(back, "save/Dee.usr")) << c.what;
        EXPECT_EQ(back.cardSet, c.cardSet) << c.what;
        EXPECT_EQ(back.difficulty, 1) << c.what;
        // The other blocks load whatever became of this one.
        const bool hasKeyed = c.file.size() > SavedProfile(1, "Dee", 1).size();
        EXPECT_EQ(back.BestsFor({"Shapes", 3})[2].games, hasKeyed ? 1u : 0u) << c.what;
        EXPECT_TRUE(back.otherBlocks.empty()) << c.what;
    }
}

// Games with others: their own block after the bests, written only once a
// game with others was finished; solo bests untouched; a damaged block costs
// those counts alone; a profile without it loads with none.
TEST_F(ProfileBlocksTest, GamesWithOthersHaveABlockOfTheirOwn) {
    Player di(true, "Di", Gamespace::kEasy);
    ASSERT_TRUE(Gamespace::Save(di));
    EXPECT_EQ(ReadBytes("save/Di.usr"), SavedProfile(1, "Di", 0));  // nothing to keep yet

    Gamespace::RecordGameWithOthers(di, true);
    Gamespace::RecordGameWithOthers(di, false);
    Gamespace::RecordGameWithOthers(di, true);
    EXPECT_FALSE(di.HasBests());
    ASSERT_TRUE(Gamespace::Save(di));
    const Bytes with = Block("WITH", 1, {0, 0, 0, 3, 0, 0, 0, 2});
    EXPECT_EQ(ReadBytes("save/Di.usr"), Joined({SavedProfile(1, "Di", 0), with}));
    Player back;
    ASSERT_TRUE(Gamespace::Load(back, "save/Di.usr"));
    EXPECT_EQ(back.gamesWithOthers, 3u);
    EXPECT_EQ(back.winsWithOthers, 2u);
    EXPECT_TRUE(back.otherBlocks.empty());

    const Bytes keyed =
        Block("BSTK", 1, Joined({{0, 1}, {0, 10}, {0, 0, 0, 1, 0, 0, 0, 20, 0, 6}, Bytes(20, 0)}));
    const struct {
        const char* what;
        Bytes file;
        uint32_t games;
        uint32_t wins;
    } cases[] = {
        {"no block: an older profile", SavedProfile(0, "Di", 0), 0, 0},
        {"after the keyed bests", Joined({SavedProfile(0, "Di", 0), keyed, with}), 3, 2},
        {"cut short", Joined({SavedProfile(0, "Di", 0), keyed, Block("WITH", 1, {0, 0, 0, 3})}), 0,
         0},
        {"more wins than games",
         Joined({SavedProfile(0, "Di", 0), keyed, Block("WITH", 1, {0, 0, 0, 1, 0, 0, 0, 2})}), 0,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes("save/Di.usr", c.file);
        Player read;
        ASSERT_TRUE(Gamespace::Load(read, "save/Di.usr"));
        EXPECT_EQ(read.name, "Di");
        EXPECT_EQ(read.gamesWithOthers, c.games);
        EXPECT_EQ(read.winsWithOthers, c.wins);
        if (c.file.size() > SavedProfile(0, "Di", 0).size()) {
            EXPECT_EQ(read.BestsFor({"", 10})[0], (Gamespace::PersonalBest{1, 20, 6}));
        }
    }
}

// The list of other players: sorted by name without regard to case, and a
// removed player's profile is gone while the others stay.
TEST_F(ProfileBlocksTest, OtherPlayersByNameAndRemovingOne) {
    for (const char* name : {"bea", "Al", "Cal", "ada", "Bob"}) {
        WriteBytes(std::string("save/") + name + ".usr",
                   SavedProfile(std::string(name) == "Cal" ? 1 : 0, name, 2));
    }
    Gamespace::PlayerList* list = Gamespace::PlayerList::Instance();
    list->LoadAll();
    std::vector<std::string> names;
    for (const Player* p : list->OthersByName()) {
        names.push_back(p->name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ada", "Al", "bea", "Bob"}));
    EXPECT_FALSE(list->Remove("Cal"));  // the current player stays
    EXPECT_FALSE(list->Remove("Zed"));
    ASSERT_TRUE(list->Remove("bea"));
    EXPECT_FALSE(fs::exists("save/bea.usr"));
    EXPECT_TRUE(fs::exists("save/Bob.usr"));
    EXPECT_EQ(list->Find("bea"), nullptr);
    EXPECT_EQ(list->OthersByName().size(), 3u);
    ASSERT_TRUE(list->SaveAll());
    EXPECT_FALSE(fs::exists("save/bea.usr"));  // not written back
}

}  // namespace
