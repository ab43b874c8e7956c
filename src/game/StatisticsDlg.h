#pragma once

#include <array>
#include <string>
#include <vector>

#include "controls/IPolylineVO.h"
#include "controls/IRectVO.h"
#include "game/Dialogs.h"

namespace Gamespace {

// The current player's progress per difficulty: a chart of the times of
// their recent games (the best marked), the games played, average and best
// time and attempts; "Save as CSV" writes the history beside their profile.
class StatisticsDlg : public BaseDialog {
public:
    explicit StatisticsDlg(ControlLibrary::DialogMessageObserver* owner);
    // Opens on the current player's difficulty.
    void Show(bool on) override;
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override {
        return {m_tabs[kEasy], m_tabs[kMedium], m_tabs[kHard], m_save, m_close};
    }
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_close; }

    // Shows `difficulty`'s figures and chart.
    void Select(uint16_t difficulty);
    uint16_t GetSelected() const { return m_selected; }
    ControlLibrary::IButtonVO* GetTab(uint16_t difficulty) const { return m_tabs[difficulty]; }
    ControlLibrary::IButtonVO* GetSaveButton() const { return m_save; }
    ControlLibrary::IButtonVO* GetCloseButton() const { return m_close; }
    ControlLibrary::IPolylineVO* GetChart() const { return m_line; }
    // Where the chart's points sit on the screen, oldest first.
    std::vector<ControlLibrary::Point> GetChartPoints() const;
    std::string GetNote() const;
    // The text of figure line `i` (empty when hidden).
    std::string GetFigure(size_t i) const;

    // The solo figures of the level, then the games with others.
    static constexpr size_t kSoloFigureLines = 5;
    static constexpr size_t kFigureLines = kSoloFigureLines + 1;

private:
    void ShowChart(bool on);

    std::array<ControlLibrary::IButtonVO*, kDifficultyCount> m_tabs{};
    ControlLibrary::IButtonVO* m_save = nullptr;
    ControlLibrary::IButtonVO* m_close = nullptr;
    ControlLibrary::IStringVO* m_title = nullptr;
    ControlLibrary::IStringVO* m_note = nullptr;
    std::array<ControlLibrary::IStringVO*, 2> m_empty{};
    std::array<ControlLibrary::IStringVO*, kFigureLines> m_figures{};
    // The chart: axes, a guide at half height, the line, the best game's mark.
    std::array<ControlLibrary::IRectVO*, 3> m_axes{};
    ControlLibrary::IPolylineVO* m_line = nullptr;
    ControlLibrary::IRectVO* m_bestMark = nullptr;
    ControlLibrary::IStringVO* m_bestLabel = nullptr;
    // The time labels (top, middle, bottom), the first and last game's
    // numbers and the caption under the chart.
    std::array<ControlLibrary::IStringVO*, 3> m_timeLabels{};
    std::array<ControlLibrary::IStringVO*, 2> m_gameLabels{};
    ControlLibrary::IStringVO* m_gamesCaption = nullptr;
    std::vector<ControlLibrary::Point> m_points;  // in the line's own coordinates
    uint16_t m_selected = kEasy;
};

// m:ss, as the chart and the statistics give times ("1:05", "12:00").
std::string ClockTime(uint32_t seconds);

}  // namespace Gamespace
