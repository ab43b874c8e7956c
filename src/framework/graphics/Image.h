#pragma once

#include <cstdint>
#include <string>

#include "framework/graphics/Color.h"
#include "framework/graphics/Geometry.h"

namespace Brisk {

// Draw modes of every primitive.
inline constexpr int kDrawModeNormal = 0;    // alpha blending
inline constexpr int kDrawModeAdditive = 1;  // saturating add

// A picture: a size, optionally cut into a grid of equal cels. The drawing
// primitives are virtual; this base implements only DrawRect and FillSpans
// (through FillRect) and draws nothing otherwise. Primitives take
// destination coordinates already translated and clipped by Graphics, and
// clip again to the image itself.
class Image {
public:
    Image() = default;
    virtual ~Image() = default;
    Image(const Image&) = default;
    Image& operator=(const Image&) = default;

    // Fills the polygon (even-odd rule) offset by (tx, ty), inside `clip`.
    virtual bool FillPolygon(const FPoint* vertices, int count, const Rect& clip,
                             const Color& color, int mode, int tx, int ty);
    virtual void FillRect(const Rect& rect, const Color& color, int mode);
    // The outline of a (w + 1) x (h + 1) box.
    virtual void DrawRect(const Rect& rect, const Color& color, int mode);
    virtual void ClearRect(const Rect& rect);
    virtual void DrawLine(double x1, double y1, double x2, double y2, const Color& color, int mode);
    virtual void DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color,
                                int mode);
    virtual void FillSpans(const Span* spans, int count, const Color& color, int mode);
    // Fills spans with a coverage mask (one byte a pixel, covWidth x covHeight,
    // placed at (covX, covY)).
    virtual void FillSpansCoverage(const Span* spans, int count, const Color& color, int mode,
                                   const uint8_t* coverage, int covX, int covY, int covWidth,
                                   int covHeight);
    virtual void Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                     int mode);
    virtual void BltFloat(Image* source, double x, double y, const Rect& srcRect, const Rect& clip,
                          const Color& color, int mode);
    // Rotates by `angle` radians (counter-clockwise) around (centerX, centerY)
    // of the source rectangle, which is placed at (x, y).
    virtual void BltRotated(Image* source, double x, double y, const Rect& srcRect,
                            const Rect& clip, const Color& color, int mode, double angle,
                            double centerX, double centerY);
    virtual void StretchBlt(Image* source, const Rect& destRect, const Rect& srcRect,
                            const Rect& clip, const Color& color, int mode, bool fast);
    // Maps source points through `matrix` (about the source rectangle's
    // centre), then offsets them by (x, y).
    virtual void BltTransformed(Image* source, double x, double y, const Matrix3& matrix,
                                const Rect& clip, const Color& color, int mode, const Rect& srcRect,
                                bool blend);
    // Draws `count` textured triangles (three vertices each), offset by (tx, ty).
    virtual void BltTriangles(Image* source, const TriVertex (*triangles)[3], int count,
                              const Rect& clip, const Color& color, int mode, double tx, double ty,
                              bool blend);
    virtual void BltMirrored(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                             int mode);
    virtual void StretchBltMirrored(Image* source, const Rect& destRect, const Rect& srcRect,
                                    const Rect& clip, const Color& color, int mode, bool fast);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    Rect GetRect() const { return {0, 0, m_width, m_height}; }
    int GetCelWidth() const { return m_width / m_numCols; }
    int GetCelHeight() const { return m_height / m_numRows; }
    // The rectangle of cel `index` (row-major).
    Rect GetCelRect(int index) const;

    std::string m_name;
    int m_numRows = 1;
    int m_numCols = 1;
    std::string m_animation;   // optional animation description
    bool m_drawnFrom = false;  // set whenever the image is the source of a draw

protected:
    int m_width = 0;
    int m_height = 0;
};

}  // namespace Brisk
