#pragma once

#include <string>

namespace KernelLibrary {

class ISysApp;

// The game as the kernel sees it. Program entry owns it.
class IGame {
public:
    virtual ~IGame() = default;
    // Hands the game the application; `sysApp` outlives the game's use of it.
    virtual void SetSysApp(ISysApp* sysApp) = 0;
    // Creates all of the game's objects (controls, modules, dialogs, sounds).
    virtual void Initialize() = 0;
    // Destroys what Initialize made and saves persistent data.
    virtual void Release() = 0;
    // Shows the game: its first module, music, permanent controls.
    virtual void Activate() = 0;
    // Hides the game and stops its music.
    virtual void Deactivate() = 0;
    virtual void GetName(std::string& out) = 0;
    virtual void GetVersion(std::string& out) = 0;
    // The user asked the window to close; the game decides what happens.
    virtual void RequestClose() = 0;
};

}  // namespace KernelLibrary
