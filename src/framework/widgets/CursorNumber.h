#pragma once

namespace Brisk {

// The application's cursor numbers: what the widget layer asks for and the
// application shows (with the system cursor, a custom one or a picture).
enum class CursorNumber : int {
    Arrow = 0,
    Hand = 1,      // the custom hand
    Dragging = 2,  // the custom dragging hand
    Text = 3,
    NoEntry = 4,
    SizeAll = 5,
    SizeNESW = 6,
    SizeNS = 7,
    SizeNWSE = 8,
    SizeWE = 9,
    Wait = 10,
    None = 11,
    Software = 12,  // none from the system; a registered picture is drawn instead
};

}  // namespace Brisk
