#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/IButtonVO.h"
#include "controls/IImageVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextVO.h"
#include "effects/IEffects.h"
#include "game/CardsDialog.h"
#include "game/Dialogs.h"
#include "game/FieldMgr.h"
#include "game/GameModule.h"
#include "game/Owned.h"
#include "game/StatisticsDlg.h"
#include "time/ITimeSystem.h"

namespace Gamespace {

// "Player with this name already exist!" with "Ok".
class ErrorDialog : public BaseDialog {
public:
    explicit ErrorDialog(ControlLibrary::DialogMessageObserver* owner);
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    ControlLibrary::IButtonVO* GetOkButton() const { return m_ok; }
    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override { return {m_ok}; }
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_ok; }

private:
    ControlLibrary::IButtonVO* m_ok;
    ControlLibrary::IStringVO* m_label;
};

// "Delete <name> and their bests?" with "Yes" and "No".
class DeleteDialog : public BaseDialog {
public:
    explicit DeleteDialog(ControlLibrary::DialogMessageObserver* owner);
    // Asks about `name`; the answer is GetResult once it is hidden.
    void Ask(const std::string& name);
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    bool GetResult() const { return m_yes; }
    const std::string& GetName() const { return m_name; }
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
    std::string m_name;
    bool m_yes = false;
};

// "Enter your name:" with a name box, "Create" and "Cancel". Adds the player
// and makes them current, or shows the error dialog for a name in use. When
// other players exist it also lists them by name: Down (or a click) lights
// one, Enter (or a click on the lit one) makes them current, "Delete" removes them after
// asking. A long list scrolls with the arrows and with "Up" and "Down".
class NewPlayerDialog : public BaseDialog,
                        public ControlLibrary::IEditBoxMsgObserver,
                        public ControlLibrary::KeybdMessageObserver {
public:
    explicit NewPlayerDialog(ControlLibrary::DialogMessageObserver* owner);
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    // Enter in the name box presses "Create".
    void OnKeyDown(int32_t id, int32_t key) override;
    // "Create" is usable while the name is not empty.
    void OnTextChanged(int32_t id) override;
    // Shown, or back from the error dialog: an empty, focused name box.
    void OnDialogShown(int32_t id, bool shown) override;
    // Lists the other players (when any) and shows or hides the dialog.
    void Show(bool on) override;
    // Up and Down move over the list (Up from its top back to the name box).
    bool HandleKey(int32_t key, bool shift) override;

    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override;
    static constexpr size_t kVisibleRows = 5;
    // The other players as listed (by name without regard to case).
    const std::vector<std::string>& GetListed() const { return m_listed; }
    // The lit player's index in GetListed (-1: none).
    int GetLit() const { return m_lit; }
    // The row buttons, top to bottom; row r shows GetListed()[GetTop() + r].
    const std::vector<ControlLibrary::IButtonVO*>& GetRows() const { return m_rows; }
    size_t GetTop() const { return m_top; }
    ControlLibrary::IButtonVO* GetDeleteButton() const { return m_delete; }
    ControlLibrary::IButtonVO* GetScrollButton(bool down) const {
        return down ? m_scrollDown : m_scrollUp;
    }
    DeleteDialog* GetDeleteDialog() const { return m_confirm.get(); }
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_cancel; }
    ControlLibrary::IButtonVO* GetCreateButton() const { return m_create; }
    ControlLibrary::IButtonVO* GetCancelButton() const { return m_cancel; }
    ControlLibrary::IEditBoxVO* GetEditBox() const { return m_edit; }
    ErrorDialog* GetErrorDialog() const { return m_error.get(); }

protected:
    bool TakesText() const override { return true; }

private:
    // Reads the list again (after a deletion) and shows it from `m_top`.
    void FillList();
    void ShowRows();
    // Lights listed player `index` (-1: none), scrolling it into view.
    void Light(int index);
    void Pick(int index);
    bool HasList() const { return !m_listed.empty() || m_withList; }

    ControlLibrary::IButtonVO* m_create;
    ControlLibrary::IButtonVO* m_cancel;
    ControlLibrary::IButtonVO* m_delete;
    ControlLibrary::IButtonVO* m_scrollUp;
    ControlLibrary::IButtonVO* m_scrollDown;
    ControlLibrary::IStringVO* m_prompt;
    ControlLibrary::IEditBoxVO* m_edit;
    std::vector<ControlLibrary::IButtonVO*> m_rows;
    std::vector<std::string> m_listed;
    size_t m_top = 0;
    int m_lit = -1;
    bool m_withList = false;  // opened with a list: it keeps its size until closed
    std::unique_ptr<ErrorDialog> m_error;
    std::unique_ptr<DeleteDialog> m_confirm;
};

// "Players": who plays with the current player. Three seats after theirs,
// each chosen in turn from nobody, the other players and the computer at its
// three strengths; a name typed in adds a new player to the first free seat.
// "Play" starts the game with them (GetResult), "Cancel" leaves things as
// they were.
class PlayersDlg : public BaseDialog,
                   public ControlLibrary::IEditBoxMsgObserver,
                   public ControlLibrary::KeybdMessageObserver {
public:
    explicit PlayersDlg(ControlLibrary::DialogMessageObserver* owner);
    void Show(bool on) override;
    void Layout() override;
    void OnMouseClick(int32_t id) override;
    // Enter in the name box: the lit button, else "Add" with a name, else "Play".
    void OnKeyDown(int32_t id, int32_t key) override;
    void OnTextChanged(int32_t id) override;
    void OnDialogShown(int32_t id, bool shown) override;
    // Up and Down walk the buttons as Shift+Tab and Tab do.
    bool HandleKey(int32_t key, bool shift) override;

    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override;
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_cancel; }
    // True when it was closed with "Play".
    bool GetResult() const { return m_play; }
    // The players chosen, in turn order: the current player first.
    std::vector<Seat> GetSeats() const;
    static constexpr size_t kOtherSeats = 3;
    ControlLibrary::IButtonVO* GetSeatButton(size_t i) const { return m_seatButtons[i]; }
    ControlLibrary::IButtonVO* GetPlayButton() const { return m_playButton; }
    ControlLibrary::IButtonVO* GetAddButton() const { return m_add; }
    ControlLibrary::IButtonVO* GetCancelButton() const { return m_cancel; }
    ControlLibrary::IEditBoxVO* GetEditBox() const { return m_edit; }
    ErrorDialog* GetErrorDialog() const { return m_error.get(); }

protected:
    bool TakesText() const override { return true; }

private:
    // Seat `i`'s next choice: nobody, the players not seated elsewhere, the computer.
    void NextChoice(size_t i);
    void ShowSeats();
    void AddTyped();

    ControlLibrary::IStringVO* m_title;
    ControlLibrary::IStringVO* m_first;  // the current player, who always plays
    ControlLibrary::IButtonVO* m_seatButtons[kOtherSeats];
    std::optional<Seat> m_seats[kOtherSeats];
    ControlLibrary::IStringVO* m_prompt;
    ControlLibrary::IEditBoxVO* m_edit;
    ControlLibrary::IButtonVO* m_add;
    ControlLibrary::IButtonVO* m_cancel;
    ControlLibrary::IButtonVO* m_playButton;
    std::unique_ptr<ErrorDialog> m_error;
    bool m_play = false;
};

// The start screen: greets the current player, "Play" starts the game, the
// second button lets another person create a profile. Opens the new-player
// dialog by itself while there is no player.
class StartMgr : public GameModule,
                 public ControlLibrary::MouseMessageObserver,
                 public ControlLibrary::KeybdMessageObserver,
                 public ControlLibrary::DialogMessageObserver,
                 public EffectLibrary::EffectMessageObserver,
                 public TimeLibrary::TimeObjectMessageObserver {
public:
    StartMgr(GameModuleObserver* observer, int32_t id) : GameModule(observer, id) {}
    ~StartMgr() override;

    void Initialize() override;
    void Release() override;
    void Show() override;
    void Hide() override;
    // Shows the current player's name and the invitation for somebody else.
    void Refresh();

    void OnMouseClick(int32_t id) override;
    void OnTimeObjectFinish(int32_t id) override;
    void OnDialogShown(int32_t id, bool shown) override;

    // The row's places, left to right, whatever order they are added in.
    enum class RowSlot : uint8_t { Players, Cards, Options, Statistics };
    // Adds a button at `slot` to the row below "Play"; the row stays centred
    // and is shown with the screen. `press` runs on its click (or Enter on it).
    ControlLibrary::IButtonVO* AddRowButton(RowSlot slot, const std::string& caption,
                                            std::function<void()> press);
    // The row's buttons, left to right.
    std::vector<ControlLibrary::IButtonVO*> GetRowButtons() const;
    // The button at `slot`; null while there is none.
    ControlLibrary::IButtonVO* GetRowButton(RowSlot slot) const;

    ControlLibrary::IButtonVO* GetPlayButton() const { return m_play; }
    ControlLibrary::IButtonVO* GetCreateButton() const { return m_create; }
    ControlLibrary::IStringVO* GetNameLabel() const { return m_name; }
    NewPlayerDialog* GetNewPlayerDialog() const { return m_newPlayer.get(); }
    StatisticsDlg* GetStatisticsDialog() const { return m_statistics.get(); }
    // The choice of card sets that "Cards" opens.
    CardsDialog* GetCardsDialog() const { return m_cards.get(); }
    ControlLibrary::IStringVO* GetBestsLabel() const { return m_bests; }

private:
    ControlLibrary::IButtonVO* m_play = nullptr;
    ControlLibrary::IButtonVO* m_create = nullptr;
    ControlLibrary::IImageVO* m_background = nullptr;
    ControlLibrary::IStringVO* m_greeting = nullptr;
    ControlLibrary::IStringVO* m_name = nullptr;
    ControlLibrary::IStringVO* m_bests = nullptr;  // the current player's bests, when any
    ControlLibrary::IFont* m_bestsFont = nullptr;
    struct RowButton {
        RowSlot slot;
        ControlLibrary::IButtonVO* button;
        std::function<void()> press;
    };
    std::vector<RowButton> m_row;
    void LayoutRow();
    // "Play" and the row's buttons: the script font on the start screen's plates.
    ButtonStyle StartButtonStyle() const;
    std::unique_ptr<NewPlayerDialog> m_newPlayer;
    std::unique_ptr<StatisticsDlg> m_statistics;
    std::unique_ptr<CardsDialog> m_cards;
    TimeLibrary::ITimeObject* m_firstRunTimer = nullptr;  // owned by the time system
    ControlLibrary::IFont* m_measuringFont = nullptr;
    ControlLibrary::IFont* m_labelFont = nullptr;
    ControlLibrary::ISound* m_pressSound = nullptr;
    OwnedControls m_owned;  // the controls and resources above, given back by Release
};

}  // namespace Gamespace
