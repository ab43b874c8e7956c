#pragma once

#include <cstdint>

namespace Brisk::Platform {

// Window messages delivered by the platform to the application's window
// procedure. Parameters follow the classic desktop conventions so that the
// framework keeps one meaning for them:
//  - mouse messages: wparam = held-button mask (kMouseLeft|kMouseRight|kMouseMiddle),
//    lparam = packed client position (see MakePointParam);
//  - MouseWheel: wparam = wheel delta in 1/120 notches, lparam = position;
//  - key messages: wparam = virtual-key code; Char: wparam = character 0..255;
//  - ActivateApp: wparam 1 active, 0 inactive;
//  - Size: wparam 0 restored, 1 minimised, 2 maximised; lparam = packed size;
//  - Move: lparam = packed client-area position;
//  - Notify: wparam/lparam from a second instance;
//  - PadDown, PadUp: wparam = a PadButton (any gamepad; the stick moves as the D-pad).
enum class MessageId : uint16_t {
    None,
    Close,
    EndSession,
    Timer,
    Paint,
    MouseMove,
    LButtonDown,
    LButtonUp,
    LButtonDoubleClick,
    RButtonDown,
    RButtonUp,
    RButtonDoubleClick,
    MButtonDown,
    MButtonUp,
    MButtonDoubleClick,
    MouseWheel,
    KeyDown,
    KeyUp,
    Char,
    SysKeyDown,
    SysKeyUp,
    SysChar,
    ActivateApp,
    Move,
    Size,
    SysColorChange,
    DisplayChange,
    NonClientLButtonDown,
    Notify,
    PadDown,
    PadUp,
};

// A gamepad's buttons as the framework knows them.
// The shoulder buttons step to the next or the previous item, as Tab and
// Shift+Tab do.
enum class PadButton : int64_t { Up, Down, Left, Right, A, B, Start, Back, NextItem, PreviousItem };

using WindowId = uint32_t;
// The invisible auxiliary window has no platform window behind it.
inline constexpr WindowId kInvisibleWindowId = 0xFFFF'FFFFu;

struct WindowMessage {
    WindowId window = 0;
    MessageId message = MessageId::None;
    int64_t wparam = 0;
    int64_t lparam = 0;
};

// A client-area mouse move, press, release or double click.
constexpr bool IsMouseMessage(MessageId id) {
    return id >= MessageId::MouseMove && id <= MessageId::MButtonDoubleClick;
}

inline constexpr int64_t kMouseLeft = 0x0001;
inline constexpr int64_t kMouseRight = 0x0002;
inline constexpr int64_t kMouseMiddle = 0x0010;

inline constexpr int64_t kSizeRestored = 0;
inline constexpr int64_t kSizeMinimized = 1;
inline constexpr int64_t kSizeMaximized = 2;

// Packs two signed 16-bit coordinates into one parameter.
constexpr int64_t MakePointParam(int x, int y) {
    return static_cast<int64_t>((static_cast<uint32_t>(static_cast<uint16_t>(x))) |
                                (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}
constexpr int PointParamX(int64_t p) {
    return static_cast<int16_t>(p & 0xFFFF);
}
constexpr int PointParamY(int64_t p) {
    return static_cast<int16_t>((p >> 16) & 0xFFFF);
}

// Virtual-key numbering used throughout the framework.
namespace Vk {
inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Menu = 18;  // Alt
inline constexpr int Pause = 19;
inline constexpr int Capital = 20;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Prior = 33;
inline constexpr int Next = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Apps = 93;  // the menu key
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int Key0 = 48;  // '0'..'9' are 48..57
inline constexpr int KeyA = 65;  // 'A'..'Z' are 65..90
inline constexpr int Numpad0 = 96;
inline constexpr int Multiply = 106;
inline constexpr int Add = 107;
inline constexpr int Subtract = 109;
inline constexpr int Decimal = 110;
inline constexpr int Divide = 111;
inline constexpr int F1 = 112;  // F1..F24 are 112..135
inline constexpr int F4 = 115;
inline constexpr int F10 = 121;
inline constexpr int F12 = 123;
inline constexpr int NumLock = 144;
inline constexpr int Scroll = 145;
inline constexpr int Oem1 = 186;  // ;:
inline constexpr int OemPlus = 187;
inline constexpr int OemComma = 188;
inline constexpr int OemMinus = 189;
inline constexpr int OemPeriod = 190;
inline constexpr int Oem2 = 191;  // /?
inline constexpr int Oem3 = 192;  // `~
inline constexpr int Oem4 = 219;  // [{
inline constexpr int Oem5 = 220;  // \|
inline constexpr int Oem6 = 221;  // ]}
inline constexpr int Oem7 = 222;  // '"
}  // namespace Vk

}  // namespace Brisk::Platform
