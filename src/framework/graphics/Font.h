#pragma once

#include <memory>
#include <string>

#include "framework/graphics/Color.h"
#include "framework/graphics/Geometry.h"

namespace Brisk {

class Graphics;

// A font of the framework: measures and draws text through a Graphics.
// The base measures nothing and draws nothing; image fonts derive from it.
class Font {
public:
    Font() = default;
    virtual ~Font() = default;

    virtual int GetAscent() { return m_ascent; }
    virtual int GetAscentPadding() { return m_ascentPadding; }
    virtual int GetDescent() { return m_height - m_ascent; }
    virtual int GetHeight() { return m_height; }
    virtual int GetLineSpacingOffset() { return m_lineSpacingOffset; }
    virtual int GetLineSpacing() { return m_height + m_lineSpacingOffset; }
    // Texts are UTF-8; a byte outside a valid sequence stands for its
    // Windows-1252 character (see DecodeTextChar).
    virtual int StringWidth(const std::string& text);
    virtual int CharWidth(char32_t ch) { return CharWidthKern(ch, 0); }
    // The advance of `ch` after `previous` (0: none), kerning included.
    virtual int CharWidthKern(char32_t /*ch*/, char32_t /*previous*/) { return 0; }
    // Draws `text` with its left end at x and its baseline at y.
    virtual void DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                            const Rect& clip);
    // A new font of the same kind sharing this font's data.
    virtual std::unique_ptr<Font> Duplicate() { return std::unique_ptr<Font>(new Font(*this)); }

protected:
    Font(const Font&) = default;

    int m_ascent = 0;
    int m_ascentPadding = 0;
    int m_height = 0;
    int m_lineSpacingOffset = 0;
};

}  // namespace Brisk
