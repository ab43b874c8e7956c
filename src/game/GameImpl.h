#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/IButtonVO.h"
#include "controls/IRectVO.h"
#include "controls/IStringVO.h"
#include "game/Dialogs.h"
#include "game/GameModule.h"
#include "game/Owned.h"
#include "kernel/IGame.h"
#include "time/ITimeSystem.h"

namespace Gamespace {

class GameMgr;
class PlayersDlg;
class OptionsDlg;
class StartMgr;

// The game as the kernel sees it: the start screen and the game screen, the
// controls every screen shares (backdrop, two links, "Exit"), the background
// music and the exit confirmation. Loads the data at start and saves the
// players and options at the end. Main thread.
class GameImpl final : public KernelLibrary::IGame,
                       public GameModuleObserver,
                       public ControlLibrary::MouseMessageObserver,
                       public ControlLibrary::DialogMessageObserver,
                       public TimeLibrary::TimeObjectMessageObserver,
                       public ControlLibrary::KeybdSysMessageObserver {
public:
    GameImpl();
    ~GameImpl() override;

    // The history's dates come from `sysApp` from now on (a demo's own).
    void SetSysApp(KernelLibrary::ISysApp* sysApp) override;
    void Initialize() override;
    void Release() override;
    void Activate() override;
    void Deactivate() override;
    void GetName(std::string& out) override { out = m_name; }
    void GetVersion(std::string& out) override { out = m_version; }
    // Asks "Are you sure want to exit?" unless it is already asked.
    void RequestClose() override;

    void OnModuleFinished(int32_t moduleId) override;
    // "Options" from the in-game menu; the menu opens again when it closes.
    void OnOptionsWanted() override;
    // "Exit" stays usable over the count-down, which it pauses.
    void OnCountDown(bool running) override;
    void OnMouseClick(int32_t id) override;
    void OnDialogShown(int32_t id, bool shown) override;
    // The keyboard: the open dialog on top takes the keys; otherwise the
    // game screen plays (GameMgr::HandleKey). On the start screen Tab,
    // Shift+Tab and the arrows light its buttons and links in turn, Enter or
    // Space presses the lit one ("Play" when none is lit), and Escape asks to
    // exit as "Exit" does; so does Escape over the first player's name prompt.
    // The menu key (a gamepad's Start) is Escape over a dialog and in play,
    // and Enter on the start screen.
    void OnSysKeyDown(int32_t key) override;
    void OnSysKeyUp(int32_t key) override;
    bool IsKeybdActive() override { return m_exitButton != nullptr; }

    StartMgr* GetStartModule() const { return m_startModule.get(); }
    GameMgr* GetGameModule() const { return m_gameModule.get(); }
    ExitDialog* GetExitDialog() const { return m_exitDialog.get(); }
    PlayersDlg* GetPlayersDialog() const { return m_playersDialog.get(); }
    OptionsDlg* GetOptionsDialog() const { return m_optionsDialog.get(); }
    ControlLibrary::IButtonVO* GetExitButton() const { return m_exitButton; }
    ControlLibrary::ILinkVO* GetLink(int i) const { return m_links[i]; }
    // The start screen's lit button or link (-1: none), in reading order:
    // "Play", the new-player invitation, "Exit", then the two links.
    int GetStartHighlight() const { return m_startHighlight; }

private:
    // False (after a fatal report) when neither "data.pak" nor loose data files are there.
    bool CheckGameData();
    // The player's own card sets and this run's set ("-cards="); tells the
    // player once which sets are not offered, and why.
    void LoadCardSets();
    // Pauses the game and asks "Are you sure want to exit?".
    void AskExit();
    // The game's dialogs that may be open, the one on top first.
    std::vector<BaseDialog*> OpenableDialogs() const;
    // Whether "Exit" stays usable over a modal moment: the count-down, or the
    // first player's name prompt (which has no "Cancel").
    bool ExitStaysUsable() const;

    // What the keyboard walks on the start screen.
    struct KeyTarget {
        ControlLibrary::IVisibleObject* object;
        std::function<void(bool)> light;
        std::function<void()> press;
    };
    std::vector<KeyTarget> StartKeyTargets();
    void HandleStartKey(int32_t key);
    // Lights target `index` of StartKeyTargets (-1: none).
    void LightStartTarget(int index);
    // Opens link `link`'s page in the browser, or says it is missing.
    void OpenPage(int link);

    KernelLibrary::ISysApp* m_sysApp = nullptr;  // not owned
    std::string m_name = "Vornique";
    std::string m_version = "1.0";
    std::unique_ptr<StartMgr> m_startModule;
    std::unique_ptr<GameMgr> m_gameModule;
    std::unique_ptr<ExitDialog> m_exitDialog;
    std::unique_ptr<PlayersDlg> m_playersDialog;  // "Players" on the start screen
    std::unique_ptr<OptionsDlg> m_optionsDialog;
    ControlLibrary::ILinkVO* m_links[2] = {nullptr, nullptr};
    ControlLibrary::IRectVO* m_linkMark = nullptr;  // underlines the lit link
    int m_startHighlight = -1;
    ControlLibrary::IButtonVO* m_exitButton = nullptr;
    ControlLibrary::IRectVO* m_backdrop = nullptr;
    ControlLibrary::ISound* m_music = nullptr;
    ControlLibrary::IFont* m_font = nullptr;
    std::atomic<bool> m_countingDown{false};  // set on the timer thread at the end
    bool m_shiftDown = false;                 // for Shift+Tab
    OwnedControls m_owned;                    // the controls and resources above
};

}  // namespace Gamespace
