// Every caption of every button the game shows, measured on the real screens
// in each of its looks: a caption reads against its plate (or its outline)
// at 4.5:1 or more, lit ones included; a disabled one at 3:1 or more. Buttons
// that draw a plate keep their caption's ink inside it.

#include "support/Contrast.h"
#include "support/WholeGameFixture.h"

#include <cstdio>

#include "controls/ButtonVO.h"

namespace {

using ControlLibrary::IButtonVO;

class CaptionContrastTest : public WholeGame {
protected:
    enum class Look { Normal, Lit, Disabled };

    // Measures `button` (named `name`) in each look and checks the figures.
    void Measure(const std::string& name, IButtonVO* button, bool drawsPlate = false) {
        auto* impl = static_cast<ControlLibrary::ButtonVO_impl*>(
            static_cast<ControlLibrary::ButtonVO_bridge*>(button)->GetImpl());
        const bool wasEnabled = button->IsEnabled();
        const ControlLibrary::Rect r = button->GetScreenRect();
        const std::string text = impl->GetText();
        for (Look look : {Look::Normal, Look::Lit, Look::Disabled}) {
            button->SetEnabled(look != Look::Disabled);
            button->SetHighlighted(look == Look::Lit);
            const int index = impl->GetLook();
            const auto c = impl->GetTextColour(index);
            const uint32_t fill = static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue);
            const std::vector<uint32_t> with = Screen("contrast-" + name);
            button->SetText("");
            button->SetEnabled(look != Look::Disabled);  // a caption change alone is not redrawn
            const std::vector<uint32_t> without = Screen("contrast-bare");
            button->SetText(text);
            button->SetEnabled(look != Look::Disabled);
            // The caption may reach past the button: look around it too.
            const auto m = TestSupport::MeasureCaption(with, without, 1024, r.x - 16, r.y - 24,
                                                       r.width + 32, r.height + 48, fill);
            const char* lookName = look == Look::Normal ? "normal"
                                   : look == Look::Lit  ? "lit"
                                                        : "disabled";
            std::printf(
                "%-22s %-9s %5.2f:1 (plate %5.2f, outline %5.2f, %d fill pixels, ink rows "
                "%d-%d, button rows %d-%d)\n",
                name.c_str(), lookName, m.Ratio(), m.vsPlate, m.vsRing, m.fillPixels, m.inkTop,
                m.inkBottom, r.y, r.y + r.height - 1);
            EXPECT_GT(m.fillPixels, 10) << name << " " << lookName << ": caption not drawn";
            EXPECT_GE(m.Ratio(), look == Look::Disabled ? 3.0 : 4.5) << name << " " << lookName;
            if (drawsPlate) {
                EXPECT_GE(m.inkTop, r.y) << name << " " << lookName << ": caption above its plate";
                EXPECT_LT(m.inkBottom, r.y + r.height) << name << " " << lookName;
            }
        }
        button->SetHighlighted(false);
        button->SetEnabled(wasEnabled);
        Screen("contrast-restored");
    }
};

TEST_F(CaptionContrastTest, EveryCaptionReadsInEveryLookOnEveryScreen) {
    CreatePlayer("Zoe");
    Measure("play", Start()->GetPlayButton(), true);
    Measure("invitation", Start()->GetCreateButton());
    Measure("exit (start)", game->GetExitButton());

    Gamespace::NewPlayerDialog* newPlayer = Start()->GetNewPlayerDialog();
    Click(Start()->GetCreateButton());
    ASSERT_TRUE(Shown(newPlayer));
    Measure("create", newPlayer->GetCreateButton());
    Measure("cancel", newPlayer->GetCancelButton());
    Type("Zoe");
    Key(SDLK_RETURN);
    ASSERT_TRUE(Shown(newPlayer->GetErrorDialog()));
    Measure("name taken ok", newPlayer->GetErrorDialog()->GetOkButton());
    Key(SDLK_RETURN);
    Key(SDLK_ESCAPE);
    ASSERT_FALSE(Shown(newPlayer));

    Key(SDLK_ESCAPE);
    ASSERT_TRUE(Shown(game->GetExitDialog()));
    Measure("yes", game->GetExitDialog()->GetYesButton());
    Measure("no", game->GetExitDialog()->GetNoButton());
    Key(SDLK_ESCAPE);

    EnterGame();
    Measure("menu", Play()->GetMenuButton());
    Measure("difficulty", Play()->GetDifficultyButton());
    Measure("exit (game)", game->GetExitButton());
    Click(Play()->GetMenuButton());
    ASSERT_TRUE(Shown(Play()->GetMenuDialog()));
    Measure("resume", Play()->GetMenuDialog()->GetResumeButton());
    Measure("main menu", Play()->GetMenuDialog()->GetMainMenuButton());
    Key(SDLK_ESCAPE);
    Click(Play()->GetDifficultyButton());
    ASSERT_TRUE(Shown(Play()->GetLevelsDialog()));
    const char* levels[] = {"easy", "medium", "hard"};
    for (uint16_t d = 0; d < Gamespace::kDifficultyCount; ++d) {
        Measure(levels[d], Play()->GetLevelsDialog()->GetButton(d));
    }
    Key(SDLK_ESCAPE);
    for (const auto& [pair, two] : Pairs()) {
        for (FieldMgr::Card* card : two) {
            Click(card->cover);
        }
    }
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    Measure("result ok", Play()->GetFinishDialog()->GetOkButton());
}

}  // namespace
