#pragma once

#include <memory>

#include "framework/app/BriskAppBase.h"
#include "kernel/IGameBridge.h"
#include "kernel/ISysApp.h"

namespace KernelLibrary {

class IGame;

// The game's rules version, written into demos: bump it when a change to the
// game makes an old demo play differently (a rule, a layout, the order the
// deal draws its numbers in), so that old demos are refused, not misplayed.
inline constexpr uint32_t kDemoRules = 3;  // 3: cards turn, the result follows a celebration

// The application: the framework's application object bound to the game.
class MainApp : public ISysApp, public Brisk::BriskAppBase {
public:
    // `game` must outlive the application.
    explicit MainApp(IGame* game);
    ~MainApp() override;

    // ISysApp
    std::pair<int32_t, int32_t> GetScreenSize() override {
        return {m_windowSettings.width, m_windowSettings.height};
    }
    void SetScreenSize(std::pair<int32_t, int32_t> size) override;
    void SetFullScreen(bool on) override;
    void SetVolumes(double music, double effects) override;
    bool SwitchFullScreen(bool on) override;
    std::optional<bool> ChosenFullScreen() override;
    void Quit() override;
    bool ReadRegistryValue(const std::string& valuePath, uint32_t* type, uint8_t* data,
                           uint32_t* size, int rootKey) override;
    bool WriteRegistryValue(const std::string& valuePath, uint32_t type, const uint8_t* data,
                            uint32_t size) override;
    void ShowMessage(const std::string& text) override;
    void FatalError(const std::string& text, int exitCode) override;
    uint32_t GetDealSeed() override { return GetRandomSeed(); }
    int64_t GetDate() override { return BriskAppBase::GetDate(); }
    // Translates the texts through the first of `wanted` (language names,
    // best first) that the data holds a catalogue for; English when none
    // does or an English one comes first. False for English.
    bool UseLanguage(const std::vector<std::string>& wanted);
    void SetLanguage(const std::string& language) override { UseLanguage({language}); }
    static constexpr size_t kMaxCatalogueBytes = 1u << 20;
    std::string GetCardSetFolder() override { return m_cardSetFolder; }
    // "-cards=PATH": a card set folder for this run, made absolute against
    // the folder the program was started in.
    void HandleCommandLineParam(const std::string& name, const std::string& value) override;

    // BriskAppBase
    void OnLoadingComplete() override;
    // Until the game has called Quit, a close only asks the game (RequestClose).
    void Shutdown() override;
    void Init() override;
    // The loading thread: nothing is decoded ahead (see the definition).
    void LoadingThreadProc() override;
    // Ends the game as a confirmed exit does: the game saves, no question.
    void OnTerminationRequest() override;
    // While a demo records or plays, the game's time follows the updates
    // (two 5 ms steps per 10 ms update) so that a replay at any speed is the
    // same game; otherwise the time system's own thread keeps it.
    void UpdateOnce() override;
    // The time system's next step with a notification (at most a second away).
    uint32_t MsUntilNextDue() override;
    std::vector<Brisk::DemoFile> CollectDemoFiles() override;
    // The recorded files go into "_playback/" in the data folder, which the
    // game then uses instead of the player's own.
    bool UseDemoFiles(const std::vector<Brisk::DemoFile>& files, std::string* error) override;

    // Starts the game's time: its own thread, or the updates while a demo
    // records or plays.
    void StartTime();
    // Where the game runs from. A folder holding "data.pak" (the build
    // folder, an unpacked copy, "-changedir"): as always, the player's files
    // next to it. Otherwise, when the program is installed (its data in
    // "../share/vornique/" from the program's folder): that folder, read
    // only, and the player's files in the per-user data folder.
    bool KeepWorkingDirectory(const std::string& path) override;

    IGame* GetGame() const { return m_game; }
    // Where the bridge sends frames and input instead of the process-wide
    // control factory (tests). Must outlive the bridge.
    void SetFactoryTarget(ControlLibrary::IFactoryFrameTarget* target) { m_factoryTarget = target; }
    IGameBridge* GetBridge() const { return m_bridge.get(); }
    bool IsQuitRequested() const { return m_quitRequested; }

private:
    IGame* m_game;  // not owned
    std::unique_ptr<IGameBridge> m_bridge;
    ControlLibrary::IFactoryFrameTarget* m_factoryTarget = nullptr;
    bool m_quitRequested = false;
    bool m_timeFollowsUpdates = false;
    std::string m_playbackFolder;  // the scratch copy a playback uses
    std::string m_cardSetFolder;   // "-cards="
};

}  // namespace KernelLibrary
