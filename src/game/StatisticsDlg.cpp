#include "game/StatisticsDlg.h"

#include <algorithm>
#include <cstdio>

#include "controls/Factory_impl.h"
#include "kernel/FileStore.h"

namespace Gamespace {

using ControlLibrary::GetFactory;
using ControlLibrary::Point;

namespace {
constexpr Colour kAxis{218, 190, 120};
constexpr Colour kGuide{92, 84, 112};
constexpr Colour kLine{255, 255, 160};
constexpr Colour kFigures{236, 230, 214};
constexpr Colour kDim{190, 182, 200};

// The dialog, from its centre; its picture has the plates and the chart's
// inset at these places.
namespace StatisticsLayout {
constexpr Extent kSize{640, 440};
constexpr Spot kTitle{0, -190};
constexpr int32_t kTabsY = -146;
constexpr int32_t kTabsGap = 130;
constexpr Spot kSave{-110, 180};
constexpr Spot kClose{110, 180};
constexpr Extent kBottomButton{130, 26};
constexpr Spot kNote{0, 136};
// The plot inside the chart's inset: times run up from the x axis.
constexpr Spot kPlot{-250, -108};  // top-left
constexpr Extent kPlotSize{280, 170};
constexpr int32_t kPlotInset = 10;  // first and last point from the plot's ends
constexpr int32_t kTimeLabelsX = -282;
constexpr int32_t kGameLabelsGap = 16;  // below the x axis
constexpr Spot kEmpty{-110, -30};
constexpr int32_t kEmptyLineGap = 34;
constexpr int32_t kFiguresX = 180;
constexpr int32_t kFiguresTop = -104;
constexpr int32_t kFiguresGap = 31;
constexpr int32_t kMarkSize = 5;
constexpr size_t kMostMarked = 25;
constexpr int32_t kBestMarkSize = 13;
}  // namespace StatisticsLayout
namespace L = StatisticsLayout;

// The top of the time axis: the slowest time rounded up to a step that
// gives round labels (30 s below 5 minutes, then whole minutes).
uint32_t AxisTop(uint32_t slowest) {
    const uint32_t step = slowest <= 300 ? 30 : 60;
    return std::max<uint32_t>(step, (slowest + step - 1) / step * step);
}

std::string Tenths(uint32_t tenths) {
    // The decimal mark is the language's own ("2,5" in German).
    // Translators: a number with one decimal, in your language's way of writing it.
    return Filled("{whole}.{tenth}",
                  {{"whole", std::to_string(tenths / 10)}, {"tenth", std::to_string(tenths % 10)}});
}
}  // namespace

std::string ClockTime(uint32_t seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    return text;
}

StatisticsDlg::StatisticsDlg(ControlLibrary::DialogMessageObserver* owner) : BaseDialog(owner) {
    m_dialog->SetSize(L::kSize.width, L::kSize.height);
    m_dialog->SetBackgroundImage("images/dialog/dlg_stats.png");
    ControlLibrary::IFont* menuFont = MakeFont(kMenuFont);
    ControlLibrary::IFont* figuresFont = MakeFont("fonts/Pristina18.txt");
    for (uint16_t d = 0; d < kDifficultyCount; ++d) {
        m_tabs[d] = MakeMenuButton(menuFont, Tr(kDifficultyNames[d]));
    }
    const ButtonStyle style{menuFont,
                            "images/btn_def.png",
                            kMenuButtonFrames,
                            {kWhite, kPaleYellow, kGrey, kBlack, kBlack}};
    m_save = MakeChildButton(style, Tr("Save as CSV"), L::kBottomButton, -5);
    m_close = MakeChildButton(style, Tr("Close"), L::kBottomButton, -5);
    m_title = MakeLabel(MakeFont("fonts/KBChopinScript28.txt"), Tr("Statistics"),
                        Layer::kDialogControls, kGold);
    m_note = MakeLabel(menuFont, "", Layer::kDialogControls, kDim);
    for (auto*& line : m_empty) {
        line = MakeLabel(figuresFont, "", Layer::kDialogControls, kFigures);
    }
    for (auto*& line : m_figures) {
        line = MakeLabel(figuresFont, "", Layer::kDialogControls, kFigures);
    }
    for (auto*& axis : m_axes) {
        axis = Own(GetFactory()->CreateRectVO());
        axis->SetStyle(1);
        axis->SetZOrder(Layer::kDialogControls);
        m_dialog->AddChild(axis);
    }
    m_axes[0]->SetColour(kAxis);
    m_axes[1]->SetColour(kAxis);
    m_axes[2]->SetColour(kGuide);
    m_line = Own(GetFactory()->CreatePolylineVO());
    m_line->SetZOrder(Layer::kDialogControls + 2);
    m_line->SetColour(kLine);
    m_line->SetMarkSize(L::kMarkSize);
    m_line->SetLineWidth(2);
    m_line->SetSize(L::kPlotSize.width + 1, L::kPlotSize.height + 1);
    m_dialog->AddChild(m_line);
    m_bestMark = Own(GetFactory()->CreateRectVO());
    m_bestMark->SetStyle(0);
    m_bestMark->SetColour(kGold);
    m_bestMark->SetSize(L::kBestMarkSize, L::kBestMarkSize);
    m_bestMark->SetZOrder(Layer::kDialogControls + 3);
    m_bestMark->SetAlignment(kAlignCentre, kAlignCentre);
    m_dialog->AddChild(m_bestMark);
    m_bestLabel = MakeLabel(menuFont, Tr("best"), Layer::kDialogControls + 3, kGold);
    for (auto*& label : m_timeLabels) {
        label = MakeLabel(menuFont, "", Layer::kDialogControls, kAxis);
    }
    for (auto*& label : m_gameLabels) {
        label = MakeLabel(menuFont, "", Layer::kDialogControls, kAxis);
    }
    m_gamesCaption = MakeLabel(menuFont, "", Layer::kDialogControls, kDim);
}

void StatisticsDlg::Layout() {
    Place(m_title, L::kTitle);
    for (uint16_t d = 0; d < kDifficultyCount; ++d) {
        Place(m_tabs[d], {(d - 1) * L::kTabsGap, L::kTabsY});
    }
    Place(m_save, L::kSave);
    Place(m_close, L::kClose);
    Place(m_note, L::kNote);
    for (size_t i = 0; i < m_empty.size(); ++i) {
        Place(m_empty[i], {L::kEmpty.x, L::kEmpty.y + static_cast<int32_t>(i) * L::kEmptyLineGap});
    }
    for (size_t i = 0; i < m_figures.size(); ++i) {
        Place(m_figures[i],
              {L::kFiguresX, L::kFiguresTop + static_cast<int32_t>(i) * L::kFiguresGap});
    }
    const int32_t w = static_cast<int32_t>(L::kPlotSize.width);
    const int32_t h = static_cast<int32_t>(L::kPlotSize.height);
    // The y axis, the x axis, the guide at half height (positions are top-left).
    const auto atCorner = [&](ControlLibrary::IVisibleObject* o, int32_t x, int32_t y) {
        o->SetPosition(Width() / 2 + x, Height() / 2 + y);
    };
    m_axes[0]->SetSize(2, static_cast<uint16_t>(h + 2));
    atCorner(m_axes[0], L::kPlot.x - 2, L::kPlot.y);
    m_axes[1]->SetSize(static_cast<uint16_t>(w + 2), 2);
    atCorner(m_axes[1], L::kPlot.x - 2, L::kPlot.y + h + 1);
    m_axes[2]->SetSize(static_cast<uint16_t>(w), 1);
    atCorner(m_axes[2], L::kPlot.x, L::kPlot.y + h / 2);
    atCorner(m_line, L::kPlot.x, L::kPlot.y);
    for (size_t i = 0; i < m_timeLabels.size(); ++i) {
        Place(m_timeLabels[i], {L::kTimeLabelsX, L::kPlot.y + static_cast<int32_t>(i) * h / 2});
    }
    Place(m_gameLabels[0], {L::kPlot.x + L::kPlotInset, L::kPlot.y + h + L::kGameLabelsGap});
    Place(m_gameLabels[1], {L::kPlot.x + w - L::kPlotInset, L::kPlot.y + h + L::kGameLabelsGap});
    Place(m_gamesCaption, {L::kPlot.x + w / 2, L::kPlot.y + h + L::kGameLabelsGap});
}

void StatisticsDlg::Show(bool on) {
    BaseDialog::Show(on);  // shows every child: Select then hides what has nothing to show
    if (on) {
        Select(std::min<uint16_t>(PlayerList::Instance()->GetCurrent().difficulty, kHardest));
        m_note->SetText("");
    }
}

void StatisticsDlg::ShowChart(bool on) {
    for (auto* axis : m_axes) {
        axis->SetShown(on);
    }
    for (auto* label : m_timeLabels) {
        label->SetShown(on);
    }
    for (auto* label : m_gameLabels) {
        label->SetShown(on);
    }
    m_gamesCaption->SetShown(on);
    m_line->SetShown(on);
    m_bestMark->SetShown(on);
    m_bestLabel->SetShown(on);
}

void StatisticsDlg::Select(uint16_t difficulty) {
    m_selected = std::min<uint16_t>(difficulty, kHardest);
    for (uint16_t d = 0; d < kDifficultyCount; ++d) {
        // The chosen level's caption in gold, the others white.
        m_tabs[d]->SetTextColours(
            {d == m_selected ? kGold : kWhite, kPaleYellow, kGrey, kBlack, kBlack});
    }
    const Player& player = PlayerList::Instance()->GetCurrent();
    const DifficultySummary summary = Summarise(player, m_selected);
    const bool any = !summary.recent.empty();
    ShowChart(any);
    m_points.clear();
    if (!any) {
        const bool none = player.history.empty() && !player.HasBests();
        m_empty[0]->SetText(
            none ? Tr("No finished games yet.")
                 : Filled("No {level} games yet.", {{"level", Tr(kDifficultyNames[m_selected])}}));
        m_empty[1]->SetText(Tr("Your times will show here."));
    }
    for (auto* line : m_empty) {
        line->SetShown(!any);
    }
    const std::string figures[kSoloFigureLines] = {
        Filled("Games played: {n}", {{"n", std::to_string(summary.gamesPlayed)}}),
        Filled("Average time: {time}", {{"time", ClockTime(summary.averageSeconds)}}),
        Filled("Best time: {time}", {{"time", ClockTime(summary.bestSeconds)}}),
        Filled("Average attempts: {n}", {{"n", Tenths(summary.averageAttemptsTenths)}}),
        Filled("Fewest attempts: {n}", {{"n", std::to_string(summary.fewestAttempts)}})};
    for (size_t i = 0; i < kSoloFigureLines; ++i) {
        m_figures[i]->SetText(any ? figures[i] : "");
        m_figures[i]->SetShown(any);
    }
    // Games with others, on every level: shown once there is one.
    ControlLibrary::IStringVO* others = m_figures[kSoloFigureLines];
    const bool withOthers = player.gamesWithOthers > 0;
    others->SetText(withOthers ? Filled("With others: {won} of {played} won",
                                        {{"played", std::to_string(player.gamesWithOthers)},
                                         {"won", std::to_string(player.winsWithOthers)}})
                               : "");
    others->SetShown(withOthers);
    if (!any) {
        return;
    }
    uint32_t slowest = 0;
    for (const GameRecord* game : summary.recent) {
        slowest = std::max(slowest, game->seconds);
    }
    const uint32_t top = AxisTop(slowest);
    const int32_t w = static_cast<int32_t>(L::kPlotSize.width) - 2 * L::kPlotInset;
    const int32_t h = static_cast<int32_t>(L::kPlotSize.height);
    const size_t n = summary.recent.size();
    for (size_t i = 0; i < n; ++i) {
        // One game sits in the middle; more spread evenly from end to end.
        const int32_t x =
            n == 1 ? L::kPlotInset + w / 2 : L::kPlotInset + static_cast<int32_t>(i * w / (n - 1));
        const int32_t y =
            h - static_cast<int32_t>((int64_t{summary.recent[i]->seconds} * h + top / 2) / top);
        m_points.push_back({x, y});
    }
    m_line->SetPoints(m_points);
    // Marks while they stand apart; a long history is its line alone.
    m_line->SetMarkSize(n <= L::kMostMarked ? L::kMarkSize : 0);
    m_timeLabels[0]->SetText(ClockTime(top));
    m_timeLabels[1]->SetText(ClockTime(top / 2));
    m_timeLabels[2]->SetText(ClockTime(0));
    m_gameLabels[0]->SetText("1");
    m_gameLabels[1]->SetText(std::to_string(n));
    m_gameLabels[1]->SetShown(n > 1);
    m_gamesCaption->SetText(
        n == 1 ? Tr("your one game")
               : Filled("your last {n} games, oldest first", {{"n", std::to_string(n)}}));
    const Point best = m_points[summary.bestIndex];
    m_bestMark->SetPosition(Width() / 2 + L::kPlot.x + best.x, Height() / 2 + L::kPlot.y + best.y);
    // The fastest game lies lowest: its word goes under it while there is room.
    const int32_t below = best.y + 24 < h ? 16 : -16;
    Place(m_bestLabel, {L::kPlot.x + best.x, L::kPlot.y + best.y + below});
}

std::vector<Point> StatisticsDlg::GetChartPoints() const {
    const ControlLibrary::Rect r = m_line->GetScreenRect();
    std::vector<Point> points;
    for (const Point& p : m_points) {
        points.push_back({r.x + p.x, r.y + p.y});
    }
    return points;
}

std::string StatisticsDlg::GetNote() const {
    std::string text;
    m_note->GetText(text);
    return text;
}

std::string StatisticsDlg::GetFigure(size_t i) const {
    std::string text;
    if (i < m_figures.size() && m_figures[i]->IsShown()) {
        m_figures[i]->GetText(text);
    }
    return text;
}

void StatisticsDlg::OnMouseClick(int32_t id) {
    for (uint16_t d = 0; d < kDifficultyCount; ++d) {
        if (id == m_tabs[d]->GetId()) {
            Select(d);
            return;
        }
    }
    if (id == m_save->GetId()) {
        const Player& player = PlayerList::Instance()->GetCurrent();
        // Beside the player's other files of their own (screenshots, demos).
        const std::string folder = GetFactory()->GetDataFolder();
        const std::string file = player.name + "-history.csv";
        const std::string path =
            folder.empty() ? KernelLibrary::PlayerDataPath(file) : folder + file;
        const std::string csv = HistoryCsv(player.history);
        std::string error;
        if (KernelLibrary::WritePlayerFile(path, std::vector<uint8_t>(csv.begin(), csv.end()),
                                           false, &error)) {
            m_note->SetText(Filled("Saved to {path}", {{"path", path}}));
        } else {
            m_note->SetText(Filled("Could not save: {why}", {{"why", error}}));
        }
    } else if (id == m_close->GetId()) {
        Show(false);
    }
}

}  // namespace Gamespace
