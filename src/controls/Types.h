#pragma once

#include <cstdint>

namespace ControlLibrary {

// A point in screen pixels.
struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// The size of a visible object; never negative.
struct Size {
    uint32_t width = 0;
    uint32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// x, y, width, height; right and bottom edges exclusive in containment tests.
struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// An opaque colour: red, green, blue.
struct Colour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// Where an object's anchor point lies, per axis (SetAlignment): its left or
// top edge, its centre, its right or bottom edge.
inline constexpr int32_t kAlignStart = 0;
inline constexpr int32_t kAlignCentre = 1;
inline constexpr int32_t kAlignEnd = 2;

}  // namespace ControlLibrary
