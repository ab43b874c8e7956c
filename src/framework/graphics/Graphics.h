#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/Color.h"
#include "framework/graphics/Geometry.h"

namespace Brisk {

class Font;
class Image;

// The drawing context: a destination image plus translation, scale, clip,
// colour, draw mode and font. Every call is translated and clipped here and
// then handed to the destination's primitive. Not owning: the destination
// and the font must outlive the context.
class Graphics {
public:
    struct State {
        Image* destImage = nullptr;
        float transX = 0;
        float transY = 0;
        float scaleX = 1;
        float scaleY = 1;
        float scaleOrigX = 0;
        float scaleOrigY = 0;
        Rect clip;
        Color color;
        Font* font = nullptr;
        int drawMode = 0;
        bool colorizeImages = false;
        bool fastStretch = false;
        bool writeColoredString = true;  // colour escapes in strings
        bool linearBlend = false;
        bool is3D = false;
    };

    // A null destination draws into a shared empty image.
    explicit Graphics(Image* destImage = nullptr);
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics& other);
    ~Graphics();

    void PushState();
    // Restores the last pushed state; nothing when none was pushed.
    void PopState();
    // A new heap copy of this context (state only).
    std::unique_ptr<Graphics> Create() const;

    void Translate(int dx, int dy);
    void TranslateF(float dx, float dy);
    // Intersects the clip with the translated rectangle.
    void ClipRect(int x, int y, int width, int height);
    void SetClipRect(int x, int y, int width, int height);
    const Rect& GetClipRect() const { return m_state.clip; }
    void SetScale(float scaleX, float scaleY, float originX, float originY);

    void SetColor(const Color& color) { m_state.color = color; }
    const Color& GetColor() const { return m_state.color; }
    void SetFont(Font* font) { m_state.font = font; }
    Font* GetFont() const { return m_state.font; }
    void SetDrawMode(int mode) { m_state.drawMode = mode; }
    int GetDrawMode() const { return m_state.drawMode; }
    void SetColorizeImages(bool on) { m_state.colorizeImages = on; }
    bool GetColorizeImages() const { return m_state.colorizeImages; }
    void SetFastStretch(bool on) { m_state.fastStretch = on; }
    void SetLinearBlend(bool on) { m_state.linearBlend = on; }
    void SetWriteColoredString(bool on) { m_state.writeColoredString = on; }
    Image* GetDestImage() const { return m_state.destImage; }
    float GetTransX() const { return m_state.transX; }
    float GetTransY() const { return m_state.transY; }

    void FillRect(int x, int y, int width, int height);
    void FillRect(const Rect& r) { FillRect(r.x, r.y, r.width, r.height); }
    // The outline of a (width + 1) x (height + 1) box.
    void DrawRect(int x, int y, int width, int height);
    void DrawRect(const Rect& r) { DrawRect(r.x, r.y, r.width, r.height); }
    void ClearRect(int x, int y, int width, int height);
    void DrawLine(int x1, int y1, int x2, int y2);
    void DrawLineSmooth(double x1, double y1, double x2, double y2);
    void DrawImage(Image* image, int x, int y);
    void DrawImage(Image* image, int x, int y, const Rect& srcRect);
    // Stretches the source rectangle onto the destination rectangle.
    void DrawImage(Image* image, const Rect& destRect, const Rect& srcRect);
    void DrawImageCel(Image* image, int x, int y, int cel);
    void DrawImageMirror(Image* image, int x, int y, const Rect& srcRect);
    void DrawImageRotated(Image* image, double x, double y, double angle, double centerX,
                          double centerY, const Rect& srcRect);
    // A resizable frame from a source rectangle cut into a 3 x 3 grid.
    void DrawImageBox(const Rect& srcRect, const Rect& destRect, Image* image);
    void DrawImageBox(const Rect& destRect, Image* image) {
        DrawImageBox({0, 0, ImageWidth(image), ImageHeight(image)}, destRect, image);
    }
    void FillPolygon(const FPoint* vertices, int count);
    // Draws with the current font at (x, y): x left end, y baseline.
    void DrawString(const std::string& text, int x, int y);
    // Writes `length` characters from `offset` (-1: to the end), justified in
    // `width` (0 centred, 1 right, -1 left), honouring colour escapes
    // ("^RRGGBB^", "^oldclr^", "^^"). Draws only when `draw`; returns the width.
    int WriteString(const std::string& text, int x, int y, int width = -1, int justification = -1,
                    bool draw = true, int offset = 0, int length = -1, int oldColor = -1);

    // Writes `text` word-wrapped into the rectangle's width, lines `lineSpacing`
    // apart (-1: the font's), justified as WriteString; returns the height used.
    int WriteWordWrapped(const Rect& rect, const std::string& text, int lineSpacing = -1,
                         int justification = -1, bool draw = true);

private:
    static int ImageWidth(Image* image);
    static int ImageHeight(Image* image);
    int TX(int x) const { return static_cast<int>(static_cast<float>(x) + m_state.transX); }
    int TY(int y) const { return static_cast<int>(static_cast<float>(y) + m_state.transY); }
    bool Scaled() const { return m_state.scaleX != 1 || m_state.scaleY != 1; }
    Color ImageColor() const { return m_state.colorizeImages ? m_state.color : Color::White; }

    State m_state;
    std::vector<State> m_stateStack;
};

}  // namespace Brisk
