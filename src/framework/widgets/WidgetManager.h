#pragma once

#include <array>
#include <vector>

#include "framework/platform/Video.h"

namespace Brisk {

class Image;
class Widget;

// Root of the widget tree: routes input to widgets and draws the dirty ones.
// Does not own its widgets. Main thread only.
class WidgetManager {
public:
    WidgetManager() = default;
    WidgetManager(const WidgetManager&) = delete;
    WidgetManager& operator=(const WidgetManager&) = delete;

    // Ignored when `w` is already in the tree; `w` must outlive its membership.
    void AddWidget(Widget* w);
    // Ignored when `w` is not in the tree.
    void RemoveWidget(Widget* w);
    bool HasWidget(const Widget* w) const;
    void SetFocus(Widget* w);
    Widget* GetFocus() const { return m_focus; }

    // One logical frame for every widget; true when something must be drawn.
    bool UpdateFrame();
    bool UpdateFrameFraction(double fraction);
    // Draws every dirty widget; true when anything was drawn.
    bool DrawScreen();
    void MarkAllDirty();
    void SystemColorsChanged() { MarkAllDirty(); }

    // Input entry points, in widget-area coordinates.
    void MouseMove(int x, int y);
    void MouseDown(int x, int y, int clickCount);
    void MouseUp(int x, int y, int clickCount);
    void MouseWheel(int delta);
    void MouseLeave(int x, int y);
    void KeyDown(int key);
    void KeyUp(int key);
    void KeyChar(char ch);
    void GainFocus();
    void LoseFocus();
    // Sends the ups of all held buttons to the captured widget and clears the capture.
    void ReleaseHeldButtons();
    bool HasHeldButtons() const { return m_heldButtons != 0; }
    bool IsKeyDown(int key) const { return key >= 0 && key < 255 && m_keyDown[key]; }

    // Maps a window position through the mouse rectangle into the widget area.
    void MapWindowPoint(int* x, int* y) const;
    void Resize(const Platform::Rect& widgetRect, const Platform::Rect& mouseRect);
    const Platform::Rect& GetWidgetRect() const { return m_widgetRect; }

    // The image DrawScreen draws into (the display's back buffer); may be null.
    void SetScreenImage(Image* image) { m_screenImage = image; }
    Image* GetScreenImage() const { return m_screenImage; }

    int GetUpdateCount() const { return m_updateCount; }
    bool HasApplicationFocus() const { return m_hasFocus; }

private:
    Widget* WidgetAt(int x, int y) const;

    std::vector<Widget*> m_widgets;  // bottom first; not owned
    Image* m_screenImage = nullptr;  // not owned
    Widget* m_focus = nullptr;
    Widget* m_captured = nullptr;
    Widget* m_over = nullptr;
    Platform::Rect m_widgetRect;
    Platform::Rect m_mouseRect;
    int m_heldButtons = 0;  // 1 left, 2 right, 4 middle
    int m_lastX = 0;
    int m_lastY = 0;
    int m_updateCount = 0;
    bool m_hasFocus = true;
    bool m_dirty = false;
    std::array<bool, 255> m_keyDown{};
};

}  // namespace Brisk
