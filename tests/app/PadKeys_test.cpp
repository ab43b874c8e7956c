// Gamepad presses as the keys the application answers, and the repeat of a
// held direction, on times given by hand.

#include <gtest/gtest.h>

#include "framework/app/PadKeys.h"

namespace {

using Brisk::PadKeys;
using Brisk::Platform::PadButton;
using Kind = PadKeys::Action::Kind;
using Actions = std::vector<PadKeys::Action>;
namespace Vk = Brisk::Platform::Vk;

TEST(PadKeys, EveryButtonIsAKeyOrAClose) {
    const struct {
        PadButton button;
        Actions down;
        Actions up;
    } cases[] = {
        {PadButton::Up, {{Kind::KeyDown, Vk::Up}}, {{Kind::KeyUp, Vk::Up}}},
        {PadButton::Down, {{Kind::KeyDown, Vk::Down}}, {{Kind::KeyUp, Vk::Down}}},
        {PadButton::Left, {{Kind::KeyDown, Vk::Left}}, {{Kind::KeyUp, Vk::Left}}},
        {PadButton::Right, {{Kind::KeyDown, Vk::Right}}, {{Kind::KeyUp, Vk::Right}}},
        {PadButton::A, {{Kind::KeyDown, Vk::Return}}, {{Kind::KeyUp, Vk::Return}}},
        {PadButton::B, {{Kind::KeyDown, Vk::Escape}}, {{Kind::KeyUp, Vk::Escape}}},
        {PadButton::Start, {{Kind::KeyDown, Vk::Apps}}, {{Kind::KeyUp, Vk::Apps}}},
        {PadButton::NextItem, {{Kind::KeyDown, Vk::Tab}}, {{Kind::KeyUp, Vk::Tab}}},
        {PadButton::PreviousItem,
         {{Kind::KeyDown, Vk::Shift}, {Kind::KeyDown, Vk::Tab}},
         {{Kind::KeyUp, Vk::Tab}, {Kind::KeyUp, Vk::Shift}}},
        {PadButton::Back, {{Kind::Close}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.button));
        PadKeys keys;
        EXPECT_EQ(keys.Press(c.button, true, 1000), c.down);
        EXPECT_EQ(keys.Press(c.button, false, 1010), c.up);
        EXPECT_TRUE(keys.Tick(5000).empty());  // nothing held, nothing repeats
    }
}

// A held direction repeats after a pause, then steadily; the latest one
// pressed repeats; letting it go ends the repeat. Other buttons never repeat.
TEST(PadKeys, AHeldDirectionRepeatsLikeAHeldKey) {
    PadKeys keys;
    const Actions right{{Kind::KeyDown, Vk::Right}};
    keys.Press(PadButton::Right, true, 1000);
    EXPECT_TRUE(keys.Tick(1000 + PadKeys::kRepeatDelay - 1).empty());
    EXPECT_EQ(keys.Tick(1000 + PadKeys::kRepeatDelay), right);
    EXPECT_TRUE(keys.Tick(1000 + PadKeys::kRepeatDelay + 1).empty());
    EXPECT_EQ(keys.Tick(1000 + PadKeys::kRepeatDelay + PadKeys::kRepeatEvery), right);
    // A long stall gives one repeat, not a burst.
    EXPECT_EQ(keys.Tick(9000), right);
    EXPECT_TRUE(keys.Tick(9000 + PadKeys::kRepeatEvery - 1).empty());
    // Down pressed over it takes over; letting go of Right then changes nothing.
    keys.Press(PadButton::Down, true, 10000);
    keys.Press(PadButton::Right, false, 10001);
    EXPECT_EQ(keys.Tick(10000 + PadKeys::kRepeatDelay), (Actions{{Kind::KeyDown, Vk::Down}}));
    keys.Press(PadButton::Down, false, 11000);
    EXPECT_TRUE(keys.Tick(20000).empty());
    keys.Press(PadButton::A, true, 30000);
    EXPECT_TRUE(keys.Tick(40000).empty());
}

}  // namespace
