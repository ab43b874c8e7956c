#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/graphics/Color.h"
#include "framework/widgets/WidgetContainer.h"

namespace Brisk {

class Image;

// A visible element of the widget tree: visibility, enabled state, focus,
// hover and press state, colours and the input handlers. Main thread only.
class Widget : public WidgetContainer {
public:
    Widget() = default;
    // A widget still in a tree takes itself out first, so that no container
    // or manager is left pointing at it.
    ~Widget() override;

    virtual int GetHitPriority() { return m_hitPriority; }
    virtual void SetHitPriority(int priority) { m_hitPriority = static_cast<int16_t>(priority); }
    virtual void OrderInManagerChanged() {}
    virtual void SetVisible(bool visible);
    virtual void SetColors(const int (*rgba)[4], int count);
    virtual void SetColors(const int (*rgb)[3], int count);
    virtual void SetColor(int index, const Color& color);
    virtual const Color& GetColor(int index, const Color& fallback);
    virtual const Color& GetColor(int index);
    virtual void SetDisabled(bool disabled);
    // Hand cursor on (cursor 1) or the arrow (cursor 0).
    virtual void ShowHandCursor(bool on);
    virtual void Resize(const Rect& r) { Resize(r.x, r.y, r.width, r.height); }
    virtual void Resize(int x, int y, int width, int height);
    virtual void Move(int x, int y) { Resize(x, y, m_width, m_height); }
    virtual bool WantsFocus() { return m_wantsFocus; }
    virtual void DrawOverlay(Graphics* g, int /*priority*/) { DrawOverlay(g); }
    virtual void DrawOverlay(Graphics* /*g*/) {}
    // The part of the widget its last Draw changed, in its own coordinates;
    // nullopt for all of it.
    virtual std::optional<Rect> GetLastDrawnArea() const { return std::nullopt; }
    virtual void GotFocus() { m_hasFocus = true; }
    virtual void LostFocus() { m_hasFocus = false; }
    virtual void KeyChar(char /*ch*/) {}
    // Tab moves the focus to the next widget (Shift+Tab to the previous).
    virtual void KeyDown(int key);
    virtual void KeyUp(int /*key*/) {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void MouseMove(int /*x*/, int /*y*/) {}
    // button: 0 left, 1 right, 2 middle.
    virtual void MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
    // Click counts: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    virtual void MouseDown(int x, int y, int clickCount);
    virtual void MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}
    virtual void MouseUp(int x, int y, int clickCount);
    virtual void MouseUp(int /*x*/, int /*y*/) {}
    virtual void MouseDrag(int /*x*/, int /*y*/) {}
    virtual void MouseWheel(int /*delta*/) {}
    virtual bool IsPointVisible(int /*x*/, int /*y*/) { return true; }
    // Text centred in the widget's width, a shadow copy drawn first at the offset.
    virtual Rect WriteCenteredLine(Graphics* g, int y, const std::string& text, const Color& color,
                                   const Color& shadowColor, const Point& shadowOffset);
    virtual Rect WriteCenteredLine(Graphics* g, int y, const std::string& text);
    virtual int WriteString(Graphics* g, const std::string& text, int x, int y, int width = -1,
                            int justification = -1, bool draw = true, int offset = 0,
                            int length = -1);
    virtual int WriteWordWrapped(Graphics* g, const Rect& rect, const std::string& text,
                                 int lineSpacing = -1, int justification = -1);
    virtual int GetWordWrappedHeight(Graphics* g, int width, const std::string& text,
                                     int lineSpacing = -1);
    virtual int GetNumDigits(int number);
    // Draws `number` with digit cells cut from a strip of ten equal cells.
    virtual void WriteNumberFromStrip(Graphics* g, int number, int x, int y, Image* strip,
                                      int spacing);
    virtual bool Contains(int x, int y) {
        return x >= m_x && x < m_x + m_width && y >= m_y && y < m_y + m_height;
    }
    virtual Rect GetInsetRect();

    bool IsVisible() const { return m_visible; }
    bool IsDisabled() const { return m_disabled; }
    bool HasFocus() const { return m_hasFocus; }
    bool IsOver() const { return m_isOver; }
    bool IsDown() const { return m_isDown; }

    int16_t m_hitPriority = 500;
    bool m_visible = true;
    bool m_mouseVisible = true;  // the widget itself can be hit
    bool m_disabled = false;
    bool m_hasFocus = false;
    bool m_isDown = false;    // pressed
    bool m_isOver = false;    // hovered
    bool m_doFinger = false;  // show the hand cursor on hover
    bool m_wantsFocus = false;
    Widget* m_tabPrev = nullptr;
    Widget* m_tabNext = nullptr;
    std::vector<Color> m_colors;
    struct Insets {
        int left = 0, top = 0, right = 0, bottom = 0;
    } m_insets;
};

}  // namespace Brisk
