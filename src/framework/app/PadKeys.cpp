#include "framework/app/PadKeys.h"

namespace Brisk {

namespace {

int KeyOf(Platform::PadButton button) {
    using Platform::PadButton;
    namespace Vk = Platform::Vk;
    switch (button) {
        case PadButton::Up:
            return Vk::Up;
        case PadButton::Down:
            return Vk::Down;
        case PadButton::Left:
            return Vk::Left;
        case PadButton::Right:
            return Vk::Right;
        case PadButton::A:
            return Vk::Return;
        case PadButton::B:
            return Vk::Escape;
        case PadButton::Start:
            return Vk::Apps;
        case PadButton::NextItem:
        case PadButton::PreviousItem:
            return Vk::Tab;
        case PadButton::Back:
            break;
    }
    return 0;
}

bool IsDirection(int key) {
    return key >= Platform::Vk::Left && key <= Platform::Vk::Down;
}

// Signed difference of two tick counts, so a clock that wraps still orders them.
int32_t TickDiff(uint32_t a, uint32_t b) {
    return static_cast<int32_t>(a - b);
}

}  // namespace

std::vector<PadKeys::Action> PadKeys::Press(Platform::PadButton button, bool down, uint32_t now) {
    using Kind = Action::Kind;
    if (button == Platform::PadButton::Back) {
        return down ? std::vector<Action>{{Kind::Close}} : std::vector<Action>{};
    }
    const int key = KeyOf(button);
    if (button == Platform::PadButton::PreviousItem) {
        // Shift held around the Tab, as a player's fingers would.
        return down
                   ? std::vector<Action>{{Kind::KeyDown, Platform::Vk::Shift}, {Kind::KeyDown, key}}
                   : std::vector<Action>{{Kind::KeyUp, key}, {Kind::KeyUp, Platform::Vk::Shift}};
    }
    if (IsDirection(key)) {
        if (down) {
            m_heldKey = key;  // the latest direction repeats, as the latest key does
            m_nextRepeat = now + kRepeatDelay;
        } else if (key == m_heldKey) {
            m_heldKey = 0;
        }
    }
    return {{down ? Kind::KeyDown : Kind::KeyUp, key}};
}

std::vector<PadKeys::Action> PadKeys::Tick(uint32_t now) {
    std::vector<Action> repeats;
    // A long stall gives one repeat, not a burst.
    if (m_heldKey != 0 && TickDiff(now, m_nextRepeat) >= 0) {
        repeats.push_back({Action::Kind::KeyDown, m_heldKey});
        m_nextRepeat = now + kRepeatEvery;
    }
    return repeats;
}

}  // namespace Brisk
