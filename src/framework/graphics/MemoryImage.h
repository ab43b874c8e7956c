#pragma once

#include <cstdint>
#include <vector>

#include "framework/graphics/Image.h"
#include "framework/graphics/NativeDisplay.h"

namespace Brisk {

// An image whose pixels live in memory as 32-bit ARGB (or in an 8-bit
// palette form) and that implements every primitive in software.
//
// Caches (display-format data, run tables) are built on demand and dropped
// by BitsChanged, which every modification goes through. Not thread-safe:
// the display lock guards images shared with the display.
class MemoryImage : public Image {
public:
    static constexpr uint32_t kGuardWord = 0x4BEEFADE;

    MemoryImage() = default;
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override = default;

    bool FillPolygon(const FPoint* vertices, int count, const Rect& clip, const Color& color,
                     int mode, int tx, int ty) override;
    void FillRect(const Rect& rect, const Color& color, int mode) override;
    void ClearRect(const Rect& rect) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color,
                  int mode) override;
    void DrawLineSmooth(double x1, double y1, double x2, double y2, const Color& color,
                        int mode) override;
    void FillSpansCoverage(const Span* spans, int count, const Color& color, int mode,
                           const uint8_t* coverage, int covX, int covY, int covWidth,
                           int covHeight) override;
    void Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color,
             int mode) override;
    void BltFloat(Image* source, double x, double y, const Rect& srcRect, const Rect& clip,
                  const Color& color, int mode) override;
    void BltRotated(Image* source, double x, double y, const Rect& srcRect, const Rect& clip,
                    const Color& color, int mode, double angle, double centerX,
                    double centerY) override;
    void StretchBlt(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                    const Color& color, int mode, bool fast) override;
    void BltTransformed(Image* source, double x, double y, const Matrix3& matrix, const Rect& clip,
                        const Color& color, int mode, const Rect& srcRect, bool blend) override;
    void BltTriangles(Image* source, const TriVertex (*triangles)[3], int count, const Rect& clip,
                      const Color& color, int mode, double tx, double ty, bool blend) override;
    void BltMirrored(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                     int mode) override;
    void StretchBltMirrored(Image* source, const Rect& destRect, const Rect& srcRect,
                            const Rect& clip, const Color& color, int mode, bool fast) override;

    // The pixels in display format, premultiplied; cached until the bits change.
    virtual const uint32_t* GetNativeData(const NativeDisplay& display);
    // Per pixel, how many pixels (1..255) of the same class follow in its row,
    // itself included. Classes: alpha 0, alpha 255, anything between.
    virtual const uint8_t* GetRunTable(const NativeDisplay& display);
    // The same with two classes: premultiplied colour zero or not (additive drawing).
    virtual const uint8_t* GetAdditiveRunTable(const NativeDisplay& display);
    virtual void DeleteSoftwareBuffers();
    virtual void DeleteExtraBuffers();
    virtual void DeleteDisplayCopy() {}
    virtual void DeleteAllCaches();
    virtual void ReInit();
    virtual void BitsChanged();
    // Recomputes the transparency flags after a change (unless forced).
    virtual void CommitBits();
    virtual void DeleteNativeData();
    virtual void Clear();
    // Copies width x height pixels in (drops the palette form).
    virtual void SetBits(const uint32_t* pixels, int width, int height, bool commit = true);
    // The same, taking the pixels over instead of copying them (a decoded
    // picture's bits: no second buffer to fill and fault in).
    void SetBits(std::vector<uint32_t>&& pixels, int width, int height, bool commit = true);
    // An empty (transparent) image of that size; the bits appear on first access.
    virtual void Create(int width, int height);
    // The ARGB pixels, made from the palette form or the native data when needed.
    virtual uint32_t* GetBits();
    virtual void SetImageFlags(bool hasTransparency, bool hasAlpha);
    virtual void SetWantsDisplayCopy(bool wants) { m_wantsDisplayCopy = wants; }
    // Converts to the palette form when there are at most 256 colours.
    virtual bool Palettize();

    bool HasTransparency() {
        CommitBits();
        return m_hasTransparency;
    }
    bool HasAlpha() {
        CommitBits();
        return m_hasAlpha;
    }
    bool IsPalettized() const { return !m_colorIndices.empty(); }
    const uint32_t* GetPalette() const { return m_palette.data(); }
    const uint8_t* GetColorIndices() const { return m_colorIndices.data(); }
    // Counts BitsChanged calls (wrapping): equal counts mean unchanged bits.
    uint32_t GetChangeCount() const { return m_changeCount; }
    bool WantsDisplayCopy() const { return m_wantsDisplayCopy; }
    // The guard word after the last pixel is intact (no overrun happened).
    bool GuardIntact() const { return m_bits.empty() || m_bits.back() == kGuardWord; }

protected:
    // One source pixel, read through the palette when the image has one.
    uint32_t SourcePixel(int x, int y) const {
        const size_t i =
            static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x);
        return m_colorIndices.empty() ? m_bits[i] : m_palette[m_colorIndices[i]];
    }
    // Ensures ARGB bits or a palette form exist for reading.
    void EnsureReadable();
    // Generic per-pixel writer used by the slower primitives.
    void PlotPixel(int x, int y, uint32_t src, const Color& color, int mode);
    // Draws pixels sampled from `source` for every destination pixel inside
    // `area`: `map` gives the source position (x, y) of a destination pixel
    // centre, or false to skip it. Sampling is nearest or bilinear.
    template <typename Map>
    void MapPixels(MemoryImage* source, const Rect& area, const Rect& srcRect, const Color& color,
                   int mode, bool bilinear, Map map);
    void BltGeneric(MemoryImage* source, int x, int y, const Rect& srcRect, const Color& color,
                    int mode, bool mirror);

    std::vector<uint32_t> m_bits;  // width x height pixels then the guard word; may be empty
    std::vector<uint32_t> m_palette;
    std::vector<uint8_t> m_colorIndices;
    std::vector<uint32_t> m_nativeData;
    std::vector<uint8_t> m_runTable;
    std::vector<uint8_t> m_additiveRunTable;
    const NativeDisplay* m_nativeFor = nullptr;  // the display the caches were built for
    uint32_t m_changeCount = 0;
    bool m_hasTransparency = true;
    bool m_hasAlpha = true;
    bool m_flagsForced = false;
    bool m_bitsChanged = true;
    bool m_wasPalettized = false;
    bool m_purgeBits = false;
    bool m_wantsDisplayCopy = true;
};

// Reads `image` as a MemoryImage, or null when it is another kind of image.
MemoryImage* AsMemoryImage(Image* image);

}  // namespace Brisk
