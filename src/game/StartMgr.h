#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/IButtonVO.h"
#include "controls/IImageVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextVO.h"
#include "effects/IEffects.h"
#include "game/CardsDialog.h"
#include "game/Dialogs.h"
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

// "Enter your name:" with a name box, "Create" and "Cancel". Adds the player
// and makes them current, or shows the error dialog for a name in use.
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

    std::vector<ControlLibrary::IButtonVO*> KeyButtons() const override {
        return {m_cancel, m_create};  // left to right
    }
    ControlLibrary::IButtonVO* EscapeButton() const override { return m_cancel; }
    ControlLibrary::IButtonVO* GetCreateButton() const { return m_create; }
    ControlLibrary::IButtonVO* GetCancelButton() const { return m_cancel; }
    ControlLibrary::IEditBoxVO* GetEditBox() const { return m_edit; }
    ErrorDialog* GetErrorDialog() const { return m_error.get(); }

protected:
    bool TakesText() const override { return true; }

private:
    ControlLibrary::IButtonVO* m_create;
    ControlLibrary::IButtonVO* m_cancel;
    ControlLibrary::IStringVO* m_prompt;
    ControlLibrary::IEditBoxVO* m_edit;
    std::unique_ptr<ErrorDialog> m_error;
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

    // Adds a button to the row below "Play" ("Players", "Cards", "Options",
    // "Statistics"), after those added before; the row stays centred and is
    // shown with the screen. `press` runs on its click (or Enter on it).
    ControlLibrary::IButtonVO* AddRowButton(const std::string& caption,
                                            std::function<void()> press);
    // The row's buttons, left to right.
    std::vector<ControlLibrary::IButtonVO*> GetRowButtons() const;

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
        ControlLibrary::IButtonVO* button;
        std::function<void()> press;
    };
    std::vector<RowButton> m_row;
    void LayoutRow();
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
