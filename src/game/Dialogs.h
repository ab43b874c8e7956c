#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "controls/IButtonVO.h"
#include "controls/IDialogVO.h"
#include "controls/IImageVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextVO.h"
#include "controls/Resources.h"
#include "game/Difficulty.h"
#include "game/KeyboardNav.h"
#include "game/Layout.h"
#include "game/Owned.h"
#include "game/Profiles.h"
#include "game/Style.h"
#include "game/Texts.h"
#include "time/ITimeSystem.h"

namespace Gamespace {

using ControlLibrary::Colour;

inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kPaleYellow{255, 255, 128};
inline constexpr Colour kGrey{203, 203, 192};
inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kGold{248, 208, 87};
inline constexpr Colour kYellow{255, 255, 10};
inline constexpr const char* kMenuFont = "fonts/MonotypeCorsiva14Italics.txt";

// The base of the game's pop-up windows: a dialog control centred on the
// screen, made and released through the control factory, whose children are
// placed by Layout in its own coordinates. Owners learn of its closing from
// the dialog control's shown/hidden notification. Main thread unless noted.
class BaseDialog : public ControlLibrary::MouseMessageObserver,
                   public ControlLibrary::DialogMessageObserver {
public:
    // `owner` (may be null) hears OnDialogShown; it must outlive the dialog.
    explicit BaseDialog(ControlLibrary::DialogMessageObserver* owner = nullptr);
    ~BaseDialog() override;
    BaseDialog(const BaseDialog&) = delete;
    BaseDialog& operator=(const BaseDialog&) = delete;

    // Places the children, then shows or hides the dialog control (modal
    // while shown).
    virtual void Show(bool on);
    virtual void Layout() = 0;

    ControlLibrary::IDialogVO* GetDialog() const { return m_dialog; }
    int32_t GetDialogId() const { return m_dialog != nullptr ? m_dialog->GetId() : -1; }
    bool IsShown() const { return m_dialog != nullptr && m_dialog->IsShown(); }

    // The keyboard. The buttons Tab, Shift+Tab and the arrows move a
    // highlight between (in their order on the screen) and Enter or Space
    // presses, and the one Escape presses (null: Escape does nothing here).
    virtual std::vector<ControlLibrary::IButtonVO*> KeyButtons() const { return {}; }
    virtual ControlLibrary::IButtonVO* EscapeButton() const { return nullptr; }
    // Handles a key while the dialog is shown; true when it was the dialog's.
    virtual bool HandleKey(int32_t key, bool shift);
    ControlLibrary::IButtonVO* GetHighlighted() const;

protected:
    // A font through the factory; released by this dialog.
    ControlLibrary::IFont* MakeFont(const std::string& path);
    // A caption-only button in `style`, on the dialog controls' layer, `size`
    // with its caption `captionY` below its centre, a child of this dialog
    // whose clicks this dialog hears.
    ControlLibrary::IButtonVO* MakeChildButton(const ButtonStyle& style, const std::string& text,
                                               Extent size, int32_t captionY);
    // The prompts' buttons: white captions in `font` over "images/btn_def.png",
    // with `pressSound` (released with this dialog).
    ButtonStyle PromptButtonStyle(ControlLibrary::IFont* font, const std::string& pressSound);
    // A button in the menus' common style, a child of this dialog.
    ControlLibrary::IButtonVO* MakeMenuButton(ControlLibrary::IFont* font, const std::string& text);
    // A centred label, a child of this dialog.
    ControlLibrary::IStringVO* MakeLabel(ControlLibrary::IFont* font, const std::string& text,
                                         uint16_t zOrder, const Colour& colour);
    // Places `child` at `fromCentre` from the dialog's centre.
    void Place(ControlLibrary::IVisibleObject* child, Spot fromCentre) const;
    int32_t Width() const;
    int32_t Height() const;
    // A dialog whose name box takes the typing: Space and the arrows stay
    // with the box, and Enter is the box's (which presses a highlighted button).
    virtual bool TakesText() const { return false; }
    // Highlights KeyButtons()[index] (-1: none).
    void Highlight(int index);
    // Remembers a control or resource for release with the dialog.
    template <class T>
    T* Own(T* object) {
        return m_owned.Own(object);
    }

    ControlLibrary::IDialogVO* m_dialog = nullptr;

private:
    // Moves the highlight by `step` over the usable buttons, round the ends.
    void MoveHighlight(int step);

    OwnedControls m_owned;
    int m_highlight = -1;
};

// The in-game menu: "Resume" and "Main menu".
class MenuDlg : public BaseDialog {
public:
    enum Result : uint8_t { kResume = 0, kMainMenu = 1, kOptions = 2 };
    explicit MenuDlg(ControlLibrary::DialogMessageObserver* owner);
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    uint8_t GetResult() const { return m_result; }
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override {
        return {m_resume, m_mainMenu, m_options};
    }
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_resume; }
    ControlLibrary::IButtonVO* GetResumeButton() const { return m_resume; }
    ControlLibrary::IButtonVO* GetMainMenuButton() const { return m_mainMenu; }
    ControlLibrary::IButtonVO* GetOptionsButton() const { return m_options; }

private:
    ControlLibrary::IButtonVO* m_resume;
    ControlLibrary::IButtonVO* m_mainMenu;
    ControlLibrary::IButtonVO* m_options;
    ControlLibrary::IStringVO* m_label;
    uint8_t m_result = 0;
};

// The difficulty choice: "Easy", "Medium", "Hard" give kEasy, kMedium, kHard.
class LevelsDlg : public BaseDialog {
public:
    explicit LevelsDlg(ControlLibrary::DialogMessageObserver* owner);
    // Opens with the current difficulty lit.
    void Show(bool on) override;
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    uint16_t GetResult() const { return m_result; }
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override {
        return {m_buttons[kEasy], m_buttons[kMedium], m_buttons[kHard]};
    }
    // Escape keeps the difficulty as it is, as choosing it again does.
    ControlLibrary::IButtonVO* EscapeButton() const override;
    // The button choosing `difficulty` (a Difficulty).
    ControlLibrary::IButtonVO* GetButton(uint16_t difficulty) const {
        return m_buttons[difficulty];
    }

private:
    ControlLibrary::IButtonVO* m_buttons[kDifficultyCount];
    uint16_t m_result = 0;
};

// m:s as the result shows a time ("0:5", "1:12").
std::string ResultTime(uint32_t seconds);

// The result: "Congratulations!" with the time and the attempts, then the
// player's best for the difficulty and "New best!" when this game beat it.
class FinishDlg : public BaseDialog {
public:
    explicit FinishDlg(ControlLibrary::DialogMessageObserver* owner);
    // Fills the text box from the time and attempts when shown; clears both
    // when hidden.
    void Show(bool on) override;
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    void SetResult(uint32_t seconds, uint16_t attempts) {
        m_time = seconds;
        m_attempts = attempts;
    }
    // The player's best for this difficulty, this game counted, and whether
    // this game beat the one before.
    // `apart`: the game's bests are kept apart from the usual ones (a
    // preview other than three seconds), which the result says.
    void SetBest(const PersonalBest& best, const BestChange& change, bool apart = false) {
        m_best = best;
        m_change = change;
        m_apart = apart;
    }
    // The card set's name, shown with the result when it is not the first built-in set.
    void SetCardSetName(const std::string& name) { m_cardSetName = name; }
    ControlLibrary::ITextBoxVO* GetTextBox() const { return m_text; }
    ControlLibrary::IButtonVO* GetOkButton() const { return m_ok; }
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override { return {m_ok}; }
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_ok; }

private:
    ControlLibrary::IButtonVO* m_ok;
    ControlLibrary::ITextBoxVO* m_text;
    ControlLibrary::IFont* m_font;
    ControlLibrary::IFont* m_smallFont;
    uint32_t m_time = 0;
    uint16_t m_attempts = 0;
    PersonalBest m_best;
    BestChange m_change;
    std::string m_cardSetName;
    bool m_apart = false;
};

// The result of a game with others: each player's pairs and attempts, the
// winner or a draw, then "Play again" with the same players or "Main menu".
class MatchResultDlg : public BaseDialog {
public:
    enum Result : uint8_t { kPlayAgain = 0, kMainMenu = 1 };
    struct Line {
        std::string name;
        uint16_t pairs = 0;
        uint16_t attempts = 0;
    };
    explicit MatchResultDlg(ControlLibrary::DialogMessageObserver* owner);
    // What it shows next: the players in turn order and the leaders' indices.
    void SetResult(std::vector<Line> lines, std::vector<size_t> leaders) {
        m_lines = std::move(lines);
        m_leaders = std::move(leaders);
    }
    void Show(bool on) override;
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    uint8_t GetResult() const { return m_result; }
    ControlLibrary::ITextBoxVO* GetTextBox() const { return m_text; }
    ControlLibrary::IButtonVO* GetPlayAgainButton() const { return m_again; }
    ControlLibrary::IButtonVO* GetMainMenuButton() const { return m_mainMenu; }
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override {
        return {m_again, m_mainMenu};
    }
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_mainMenu; }

private:
    ControlLibrary::IButtonVO* m_again;
    ControlLibrary::IButtonVO* m_mainMenu;
    ControlLibrary::ITextBoxVO* m_text;
    ControlLibrary::IFont* m_font;
    ControlLibrary::IFont* m_smallFont;
    std::vector<Line> m_lines;
    std::vector<size_t> m_leaders;
    uint8_t m_result = kPlayAgain;
};

// The count-down before play, as long as the player's preview (three
// seconds unless they chose otherwise). Counts on the timer thread and hides
// itself there at 0.
class TimerDlg : public BaseDialog, public TimeLibrary::TimeObjectMessageObserver {
public:
    explicit TimerDlg(ControlLibrary::DialogMessageObserver* owner);
    ~TimerDlg() override;
    void Show(bool on) override;
    void Layout() override;
    void OnTimeObjectTick(int32_t id) override;
    // The seconds the next count-down counts (at least 1).
    void SetSeconds(uint16_t seconds) { m_seconds = std::max<uint16_t>(seconds, 1); }
    // Holds the count where it stands (under the exit confirmation) or lets it go on.
    void SetPaused(bool on);
    ControlLibrary::IStringVO* GetLabel() const { return m_label; }

private:
    ControlLibrary::IStringVO* m_label;
    TimeLibrary::ITimeObject* m_countDown = nullptr;  // owned by the time system
    uint16_t m_count = 0;
    uint16_t m_seconds = BestsKey::kUsualPreviewSeconds;
};

// "Are you sure want to exit?" with "Yes" and "No", over a shade that covers
// the screen below it.
class ExitDialog : public BaseDialog {
public:
    explicit ExitDialog(ControlLibrary::DialogMessageObserver* owner);
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    // Keeps the shade directly under the dialog and shown with it.
    void OnDialogShown(int32_t id, bool shown) override;
    bool GetResult() const { return m_yes; }
    ControlLibrary::IImageVO* GetShade() const { return m_shade; }
    ControlLibrary::IButtonVO* GetYesButton() const { return m_yesButton; }
    ControlLibrary::IButtonVO* GetNoButton() const { return m_noButton; }
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override {
        return {m_noButton, m_yesButton};
    }
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_noButton; }

private:
    ControlLibrary::IButtonVO* m_yesButton;
    ControlLibrary::IButtonVO* m_noButton;
    ControlLibrary::IStringVO* m_label;
    ControlLibrary::IImageVO* m_shade;
    bool m_yes = false;
};

}  // namespace Gamespace
