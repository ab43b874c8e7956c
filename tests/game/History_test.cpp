// The history of finished solo games: its block, its cap, what damage costs,
// the figures the statistics show and the CSV export.

#include <gtest/gtest.h>

#include "support/ProfileBytes.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/History.h"
#include "game/Profiles.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Gamespace::GameRecord;
using Gamespace::Player;
using TestSupport::HistoryBlock;
using TestSupport::HistoryEntry;
using TestSupport::Joined;
using TestSupport::SavedProfile;
namespace fs = std::filesystem;

constexpr int64_t kDay = 86400;
constexpr int64_t kDayStart = 1796947200;  // 2026-12-11 00:00:00 UTC

class HistoryTest : public TestSupport::TempDirTest {
protected:
    void TearDown() override {
        Gamespace::PlayerList::Destroy();
        TempDirTest::TearDown();
    }
    static Bytes ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteBytes(const std::string& path, const Bytes& bytes) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
};

TEST_F(HistoryTest, TheLatestHundredGamesRoundTripOldestDroppedFirst) {
    Player dee(true, "Dee", 0);
    for (uint32_t i = 0; i < 130; ++i) {
        Gamespace::AddToHistory(dee.history,
                                {kDayStart + i, static_cast<uint8_t>(i % 3), 3, 30 + i,
                                 static_cast<uint16_t>(6 + i % 7), i % 2 ? "Shapes" : ""});
    }
    ASSERT_EQ(dee.history.size(), Gamespace::kHistoryLength);
    EXPECT_EQ(dee.history.front().seconds, 60u);  // games 0 to 29 went first
    EXPECT_EQ(dee.history.back().seconds, 159u);
    ASSERT_TRUE(Gamespace::Save(dee));
    Player back;
    ASSERT_TRUE(Gamespace::Load(back, "save/Dee.usr"));
    EXPECT_EQ(back.history, dee.history);
    // The bytes, spelled out for the first two games of a short history.
    Player eve(false, "Eve", 1);
    Gamespace::AddToHistory(eve.history, {kDayStart, 1, 3, 75, 12, ""});
    Gamespace::AddToHistory(eve.history, {kDayStart + kDay, 2, 10, 200, 40, "Shapes"});
    ASSERT_TRUE(Gamespace::Save(eve));
    EXPECT_EQ(ReadBytes("save/Eve.usr"),
              Joined({SavedProfile(0, "Eve", 1),
                      HistoryBlock({{kDayStart, 1, 3, 75, 12, ""},
                                    {kDayStart + kDay, 2, 10, 200, 40, "Shapes"}})}));
}

// Each damaged entry goes alone; an entry whose length runs past the block
// ends the reading, keeping the entries before it.
TEST_F(HistoryTest, DamageCostsTheDamagedEntryAlone) {
    const std::vector<HistoryEntry> good = {{kDayStart, 0, 3, 40, 9, ""},
                                            {kDayStart + 1, 1, 3, 80, 15, ""},
                                            {kDayStart + 2, 2, 3, 120, 25, ""}};
    struct Case {
        const char* what;
        std::vector<HistoryEntry> entries;
        size_t cut;  // bytes cut off the block's end
        std::vector<size_t> kept;
    } cases[] = {
        {"AllGood", good, 0, {0, 1, 2}},
        {"NoAttempts", {good[0], {kDayStart + 1, 1, 3, 80, 0, ""}, good[2]}, 0, {0, 2}},
        {"DifficultyPastHard", {good[0], good[1], {kDayStart + 2, 7, 3, 120, 25, ""}}, 0, {0, 1}},
        {"NoDate", {{0, 0, 3, 40, 9, ""}, good[1], good[2]}, 0, {1, 2}},
        {"LastEntryCut", good, 3, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes block = HistoryBlock(c.entries);
        block.resize(block.size() - c.cut);
        const uint32_t length = static_cast<uint32_t>(block.size() - 9);
        block[5] = static_cast<uint8_t>(length >> 24);
        block[6] = static_cast<uint8_t>(length >> 16);
        block[7] = static_cast<uint8_t>(length >> 8);
        block[8] = static_cast<uint8_t>(length);
        WriteBytes("save/Fay.usr",
                   Joined({SavedProfile(1, "Fay", 2, {{{5, 40, 9}, {}, {}}}), block}));
        Player fay;
        ASSERT_TRUE(Gamespace::Load(fay, "save/Fay.usr"));
        EXPECT_EQ(fay.bests[0].games, 5u);  // the rest of the profile is whole
        ASSERT_EQ(fay.history.size(), c.kept.size());
        for (size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_EQ(fay.history[i].when, good[c.kept[i]].when);
            EXPECT_EQ(fay.history[i].seconds, good[c.kept[i]].seconds);
        }
    }
}

TEST_F(HistoryTest, TheSummaryAveragesTheRecentGamesAndCountsEveryGamePlayed) {
    Player gus(true, "Gus", 0);
    gus.bests[Gamespace::kMedium] = {10, 50, 11};  // games from before the history
    gus.otherBests[{"", 10}][Gamespace::kMedium] = {2, 40, 10};
    for (auto [seconds, attempts] : {std::pair{90u, 20}, {60u, 14}, {75u, 15}, {60u, 13}}) {
        Gamespace::AddToHistory(gus.history, {kDayStart, Gamespace::kMedium, 3, seconds,
                                              static_cast<uint16_t>(attempts), ""});
    }
    Gamespace::AddToHistory(gus.history, {kDayStart, Gamespace::kEasy, 3, 5, 5, ""});
    const auto medium = Gamespace::Summarise(gus, Gamespace::kMedium);
    EXPECT_EQ(medium.gamesPlayed, 12u);
    ASSERT_EQ(medium.recent.size(), 4u);
    EXPECT_EQ(medium.bestSeconds, 60u);
    EXPECT_EQ(medium.bestIndex, 1u);  // the first of the two fastest
    EXPECT_EQ(medium.fewestAttempts, 13);
    EXPECT_EQ(medium.averageSeconds, 71u);          // 285 / 4 = 71.25
    EXPECT_EQ(medium.averageAttemptsTenths, 155u);  // 62 / 4
    const auto hard = Gamespace::Summarise(gus, Gamespace::kHard);
    EXPECT_EQ(hard.gamesPlayed, 0u);
    EXPECT_TRUE(hard.recent.empty());
}

TEST(HistoryCsv, OneLinePerGameWithIsoDatesAndQuotedSetNames) {
    std::deque<GameRecord> history;
    EXPECT_EQ(Gamespace::HistoryCsv(history),
              "date,difficulty,card set,preview seconds,seconds,attempts\n");
    history.push_back({kDayStart + 9 * 3600 + 5 * 60 + 7, 0, 3, 42, 8, ""});
    history.push_back({kDayStart - 1, 2, 10, 301, 37, "My \"own\" set"});
    EXPECT_EQ(Gamespace::HistoryCsv(history),
              "date,difficulty,card set,preview seconds,seconds,attempts\n"
              "2026-12-11T09:05:07Z,Easy,\"Pictures\",3,42,8\n"
              "2026-12-10T23:59:59Z,Hard,\"My \"\"own\"\" set\",10,301,37\n");
    EXPECT_EQ(Gamespace::IsoDate(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(Gamespace::IsoDate(951782400), "2000-02-29T00:00:00Z");
}

}  // namespace
