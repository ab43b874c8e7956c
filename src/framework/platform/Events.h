#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/platform/Messages.h"

union SDL_Event;
struct SDL_MouseButtonEvent;

namespace Brisk::Platform {

class Clock;

// Turns the platform's input and window events into WindowMessages.
// Main thread only.
// Gamepads are SDL game controllers: each is opened as it is plugged in
// (those present at start are announced the same way) and closed when it
// is unplugged; the D-pad and the left stick arrive as PadDown and PadUp.
class EventPump {
public:
    using Handler = std::function<void(const WindowMessage&)>;

    // Starts the game-controller service (without it, no gamepad is heard).
    EventPump();
    ~EventPump();
    EventPump(const EventPump&) = delete;
    EventPump& operator=(const EventPump&) = delete;
    // The gamepads open now.
    int CountGamepads() const;

    // Delivers every pending event to `handler`, in arrival order; returns the
    // number of platform events taken. Stops early when `stop` returns true.
    int Pump(const Handler& handler, const std::function<bool()>& stop = {});
    // Sleeps `ms` on `clock` before the next Pump. On the system clock the
    // sleep also watches the window system, which spares that Pump a look.
    static void Sleep(Clock& clock, uint32_t ms);
    // Waits up to `ms` for input or a Wake, whichever comes first. On the
    // system clock with a watched window system the wait ends early; without
    // one it lasts at most `unwatchedMs` (input could not end it). A manual
    // clock advances by `ms`. Main thread only.
    static void WaitForInput(Clock& clock, uint32_t ms, uint32_t unwatchedMs);
    // Ends the main thread's current or next WaitForInput at once. Any
    // thread, also a signal handler.
    static void Wake();
    // Delivers the messages one platform event makes (none, one or more).
    void Translate(const SDL_Event& event, const Handler& handler);

    // Asks the event source to deliver `message` through the next Pump.
    // Safe from any thread (used by the single-instance listener).
    static bool Post(const WindowMessage& message);

    // Starts or stops text input (the source of Char messages for characters
    // that are not control keys).
    static void EnableTextInput(bool on);

private:
    // Also tracks the buttons held.
    WindowMessage TranslateMouseButton(const SDL_MouseButtonEvent& event);

    int64_t m_buttons = 0;  // kMouseLeft | kMouseRight | kMouseMiddle currently held
    struct Gamepads;
    std::unique_ptr<Gamepads> m_pads;
};

}  // namespace Brisk::Platform
