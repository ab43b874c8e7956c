// The statistics dialog on the whole program: its empty state, its chart
// drawn where the times say, the keyboard, and the CSV export.

#include "support/WholeGameFixture.h"

#include "game/History.h"
#include "game/StatisticsDlg.h"

namespace {

using ControlLibrary::Point;
using Gamespace::GameRecord;

constexpr int64_t kDay = 86400;

class Statistics : public WholeGame {
protected:
    Gamespace::StatisticsDlg* Dialog() const { return Start()->GetStatisticsDialog(); }
    void Open() {
        Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Statistics));
        ASSERT_TRUE(Shown(Dialog()));
    }
    static void AddGames(uint8_t difficulty, const std::vector<uint32_t>& times) {
        Gamespace::Player& player = Gamespace::PlayerList::Instance()->GetCurrent();
        for (size_t i = 0; i < times.size(); ++i) {
            Gamespace::AddToHistory(
                player.history,
                {kGameDate - static_cast<int64_t>(times.size() - i) * kDay, difficulty, 3, times[i],
                 static_cast<uint16_t>(8 + times[i] / 10), ""});
            ++player.bests[difficulty].games;
        }
    }
    static uint32_t At(const std::vector<uint32_t>& screen, int x, int y) {
        return screen[static_cast<size_t>(y) * 1024 + static_cast<size_t>(x)] & 0xFFFFFF;
    }
    // The first row at or below `from` in column `x` drawn in `rgb`.
    static int RowOf(const std::vector<uint32_t>& screen, int x, int from, uint32_t rgb) {
        for (int y = from; y < 768; ++y) {
            if (At(screen, x, y) == rgb) {
                return y;
            }
        }
        return -1;
    }
};

TEST_F(Statistics, EmptyShortAndFullHistoriesAreDrawn) {
    CreatePlayer("Ida");
    Open();
    EXPECT_TRUE(Dialog()->GetChartPoints().empty());
    EXPECT_EQ(Dialog()->GetFigure(0), "");
    TestSupport::ExpectMatchesGolden("statistics-1-empty", Screen("statistics-1-empty").data(),
                                     1024, 768);
    Click(Dialog()->GetCloseButton());
    ASSERT_FALSE(Shown(Dialog()));

    AddGames(Gamespace::kEasy, {95, 71, 80});
    Gamespace::PlayerList::Instance()->GetCurrent().difficulty = Gamespace::kEasy;
    Open();
    EXPECT_EQ(Dialog()->GetChartPoints().size(), 3u);
    EXPECT_EQ(Dialog()->GetFigure(0), "Games played: 3");
    EXPECT_EQ(Dialog()->GetFigure(1), "Average time: 1:22");
    EXPECT_EQ(Dialog()->GetFigure(2), "Best time: 1:11");
    EXPECT_EQ(Dialog()->GetFigure(5), "");  // no game with others yet
    TestSupport::ExpectMatchesGolden("statistics-2-short", Screen("statistics-2-short").data(),
                                     1024, 768);
    Click(Dialog()->GetTab(Gamespace::kMedium));  // none on Medium yet
    EXPECT_TRUE(Dialog()->GetChartPoints().empty());
    Click(Dialog()->GetCloseButton());

    // A hundred Hard games getting faster, with ups and downs.
    std::vector<uint32_t> times;
    for (uint32_t i = 0; i < 100; ++i) {
        times.push_back(400 - 2 * i + (i * 37 % 11) * 6);
    }
    AddGames(Gamespace::kHard, times);
    Gamespace::Player& ida = Gamespace::PlayerList::Instance()->GetCurrent();
    ida.difficulty = Gamespace::kHard;
    ida.gamesWithOthers = 7;
    ida.winsWithOthers = 3;
    Open();
    EXPECT_EQ(Dialog()->GetFigure(5), "With others: 3 of 7 won");
    EXPECT_EQ(Dialog()->GetChartPoints().size(), 100u);  // the Easy games went first
    TestSupport::ExpectMatchesGolden("statistics-3-full", Screen("statistics-3-full").data(), 1024,
                                     768);
}

// Each game's point sits as high above the time axis as its time says,
// measured against the guide the chart draws at half its top time.
TEST_F(Statistics, ThePointsSitWhereTheTimesSay) {
    CreatePlayer("Jo");
    // 150 s is the top of a chart whose slowest game took 150 s: the guide is 1:15.
    const std::vector<uint32_t> times = {150, 30, 75, 120, 60};
    AddGames(Gamespace::kMedium, times);
    Gamespace::PlayerList::Instance()->GetCurrent().difficulty = Gamespace::kMedium;
    Open();
    const std::vector<uint32_t> screen = Screen("statistics-points");
    const std::vector<Point> points = Dialog()->GetChartPoints();
    ASSERT_EQ(points.size(), times.size());
    // Left of the first point, clear of the line: the guide, then the axis.
    const int column = points[0].x - 5;
    const int guide = RowOf(screen, column, 0, 0x5C5470);
    const int axis = RowOf(screen, column, guide + 1, 0xDABE78);
    ASSERT_GT(guide, 0);
    ASSERT_GT(axis, guide + 50);
    for (size_t i = 0; i < times.size(); ++i) {
        SCOPED_TRACE(i);
        // The mark: the line's colour at the point.
        EXPECT_EQ(At(screen, points[i].x, points[i].y), 0xFFFFA0u);
        const double expected = axis - (axis - guide) * times[i] / 75.0;
        EXPECT_NEAR(points[i].y, expected, 1.5);
        if (i > 0) {
            EXPECT_GT(points[i].x, points[i - 1].x);
        }
    }
}

// XDG_DATA_HOME in the test's own folder, where the export must go.
class StatisticsExport : public Statistics {
protected:
    StatisticsExport() { m_ownDataFolder = true; }
};

TEST_F(StatisticsExport, KeysWalkTheLevelsAndTheCsvHoldsTheHistory) {
    CreatePlayer("Kit");
    AddGames(Gamespace::kEasy, {40, 35});
    AddGames(Gamespace::kHard, {300});
    Open();  // on the player's difficulty: Hard, as new players start
    EXPECT_EQ(Dialog()->GetSelected(), Gamespace::kHard);
    Key(SDLK_TAB);  // "Easy"
    Key(SDLK_RETURN);
    EXPECT_EQ(Dialog()->GetSelected(), Gamespace::kEasy);
    EXPECT_EQ(Dialog()->GetChartPoints().size(), 2u);
    Click(Dialog()->GetSaveButton());
    const std::string path = (fs::current_path() / "data/Vornique/Kit-history.csv").string();
    EXPECT_EQ(Dialog()->GetNote(), "Saved to " + path);
    const Bytes csv = ReadBytes(path);
    EXPECT_EQ(std::string(csv.begin(), csv.end()),
              Gamespace::HistoryCsv(Gamespace::PlayerList::Instance()->GetCurrent().history));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);  // the header and three games
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(Shown(Dialog()));
    EXPECT_TRUE(Start()->IsActive());
}

}  // namespace
