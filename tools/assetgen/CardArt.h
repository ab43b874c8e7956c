#pragma once

// What the card pictures of every built-in set share: the card's size, its
// face, and colour emoji drawn onto it.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <functional>

#include "AssetGen.h"
#include "Canvas.h"

namespace AssetGen {

inline constexpr int kCard = 96;

// Draws one colour emoji, scaled to `size`, centred at (cx, cy); false when
// the font has no colour glyph for it.
bool DrawEmoji(Canvas& c, FT_Face face, uint32_t codepoint, double cx, double cy, double size);
// A soft drop shadow, a cream face with a rim in `tint`, alpha at the corners.
void CardFace(Canvas& c, Rgb tint);
// A card's back in the faces' shape: filled with what `fill` sets as the
// source, edged with `edge`; `pattern` drawn clipped to the inner frame,
// which is then rimmed with `rim`.
void CardBack(Canvas& back, const std::function<void(cairo_t*)>& fill, Rgb edge, Rgb rim,
              const std::function<void(cairo_t*)>& pattern);
// The colour emoji font at its one bitmap size; ends the program without it.
FT_Face OpenEmojiFont(const Options& o, FT_Library ft);
// The built-in sets beyond the first: "Shapes" and "Animals".
void MakeCardSets(const Options& o, FT_Library ft);

}  // namespace AssetGen
