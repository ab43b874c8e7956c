#pragma once

#include <vector>

namespace Brisk {

class Graphics;
class WidgetManager;

// A rectangular element of the widget tree. Containers do not own their
// children. All operations run on the main thread.
class Widget {
public:
    Widget() = default;
    virtual ~Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    // Lifecycle notifications from the manager.
    virtual void AddedToManager(WidgetManager* manager) { m_manager = manager; }
    virtual void RemovedFromManager(WidgetManager* /*manager*/) { m_manager = nullptr; }

    // Once per logical frame.
    virtual void Update() {}
    virtual void UpdateFraction(double /*fraction*/) {}
    // Draws the widget; `g` is translated to the widget and clipped to it.
    virtual void Draw(Graphics* /*g*/) {}

    // Input, in the widget's own coordinates. Click counts: 1 left, 2 left
    // double, -1 right, -2 right double, 3 middle.
    virtual void MouseMove(int /*x*/, int /*y*/) {}
    virtual void MouseDown(int /*x*/, int /*y*/, int /*clickCount*/) {}
    virtual void MouseUp(int /*x*/, int /*y*/, int /*clickCount*/) {}
    virtual void MouseWheel(int /*delta*/) {}
    virtual void MouseLeave() {}
    virtual void KeyChar(char /*ch*/) {}
    virtual void KeyDown(int /*key*/) {}
    virtual void KeyUp(int /*key*/) {}
    virtual void GotFocus() {}
    virtual void LostFocus() {}

    void Resize(int x, int y, int width, int height);
    bool Contains(int x, int y) const {
        return x >= m_x && y >= m_y && x < m_x + m_width && y < m_y + m_height;
    }
    void MarkDirty() { m_dirty = true; }
    bool IsDirty() const { return m_dirty; }
    void ClearDirty() { m_dirty = false; }
    WidgetManager* GetManager() const { return m_manager; }

    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_visible = true;

protected:
    WidgetManager* m_manager = nullptr;  // not owned
    bool m_dirty = false;
};

}  // namespace Brisk
