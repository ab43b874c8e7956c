// Image fonts as the game draws them: layers prepared for a point size and
// scale, widths with kerning, and text queued by draw order and drawn.

#include "framework/resources/Ascii.h"
#include "framework/resources/ImageFont.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <new>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Utf8.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/Saturate.h"

#include <array>

namespace Brisk {
namespace {

// The largest sheet of scaled glyphs a layer may need: 16384 pixels a side,
// 16 M pixels (64 MiB) in all.
constexpr int64_t kMaxScaledSheetSide = 16384;
constexpr int64_t kMaxScaledSheetPixels = int64_t{1} << 24;
// Scaled glyph cells are laid out in rows of at most this width.
constexpr int64_t kScaledRowWidth = 4096;

using detail::Trunc;

// Glyphs queued by one draw: 256 order buckets over a fixed pool.
struct Glyph {
    const ActiveFontLayer* layer;
    int x;
    int y;
    Rect rect;
    Color color;
    int next;  // next glyph of the same order, -1 at the end
};

std::mutex g_drawLock;  // the glyph pool is shared by all fonts
std::array<Glyph, ImageFont::kMaxGlyphs> g_glyphs;
std::array<int, 256> g_firstOfOrder;
std::array<int, 256> g_lastOfOrder;

}  // namespace

// --- ImageFont ----------------------------------------------------------------------

ImageFont::ImageFont(FontHost* host, const std::string& descriptorPath)
    : m_data(std::make_shared<FontData>(host)) {
    try {
        if (m_data->Load(descriptorPath)) {
            m_pointSize = m_data->GetDefaultPointSize();
            Prepare();
            if (!m_allLayersDrawable) {
                m_data->Fail();  // a font whose layers cannot be drawn is not loaded
            }
            m_prepared = true;
        }
    } catch (const std::bad_alloc&) {
        m_data->Fail();  // the game goes on without this font
        m_activeLayers.clear();
    }
}

ImageFont::ImageFont(FontImage image, const std::string& widthsPath)
    : m_data(std::make_shared<FontData>(nullptr)) {
    if (m_data->LoadLegacy(std::move(image), widthsPath)) {
        Prepare();
        m_prepared = true;
    }
}

ImageFont::ImageFont(const ImageFont& other)
    : Font(other),
      m_forceWhite(other.m_forceWhite),
      m_data(other.m_data),
      m_pointSize(other.m_pointSize),
      m_scale(other.m_scale),
      m_tags(other.m_tags) {}

ImageFont::~ImageFont() = default;

std::unique_ptr<Font> ImageFont::Duplicate() {
    return std::unique_ptr<Font>(new ImageFont(*this));  // shares the FontData
}

void ImageFont::Prepare() {
    m_allLayersDrawable = true;
    m_activeLayers.clear();
    m_ascent = 0;
    m_height = 0;
    m_ascentPadding = 0;
    m_lineSpacingOffset = 0;
    if (!IsLoaded()) {
        return;
    }
    bool first = true;
    for (const auto& layerPtr : m_data->GetLayers()) {
        const FontLayer& layer = *layerPtr;
        if (m_pointSize < layer.minPointSize ||
            (layer.maxPointSize != -1 && m_pointSize > layer.maxPointSize)) {
            continue;
        }
        const bool tagsOk = std::all_of(layer.requiredTags.begin(), layer.requiredTags.end(),
                                        [&](const std::string& t) { return HasTag(t); }) &&
                            std::none_of(layer.excludedTags.begin(), layer.excludedTags.end(),
                                         [&](const std::string& t) { return HasTag(t); });
        if (!tagsOk) {
            continue;
        }
        auto active = std::make_unique<ActiveFontLayer>();
        active->base = &layer;
        const bool scaled =
            m_scale != 1.0 || (layer.pointSize != 0 && layer.pointSize != m_pointSize);
        active->factor = layer.pointSize != 0 ? m_pointSize * m_scale / layer.pointSize : m_scale;
        bool waiting = false;
        MemoryImage* image = m_data->LayerImage(layer, false, &waiting);
        if (scaled && (image != nullptr || waiting)) {
            // Every glyph scaled once into a cell of its own, left to right
            // in rows.
            const double f = active->factor;
            const size_t slots = layer.imageRects.size();
            std::vector<Rect> cells(slots);
            int64_t width = 0;
            int64_t height = 0;
            int64_t x = 0;
            int64_t rowTop = 0;
            int64_t rowHeight = 0;
            for (size_t c = 0; c < slots; ++c) {
                const Rect& r = layer.imageRects[c];
                const int64_t w = std::max(Trunc(f * r.width), 0);
                const int64_t h = Trunc(f * r.height);
                if (x > 0 && x + w > kScaledRowWidth) {
                    x = 0;
                    rowTop += rowHeight;
                    rowHeight = 0;
                }
                if (rowTop + h > kMaxScaledSheetSide || x + w > kMaxScaledSheetSide) {
                    width = kMaxScaledSheetSide + 1;  // too large: reported below
                    break;
                }
                cells[c] = {static_cast<int>(x), static_cast<int>(rowTop), static_cast<int>(w),
                            static_cast<int>(h)};
                x += w;
                rowHeight = std::max(rowHeight, h);
                width = std::max(width, x);
                height = std::max(height, rowTop + rowHeight);
            }
            if (width > kMaxScaledSheetSide || height > kMaxScaledSheetSide ||
                width * height > kMaxScaledSheetPixels) {
                m_data->Error("Layer \"" + layer.name + "\" scaled " + std::to_string(f) +
                              " times is too large to draw");
                m_allLayersDrawable = false;
                continue;
            }
            active->rects = std::move(cells);
            active->scaled = true;
            active->sheetWidth = static_cast<int>(width);
            active->sheetHeight = static_cast<int>(height);
            if (image != nullptr) {
                FillScaledSheet(active.get(), image);
            }
        } else {
            active->image = image;
            active->rects = layer.imageRects;
        }
        active->waiting = waiting;
        const double f = active->factor;
        const int layerHeight = layer.height != 0 ? layer.height : layer.defaultHeight;
        m_ascent = std::max(m_ascent, Trunc(layer.ascent * f));
        m_height = std::max(m_height, Trunc(layerHeight * f));
        m_lineSpacingOffset =
            first ? Trunc(layer.lineSpacingOffset * f)
                  : std::max(m_lineSpacingOffset, Trunc(layer.lineSpacingOffset * f));
        m_ascentPadding = first ? Trunc(layer.ascentPadding * f)
                                : std::min(m_ascentPadding, Trunc(layer.ascentPadding * f));
        first = false;
        m_activeLayers.push_back(std::move(active));
    }
}

void ImageFont::FillScaledSheet(ActiveFontLayer* active, MemoryImage* source) const {
    active->scaledImage = std::make_unique<MemoryImage>();
    active->scaledImage->Create(active->sheetWidth, active->sheetHeight);
    active->scaledImage->Clear();
    const std::vector<Rect>& sourceRects = active->base->imageRects;
    for (size_t c = 0; c < sourceRects.size(); ++c) {
        const Rect& r = sourceRects[c];
        const Rect& cell = active->rects[c];
        if (!IsEmpty(cell) && !IsEmpty(r)) {
            active->scaledImage->StretchBlt(source, cell, r, cell, Color::White, kDrawModeNormal,
                                            false);
        }
    }
    if (m_forceWhite) {
        uint32_t* bits = active->scaledImage->GetBits();
        const size_t n =
            static_cast<size_t>(active->sheetWidth) * static_cast<size_t>(active->sheetHeight);
        for (size_t i = 0; i < n; ++i) {
            bits[i] |= 0x00FFFFFF;
        }
        active->scaledImage->BitsChanged();
    }
    active->scaledImage->Palettize();
    active->image = active->scaledImage.get();
}

void ImageFont::EnsurePixels() {
    for (const auto& active : m_activeLayers) {
        if (!active->waiting) {
            continue;
        }
        active->waiting = false;
        MemoryImage* image = m_data->LayerImage(*active->base, true);
        if (image == nullptr) {
            continue;  // reported; the layer draws nothing
        }
        if (active->scaled) {
            FillScaledSheet(active.get(), image);
        } else {
            active->image = image;
        }
    }
}

void ImageFont::EnsurePrepared() {
    if (!m_prepared) {
        Prepare();
        m_prepared = true;
    }
}

int ImageFont::GetAscent() {
    EnsurePrepared();
    return m_ascent;
}
int ImageFont::GetAscentPadding() {
    EnsurePrepared();
    return m_ascentPadding;
}
int ImageFont::GetHeight() {
    EnsurePrepared();
    return m_height;
}
int ImageFont::GetLineSpacingOffset() {
    EnsurePrepared();
    return m_lineSpacingOffset;
}

int ImageFont::CharWidthKern(char32_t ch, char32_t previous) {
    EnsurePrepared();
    if (!IsLoaded()) {
        return 0;
    }
    const uint16_t c = m_data->MapChar(ch);
    const uint16_t p = m_data->MapChar(previous);
    int best = 0;
    bool any = false;
    for (const auto& a : m_activeLayers) {
        const double f = a->factor;
        const int advance = Trunc(a->base->charWidths[c] * f);
        const int kern = previous == 0 ? 0 : Trunc((a->base->Kerning(p, c) + a->base->spacing) * f);
        best = any ? std::max(best, advance + kern) : advance + kern;
        any = true;
    }
    return best;
}

bool ImageFont::HasGlyph(char32_t ch) {
    EnsurePrepared();
    if (!IsLoaded()) {
        return false;
    }
    const uint16_t c = m_data->MapChar(ch);
    return c != 0 && std::any_of(m_activeLayers.begin(), m_activeLayers.end(), [&](const auto& a) {
               return !IsEmpty(a->rects[c]) || a->base->charWidths[c] != 0;
           });
}

void ImageFont::DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color,
                           const Rect& clip) {
    DrawStringEx(g, x, y, text, color, clip, nullptr, nullptr);
}

void ImageFont::DrawStringEx(Graphics* g, int x, int y, const std::string& text, const Color& color,
                             const Rect& /*clip*/, std::vector<Rect>* rects, int* width) {
    EnsurePrepared();
    if (!text.empty()) {
        EnsurePixels();  // the sheets' pixels, decoded on this font's first drawn glyph
    }
    std::lock_guard lock(g_drawLock);
    if (rects != nullptr) {
        rects->clear();
    }
    const bool oldColorize = g->GetColorizeImages();
    const Color oldColor = g->GetColor();
    g_firstOfOrder.fill(-1);
    g_lastOfOrder.fill(-1);
    int queued = 0;
    int pen = x;
    TextChar next = text.empty() ? TextChar{} : DecodeTextChar(text, 0);
    for (size_t i = 0; i < text.size() && IsLoaded();) {
        const uint16_t c = m_data->MapChar(next.code);
        i += next.length;
        const bool hasNext = i < text.size();
        if (hasNext) {
            next = DecodeTextChar(text, i);
        }
        const uint16_t n = hasNext ? m_data->MapChar(next.code) : 0;
        int nextPen = pen;
        bool anyLayer = false;
        for (const auto& a : m_activeLayers) {
            const FontLayer& l = *a->base;
            const double f = a->factor;
            const int gx = pen + Trunc(f * (l.charOffsets[c].x + l.offset.x));
            const int gy = y - Trunc(f * (l.ascent - (l.charOffsets[c].y + l.offset.y)));
            auto channel = [](int mult, int col, int add) {
                return std::min(mult * col / 255 + add, 255);
            };
            const Color glyphColor(channel(l.colorMult.mRed, color.mRed, l.colorAdd.mRed),
                                   channel(l.colorMult.mGreen, color.mGreen, l.colorAdd.mGreen),
                                   channel(l.colorMult.mBlue, color.mBlue, l.colorAdd.mBlue),
                                   channel(l.colorMult.mAlpha, color.mAlpha, l.colorAdd.mAlpha));
            const int order = std::clamp(l.charOrders[c] + l.baseOrder, -128, 127) + 128;
            const Rect& r = a->rects[c];
            if (queued < kMaxGlyphs) {
                g_glyphs[static_cast<size_t>(queued)] = {a.get(), gx, gy, r, glyphColor, -1};
                if (g_lastOfOrder[static_cast<size_t>(order)] >= 0) {
                    g_glyphs[static_cast<size_t>(g_lastOfOrder[static_cast<size_t>(order)])].next =
                        queued;
                } else {
                    g_firstOfOrder[static_cast<size_t>(order)] = queued;
                }
                g_lastOfOrder[static_cast<size_t>(order)] = queued;
                ++queued;
                if (rects != nullptr) {
                    rects->push_back({gx, gy, r.width, r.height});
                }
            }
            const int advance = Trunc(f * l.charWidths[c]) +
                                (hasNext ? Trunc(f * (l.Kerning(c, n) + l.spacing)) : 0);
            nextPen = anyLayer ? std::max(nextPen, pen + advance) : pen + advance;
            anyLayer = true;
        }
        pen = nextPen;
    }
    g->SetColorizeImages(true);
    for (int order = 0; order < 256; ++order) {
        for (int i = g_firstOfOrder[static_cast<size_t>(order)]; i >= 0;
             i = g_glyphs[static_cast<size_t>(i)].next) {
            const Glyph& glyph = g_glyphs[static_cast<size_t>(i)];
            if (glyph.layer->image == nullptr || IsEmpty(glyph.rect)) {
                continue;
            }
            const int oldMode = g->GetDrawMode();
            if (glyph.layer->base->drawMode != -1) {
                g->SetDrawMode(glyph.layer->base->drawMode);
            }
            g->SetColor(glyph.color);
            g->DrawImage(glyph.layer->image, glyph.x, glyph.y, glyph.rect);
            g->SetDrawMode(oldMode);
        }
    }
    g->SetColor(oldColor);
    g->SetColorizeImages(oldColorize);
    if (width != nullptr) {
        *width = pen - x;
    }
}

void ImageFont::SetPointSize(int pointSize) {
    m_pointSize = pointSize;
    m_prepared = false;
}

void ImageFont::SetScale(double scale) {
    m_scale = scale;
    m_prepared = false;
}

int ImageFont::GetDefaultPointSize() {
    return m_data->GetDefaultPointSize();
}

bool ImageFont::AddTag(const std::string& tag) {
    if (HasTag(tag)) {
        return false;
    }
    m_tags.push_back(ToLowerAscii(tag));
    m_prepared = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag) {
    const auto it = std::find(m_tags.begin(), m_tags.end(), ToLowerAscii(tag));
    if (it == m_tags.end()) {
        return false;
    }
    m_tags.erase(it);
    m_prepared = false;
    return true;
}

bool ImageFont::HasTag(const std::string& tag) {
    return std::find(m_tags.begin(), m_tags.end(), ToLowerAscii(tag)) != m_tags.end();
}

std::string ImageFont::GetDefine(const std::string& name) {
    const DataElement* d = m_data->GetDefine(name);
    return d != nullptr ? d->ToString() : std::string();
}

}  // namespace Brisk
