#include "framework/graphics/Graphics.h"

#include <algorithm>
#include <cmath>

#include "framework/graphics/Font.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Utf8.h"

namespace Brisk {
namespace {

Image* SharedEmptyImage() {
    static MemoryImage empty;
    return &empty;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Clips the segment to the rectangle [x0, x1] x [y0, y1] (inclusive) by
// moving its end points along the line; false when nothing is left.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double x0, double y0, double x1,
                 double y1) {
    double t0 = 0;
    double t1 = 1;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const double sx = ax;
    const double sy = ay;
    ax = sx + t0 * dx;
    ay = sy + t0 * dy;
    bx = sx + t1 * dx;
    by = sy + t1 * dy;
    return true;
}

}  // namespace

int Font::StringWidth(const std::string& text) {
    int width = 0;
    char32_t previous = 0;
    for (const char32_t c : DecodeText(text)) {
        width += CharWidthKern(c, previous);
        previous = c;
    }
    return width;
}

void Font::DrawString(Graphics*, int, int, const std::string&, const Color&, const Rect&) {}

Graphics::Graphics(Image* destImage) {
    m_state.destImage = destImage != nullptr ? destImage : SharedEmptyImage();
    m_state.clip = {0, 0, m_state.destImage->GetWidth(), m_state.destImage->GetHeight()};
}

Graphics::Graphics(const Graphics& other)
    : m_state(other.m_state), m_stateStack(other.m_stateStack) {}

Graphics& Graphics::operator=(const Graphics& other) {
    m_state = other.m_state;
    m_stateStack = other.m_stateStack;
    return *this;
}

Graphics::~Graphics() = default;

void Graphics::PushState() {
    m_stateStack.push_back(m_state);
}

void Graphics::PopState() {
    if (!m_stateStack.empty()) {
        m_state = m_stateStack.back();
        m_stateStack.pop_back();
    }
}

std::unique_ptr<Graphics> Graphics::Create() const {
    return std::make_unique<Graphics>(*this);
}

void Graphics::Translate(int dx, int dy) {
    m_state.transX += static_cast<float>(dx);
    m_state.transY += static_cast<float>(dy);
}

void Graphics::TranslateF(float dx, float dy) {
    m_state.transX += dx;
    m_state.transY += dy;
}

void Graphics::ClipRect(int x, int y, int width, int height) {
    m_state.clip = Intersect(m_state.clip, {TX(x), TY(y), width, height});
}

void Graphics::SetClipRect(int x, int y, int width, int height) {
    m_state.clip = Intersect({0, 0, m_state.destImage->GetWidth(), m_state.destImage->GetHeight()},
                             {TX(x), TY(y), width, height});
}

void Graphics::SetScale(float scaleX, float scaleY, float originX, float originY) {
    m_state.scaleX = scaleX;
    m_state.scaleY = scaleY;
    m_state.scaleOrigX = originX + m_state.transX;
    m_state.scaleOrigY = originY + m_state.transY;
}

int Graphics::ImageWidth(Image* image) {
    return image != nullptr ? image->GetWidth() : 0;
}
int Graphics::ImageHeight(Image* image) {
    return image != nullptr ? image->GetHeight() : 0;
}

void Graphics::FillRect(int x, int y, int width, int height) {
    if (m_state.color.mAlpha == 0) {
        return;
    }
    const Rect r = Intersect({TX(x), TY(y), width, height}, m_state.clip);
    if (!IsEmpty(r)) {
        m_state.destImage->FillRect(r, m_state.color, m_state.drawMode);
    }
}

void Graphics::DrawRect(int x, int y, int width, int height) {
    if (m_state.color.mAlpha == 0 || width < 0 || height < 0) {
        return;
    }
    const Rect outline{TX(x), TY(y), width + 1, height + 1};
    if (Contains(m_state.clip, outline)) {
        m_state.destImage->DrawRect({outline.x, outline.y, width, height}, m_state.color,
                                    m_state.drawMode);
        return;
    }
    FillRect(x, y, width + 1, 1);
    FillRect(x, y + height, width + 1, 1);
    FillRect(x, y + 1, 1, height - 1);
    FillRect(x + width, y + 1, 1, height - 1);
}

void Graphics::ClearRect(int x, int y, int width, int height) {
    const Rect r = Intersect({TX(x), TY(y), width, height}, m_state.clip);
    if (!IsEmpty(r)) {
        m_state.destImage->ClearRect(r);
    }
}

void Graphics::DrawLine(int x1, int y1, int x2, int y2) {
    double ax = TX(x1);
    double ay = TY(y1);
    double bx = TX(x2);
    double by = TY(y2);
    const Rect& c = m_state.clip;
    if (IsEmpty(c) || m_state.color.mAlpha == 0 ||
        !ClipSegment(ax, ay, bx, by, c.x, c.y, c.x + c.width - 1, c.y + c.height - 1)) {
        return;
    }
    m_state.destImage->DrawLine(ax, ay, bx, by, m_state.color, m_state.drawMode);
}

void Graphics::DrawLineSmooth(double x1, double y1, double x2, double y2) {
    double ax = x1 + m_state.transX;
    double ay = y1 + m_state.transY;
    double bx = x2 + m_state.transX;
    double by = y2 + m_state.transY;
    const Rect& c = m_state.clip;
    if (IsEmpty(c) || m_state.color.mAlpha == 0 ||
        !ClipSegment(ax, ay, bx, by, c.x, c.y, c.x + c.width - 1, c.y + c.height - 1)) {
        return;
    }
    m_state.destImage->DrawLineSmooth(ax, ay, bx, by, m_state.color, m_state.drawMode);
}

void Graphics::DrawImage(Image* image, int x, int y) {
    if (image != nullptr) {
        DrawImage(image, x, y, {0, 0, image->GetWidth(), image->GetHeight()});
    }
}

void Graphics::DrawImage(Image* image, int x, int y, const Rect& srcRect) {
    if (image == nullptr || IsEmpty(srcRect)) {
        return;
    }
    if (Scaled()) {
        const float px = static_cast<float>(x) + m_state.transX;
        const float py = static_cast<float>(y) + m_state.transY;
        const Rect dest{
            static_cast<int>(
                std::floor((px - m_state.scaleOrigX) * m_state.scaleX + m_state.scaleOrigX)),
            static_cast<int>(
                std::floor((py - m_state.scaleOrigY) * m_state.scaleY + m_state.scaleOrigY)),
            static_cast<int>(std::ceil(static_cast<float>(srcRect.width) * m_state.scaleX)),
            static_cast<int>(std::ceil(static_cast<float>(srcRect.height) * m_state.scaleY))};
        m_state.destImage->StretchBlt(image, dest, srcRect, m_state.clip, ImageColor(),
                                      m_state.drawMode, m_state.fastStretch);
        return;
    }
    const Rect dest{TX(x), TY(y), srcRect.width, srcRect.height};
    const Rect r = Intersect(dest, m_state.clip);
    if (IsEmpty(r)) {
        return;
    }
    m_state.destImage->Blt(
        image, r.x, r.y,
        {srcRect.x + (r.x - dest.x), srcRect.y + (r.y - dest.y), r.width, r.height}, ImageColor(),
        m_state.drawMode);
}

void Graphics::DrawImage(Image* image, const Rect& destRect, const Rect& srcRect) {
    if (image == nullptr || IsEmpty(destRect) || IsEmpty(srcRect)) {
        return;
    }
    m_state.destImage->StretchBlt(
        image, {TX(destRect.x), TY(destRect.y), destRect.width, destRect.height}, srcRect,
        m_state.clip, ImageColor(), m_state.drawMode, m_state.fastStretch);
}

void Graphics::DrawImageCel(Image* image, int x, int y, int cel) {
    if (image != nullptr) {
        DrawImage(image, x, y, image->GetCelRect(cel));
    }
}

void Graphics::DrawImageMirror(Image* image, int x, int y, const Rect& srcRect) {
    if (image == nullptr || IsEmpty(srcRect)) {
        return;
    }
    const Rect dest{TX(x), TY(y), srcRect.width, srcRect.height};
    const Rect r = Intersect(dest, m_state.clip);
    if (IsEmpty(r)) {
        return;
    }
    // Mirrored: the destination's left clip cuts the source's right side.
    m_state.destImage->BltMirrored(image, r.x, r.y,
                                   {srcRect.x + (dest.x + dest.width - (r.x + r.width)),
                                    srcRect.y + (r.y - dest.y), r.width, r.height},
                                   ImageColor(), m_state.drawMode);
}

void Graphics::DrawImageRotated(Image* image, double x, double y, double angle, double centerX,
                                double centerY, const Rect& srcRect) {
    if (image != nullptr) {
        m_state.destImage->BltRotated(image, x + m_state.transX, y + m_state.transY, srcRect,
                                      m_state.clip, ImageColor(), m_state.drawMode, angle, centerX,
                                      centerY);
    }
}

void Graphics::DrawImageBox(const Rect& src, const Rect& dest, Image* image) {
    if (image == nullptr || IsEmpty(src) || IsEmpty(dest)) {
        return;
    }
    // Source grid: outer columns and rows a third each, the middle the rest.
    const int cw = src.width / 3;
    const int ch = src.height / 3;
    const int mw = src.width - 2 * cw;
    const int mh = src.height - 2 * ch;
    const int innerX = dest.x + cw;
    const int innerY = dest.y + ch;
    const int innerW = dest.width - 2 * cw;
    const int innerH = dest.height - 2 * ch;
    const int rightX = dest.x + dest.width - cw;
    const int bottomY = dest.y + dest.height - ch;

    // Corners, unscaled.
    DrawImage(image, dest.x, dest.y, {src.x, src.y, cw, ch});
    DrawImage(image, rightX, dest.y, {src.x + cw + mw, src.y, cw, ch});
    DrawImage(image, dest.x, bottomY, {src.x, src.y + ch + mh, cw, ch});
    DrawImage(image, rightX, bottomY, {src.x + cw + mw, src.y + ch + mh, cw, ch});
    if (mw <= 0 || mh <= 0) {
        return;
    }

    // Edges and centre, repeated and clipped to the span between the corners.
    auto tile = [&](const Rect& piece, const Rect& area) {
        if (IsEmpty(area)) {
            return;
        }
        PushState();
        ClipRect(area.x, area.y, area.width, area.height);
        for (int ty = area.y; ty < area.y + area.height; ty += piece.height) {
            for (int tx = area.x; tx < area.x + area.width; tx += piece.width) {
                DrawImage(image, tx, ty, piece);
            }
        }
        PopState();
    };
    tile({src.x + cw, src.y, mw, ch}, {innerX, dest.y, innerW, ch});
    tile({src.x + cw, src.y + ch + mh, mw, ch}, {innerX, bottomY, innerW, ch});
    tile({src.x, src.y + ch, cw, mh}, {dest.x, innerY, cw, innerH});
    tile({src.x + cw + mw, src.y + ch, cw, mh}, {rightX, innerY, cw, innerH});
    tile({src.x + cw, src.y + ch, mw, mh}, {innerX, innerY, innerW, innerH});
}

void Graphics::FillPolygon(const FPoint* vertices, int count) {
    m_state.destImage->FillPolygon(vertices, count, m_state.clip, m_state.color, m_state.drawMode,
                                   static_cast<int>(m_state.transX),
                                   static_cast<int>(m_state.transY));
}

void Graphics::DrawString(const std::string& text, int x, int y) {
    if (m_state.font != nullptr) {
        // The font draws through this context, which translates its glyphs.
        m_state.font->DrawString(this, x, y, text, m_state.color, m_state.clip);
    }
}

int Graphics::WriteString(const std::string& text, int x, int y, int width, int justification,
                          bool draw, int offset, int length, int oldColor) {
    Font* font = m_state.font;
    if (font == nullptr) {
        return 0;
    }
    const size_t start = std::min(static_cast<size_t>(std::max(offset, 0)), text.size());
    const size_t end =
        length < 0 ? text.size() : std::min(text.size(), start + static_cast<size_t>(length));
    if (justification != -1 && draw) {
        const int total = WriteString(text, 0, 0, -1, -1, false, offset, length, oldColor);
        x += justification == 0 ? (width - total) / 2 : width - total;
    }
    const Color startColor = m_state.color;
    const Color restore =
        oldColor < 0 ? startColor : Color::FromInt(static_cast<uint32_t>(oldColor));
    int pen = 0;
    std::string piece;
    auto flush = [&] {
        if (piece.empty()) {
            return;
        }
        if (draw) {
            font->DrawString(this, x + pen, y, piece, m_state.color, m_state.clip);
        }
        pen += font->StringWidth(piece);
        piece.clear();
    };
    for (size_t i = start; i < end; ++i) {
        const char c = text[i];
        if (c != '^' || !m_state.writeColoredString) {
            piece.push_back(c);
            continue;
        }
        if (i + 1 < end && text[i + 1] == '^') {  // "^^" prints one caret
            piece.push_back('^');
            ++i;
            continue;
        }
        if (end - i < 8) {  // too short for an escape: the text ends here
            break;
        }
        flush();
        if (text.compare(i + 1, 7, "oldclr^") == 0) {
            m_state.color =
                Color(restore.mRed, restore.mGreen, restore.mBlue, m_state.color.mAlpha);
            i += 7;
            continue;
        }
        int rgb = 0;
        bool valid = text[i + 7] == '^';
        for (size_t k = 1; k <= 6 && valid; ++k) {
            const int h = HexValue(text[i + k]);
            valid = h >= 0;
            rgb = rgb * 16 + h;
        }
        if (valid) {
            m_state.color =
                Color((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, m_state.color.mAlpha);
            i += 7;
        }
    }
    flush();
    m_state.color = startColor;
    return pen;
}

int Graphics::WriteWordWrapped(const Rect& rect, const std::string& text, int lineSpacing,
                               int justification, bool draw) {
    Font* font = m_state.font;
    if (font == nullptr) {
        return 0;
    }
    const int spacing = lineSpacing < 0 ? font->GetLineSpacing() : lineSpacing;
    int y = rect.y + font->GetAscent();
    int lines = 0;
    auto emit = [&](const std::string& line) {
        if (draw) {
            WriteString(line, rect.x, y, rect.width, justification, true);
        }
        y += spacing;
        ++lines;
    };
    size_t pos = 0;
    std::string line;
    while (pos <= text.size()) {
        // The next word and what ends it: a space, a line break or the end.
        size_t end = text.find_first_of(" \n", pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string word = text.substr(pos, end - pos);
        const std::string candidate = line.empty() ? word : line + " " + word;
        if (!line.empty() && WriteString(candidate, 0, 0, -1, -1, false) > rect.width) {
            emit(line);
            line = word;
        } else {
            line = candidate;
        }
        if (end < text.size() && text[end] == '\n') {
            emit(line);
            line.clear();
        }
        pos = end + 1;
    }
    if (!line.empty()) {
        emit(line);
    }
    return lines * spacing;
}

}  // namespace Brisk
