#pragma once

#include <cstdint>
#include <vector>

#include "framework/platform/Messages.h"

namespace Brisk {

// What gamepad presses mean to the application: the keys it already
// answers. The D-pad (and the stick) are the arrows, repeating while held as
// a held key does; A is Enter, B is Escape, Start is the menu key; the
// shoulders are Tab and Shift+Tab; Back asks to close, as the window's close
// box does. Main thread; time in
// milliseconds from the application's clock.
class PadKeys {
public:
    static constexpr uint32_t kRepeatDelay = 400;  // from the press to the first repeat
    static constexpr uint32_t kRepeatEvery = 100;

    struct Action {
        enum class Kind : uint8_t { KeyDown, KeyUp, Close };
        Kind kind;
        int key = 0;  // a virtual key (none for Close)
        bool operator==(const Action&) const = default;
    };

    // What the press or release of `button` at `now` does.
    std::vector<Action> Press(Platform::PadButton button, bool down, uint32_t now);
    // The repeats of a held direction due by `now`.
    std::vector<Action> Tick(uint32_t now);
    // A direction is held: its repeats need the loop's steps.
    bool IsRepeating() const { return m_heldKey != 0; }

private:
    int m_heldKey = 0;  // the direction held, 0 none
    uint32_t m_nextRepeat = 0;
};

}  // namespace Brisk
