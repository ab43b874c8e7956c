#pragma once

#include <atomic>
#include <memory>

#include "controls/IButtonVO.h"
#include "controls/IImageVO.h"
#include "controls/IStringVO.h"
#include "effects/IEffects.h"
#include "game/Dialogs.h"
#include "game/FieldMgr.h"
#include "game/GameModule.h"
#include "game/KeyboardNav.h"
#include "game/Owned.h"
#include "game/Profiles.h"
#include "time/ITimeSystem.h"

namespace Gamespace {

// The game screen: the field, a clock that runs from the end of the count-down
// until the last pair, "Menu", a button naming the difficulty, and the menu,
// difficulty and result dialogs. Clicks and dialogs arrive on the main thread;
// clock ticks and the count-down's end on the timer thread.
class GameMgr : public GameModule,
                public ControlLibrary::MouseMessageObserver,
                public ControlLibrary::DialogMessageObserver,
                public EffectLibrary::EffectMessageObserver,
                public TimeLibrary::TimeObjectMessageObserver,
                public IOptionObserver,
                public ControlLibrary::KeybdSysMessageObserver,
                public FieldMgrObserver {
public:
    GameMgr(GameModuleObserver* observer, int32_t id) : GameModule(observer, id) {}
    ~GameMgr() override;

    void Initialize() override;
    void Release() override;
    // Shows the screen and deals a new field.
    void Show() override;
    void Hide() override;
    // Freezes (and greys) or resumes the clock and a running count-down;
    // nothing while one of the screen's dialogs is shown.
    void Pause(bool on);
    void NewGame();
    void RefreshDifficultyButton();
    // Opens the in-game menu again (back from "Options"); the game stays paused.
    void ShowMenu();
    // The preview length of the field being played.
    uint8_t GetPreviewSeconds() const { return m_previewSeconds; }

    void OnMemorizeFinished() override;
    // Records the finished game at once; the result box waits for the celebration.
    void OnFieldCleared(uint16_t attempts) override;
    // Who plays the next games, in turn order (the current player first);
    // fewer than two is the solo game.
    void SetSeats(std::vector<Seat> seats);
    // The scores of a game with others: a marker and the colour at whose turn it is.
    void OnTurnChanged() override;
    // A press on the field's background during the computer's turn hurries it.
    void OnMouseDown(int32_t id) override;
    void OnFieldCelebrated() override;
    void OnMouseClick(int32_t id) override;
    void OnTimeObjectTick(int32_t id) override;
    void OnDialogShown(int32_t id, bool shown) override;
    // The clock shows or hides at once as the player chose.
    void OnOptionsChanged() override { ShowClock(); }
    void OnOptionsReset() override {}
    bool IsKeybdActive() override { return m_active; }
    // Keyboard play on the field, when no dialog is open: the arrows move the
    // focus ring, Space or Enter turn the focused card as a click would,
    // Escape opens the menu as "Menu" does. Tab (Shift+Tab) highlights
    // "Menu", then the difficulty button, then the field again; Space or
    // Enter press a highlighted button.
    void HandleKey(int32_t key, bool shift = false);
    // The mouse over the field hides the ring: mouse players never see it.
    void OnFieldPointer() override;
    void OnMouseMove(int32_t id, int32_t x, int32_t y) override;
    void OnMouseEnter(int32_t id) override;
    // The focused card's index in the field, or -1 while the ring is hidden.
    int32_t GetFocusedCard() const;
    ControlLibrary::IImageVO* GetFocusRing() const { return m_ring; }

    bool IsPaused() const { return m_paused; }
    uint32_t GetSeconds() const { return m_seconds; }
    int32_t GetClockId() const { return m_clock != nullptr ? m_clock->GetId() : -1; }
    ControlLibrary::IButtonVO* GetMenuButton() const { return m_menuButton; }
    ControlLibrary::IButtonVO* GetDifficultyButton() const { return m_difficultyButton; }
    ControlLibrary::IStringVO* GetMinutesLabel() const { return m_minutes; }
    ControlLibrary::IStringVO* GetSecondsLabel() const { return m_secondsLabel; }
    MenuDlg* GetMenuDialog() const { return m_menuDialog.get(); }
    LevelsDlg* GetLevelsDialog() const { return m_levelsDialog.get(); }
    FinishDlg* GetFinishDialog() const { return m_finishDialog.get(); }
    MatchResultDlg* GetMatchDialog() const { return m_matchDialog.get(); }
    // The score line of seat `i` and the turn marker (games with others).
    ControlLibrary::IStringVO* GetScoreLabel(size_t i) const { return m_scores[i]; }
    ControlLibrary::IStringVO* GetTurnMarker() const { return m_marker; }
    static constexpr size_t kMaxSeats = 4;

private:
    // Ends the field's animations before a press or key is handled; true when
    // that brought up the result box, which then takes the press.
    bool FinishFieldMotion();
    void SetClockColour(const Colour& colour);
    void ShowRing(size_t card);
    // The ring on the card it was last on, or on a new deal the top-left card.
    void ShowRingWhereItWas();
    void HideRing();
    void FocusButton(int index);
    void RefreshScores();
    // A game with others ended: records, then the result.
    void FinishMatch();
    // The clock shows while the screen does, unless the player hid it.
    void ShowClock();

    ControlLibrary::IImageVO* m_background = nullptr;
    ControlLibrary::IImageVO* m_ring = nullptr;  // the keyboard's focus ring
    size_t m_focusCard = SIZE_MAX;               // SIZE_MAX: none yet on this deal
    int m_buttonFocus = -1;  // Tab's choice: 0 "Menu", 1 the difficulty, -1 the field
    ControlLibrary::IStringVO* m_minutes = nullptr;
    ControlLibrary::IStringVO* m_colon = nullptr;
    ControlLibrary::IStringVO* m_secondsLabel = nullptr;
    ControlLibrary::IButtonVO* m_menuButton = nullptr;
    ControlLibrary::IButtonVO* m_difficultyButton = nullptr;
    std::atomic<bool> m_paused{false};  // read on the timer thread
    std::unique_ptr<FinishDlg> m_finishDialog;
    std::unique_ptr<MenuDlg> m_menuDialog;
    std::unique_ptr<LevelsDlg> m_levelsDialog;
    std::unique_ptr<MatchResultDlg> m_matchDialog;
    ControlLibrary::IStringVO* m_scores[kMaxSeats] = {};
    ControlLibrary::IStringVO* m_marker = nullptr;
    ControlLibrary::IFont* m_scoreFont = nullptr;
    TimeLibrary::ITimeObject* m_clock = nullptr;                // owned by the time system
    std::atomic<uint32_t> m_seconds{0};                         // written by the clock's ticks
    uint8_t m_previewSeconds = BestsKey::kUsualPreviewSeconds;  // of this deal
    ControlLibrary::IFont* m_fontA = nullptr;
    ControlLibrary::IFont* m_fontB = nullptr;
    ControlLibrary::ISound* m_pressSound = nullptr;
    OwnedControls m_owned;  // the controls and resources above, given back by Release
};

}  // namespace Gamespace
