#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace KernelLibrary {

// The application as the game sees it.
class ISysApp {
public:
    virtual ~ISysApp() = default;
    // The client size: (width, height).
    virtual std::pair<int32_t, int32_t> GetScreenSize() = 0;
    // Stores the client size and resizes the game's bridge widget, if any.
    virtual void SetScreenSize(std::pair<int32_t, int32_t> size) = 0;
    // Chooses full-screen-window mode (and not windowed) for the next display.
    virtual void SetFullScreen(bool on) = 0;
    // What the music and the sound effects are heard at, each 0.0 (silent)
    // to 1.0 (full); heard at once. Main thread.
    virtual void SetVolumes(double music, double effects) = 0;
    // Full screen or a window, at once (a mode forced on the command line
    // stays); false when the window could not change. Main thread.
    virtual bool SwitchFullScreen(bool on) = 0;
    // Whether the player has the game full screen now (also after
    // Alt+Enter); nothing while the mode is not theirs to choose (forced on
    // the command line, or by a screen too small for a window).
    virtual std::optional<bool> ChosenFullScreen() = 0;
    // Closes the application: the close is queued and handled by the main loop.
    virtual void Quit() = 0;
    // Raw per-user settings access; false when the value cannot be read or
    // written (always while no settings key is configured).
    virtual bool ReadRegistryValue(const std::string& valuePath, uint32_t* type, uint8_t* data,
                                   uint32_t* size, int rootKey) = 0;
    virtual bool WriteRegistryValue(const std::string& valuePath, uint32_t type,
                                    const uint8_t* data, uint32_t size) = 0;
    // Tells the player something that needs no answer, in a message box over
    // the window; on standard error where no box can be shown (no display, or
    // while the program ends on a termination signal). Main thread.
    virtual void ShowMessage(const std::string& text) = 0;
    // Tells the player `text` and ends the process at once with `exitCode`;
    // nothing is saved. For start-up failures that leave nothing to play.
    virtual void FatalError(const std::string& text, int exitCode) = 0;
    // The seed of this run's random numbers: different at every start, the
    // recorded one while a demo plays.
    virtual uint32_t GetDealSeed() = 0;
    // Seconds since 1970 UTC now, as a demo replays it.
    virtual int64_t GetDate() = 0;
    // The card set folder given with "-cards=" (absolute), or empty.
    virtual std::string GetCardSetFolder() { return {}; }
    // Speaks `language` ("de"...) from now on, English when the game has no
    // catalogue for it.
    virtual void SetLanguage(const std::string& /*language*/) {}
};

// The constant client size every game layout is computed from.
std::pair<int32_t, int32_t> GetScreenSize();

}  // namespace KernelLibrary
