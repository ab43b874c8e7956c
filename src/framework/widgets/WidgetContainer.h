#pragma once

#include <list>

#include "framework/graphics/Geometry.h"

namespace Brisk {

class Graphics;
class Widget;
class WidgetManager;

// Widget flag bits, combined top-down during every walk of the tree.
inline constexpr int WIDGETFLAGS_UPDATE = 1;      // the widget is updated
inline constexpr int WIDGETFLAGS_MARK_DIRTY = 2;  // marked dirty on every update
inline constexpr int WIDGETFLAGS_DRAW = 4;        // the widget is drawn
inline constexpr int WIDGETFLAGS_CLIP = 8;        // drawing is clipped to the widget
inline constexpr int WIDGETFLAGS_ALLOW_MOUSE = 16;
inline constexpr int WIDGETFLAGS_ALLOW_FOCUS = 32;

// A flag modifier: flags := (flags | add) & ~remove.
struct FlagsMod {
    int addFlags = 0;
    int removeFlags = 0;
    int Apply(int flags) const { return (flags | addFlags) & ~removeFlags; }
};

// The pair of flag sets a walk carries: one for widgets at or above the
// modal base widget (over), one for those below it (under).
struct ModalFlags {
    int overFlags = 0;
    int underFlags = 0;
    bool isOver = true;  // the walk has reached the modal base (or there is none)
    int GetFlags() const { return isOver ? overFlags : underFlags; }
    void Modify(const FlagsMod& mod) {
        overFlags = mod.Apply(overFlags);
        underFlags = mod.Apply(underFlags);
    }
};

// The base of widgets and of the widget manager: an ordered list of child
// widgets (bottom first), a rectangle relative to the parent, dirty state
// and the recursive update and draw walks. Containers do not own their
// children: whoever adds a widget deletes it. Main thread only.
class WidgetContainer {
public:
    WidgetContainer() = default;
    virtual ~WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    virtual Rect GetRect();
    // The rectangles overlap; touching edges do not count.
    virtual bool Intersects(WidgetContainer* other);
    // Ignored when `w` is already a child; inserted by z-order, newest on top
    // among equals.
    virtual void AddWidget(Widget* w);
    // Ignored when `w` is not a child. Safe during a walk of this container.
    virtual void RemoveWidget(Widget* w);
    virtual bool HasWidget(Widget* w);
    virtual void DisableWidget(Widget* /*w*/) {}
    virtual void RemoveAllWidgets(bool doDelete = false, bool recursive = false);
    virtual void SetFocus(Widget* /*w*/) {}
    // True when `a` comes before `b` in a depth-first walk (bottom first).
    virtual bool IsBelow(Widget* a, Widget* b);
    virtual void MarkAllDirty();
    virtual void BringToFront(Widget* w);
    virtual void BringToBack(Widget* w);
    virtual void PutBehind(Widget* w, Widget* ref);
    virtual void PutInFront(Widget* w, Widget* ref);
    virtual Point GetAbsPos();
    // Light marking of a child: see the cpp.
    virtual void MarkDirty(WidgetContainer* child);
    virtual void MarkSelfDirty() { m_dirty = true; }
    // Full marking of a child, including the siblings it overlaps.
    virtual void MarkDirtyFull(WidgetContainer* child);
    virtual void MarkDirty();
    virtual void AddedToManager(WidgetManager* manager);
    virtual void RemovedFromManager(WidgetManager* manager);
    virtual void Update() { ++m_updateCount; }
    virtual void UpdateAll(ModalFlags* flags);
    virtual void UpdateFraction(double /*fraction*/) {}
    virtual void UpdateFractionAll(ModalFlags* flags, double fraction);
    virtual void Draw(Graphics* /*g*/) {}
    virtual void DrawAll(ModalFlags* flags, Graphics* g);
    virtual void SysColorChangedAll();
    virtual void SysColorChanged() {}

    bool IsDirty() const { return m_dirty; }
    WidgetManager* GetManager() const { return m_widgetManager; }
    WidgetContainer* GetParent() const { return m_parent; }
    const std::list<Widget*>& GetChildren() const { return m_widgets; }
    int GetUpdateCount() const { return m_updateCount; }

    // Geometry and drawing state, relative to the parent.
    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_dirty = false;
    bool m_hasTransparency = false;
    bool m_hasAlpha = false;
    bool m_clipChildren = true;
    FlagsMod m_widgetFlagsMod;
    int m_priority = 0;  // orders deferred overlays
    int m_zOrder = 0;    // orders the children list

protected:
    friend class WidgetManager;

    // Puts `w` (already out of the list) at `pos`, then moves it so that the
    // list stays sorted by z-order.
    void InsertSorted(std::list<Widget*>::iterator pos, Widget* w);
    // Erases the node; a walk standing on it moves on first.
    void Unlink(std::list<Widget*>::iterator it);
    bool IsOpaque() const { return !m_hasTransparency && !m_hasAlpha; }
    // Walks the children with the safe iterator, calling fn(child, flags).
    template <typename Fn>
    void WalkChildren(ModalFlags* flags, Fn fn);

    std::list<Widget*> m_widgets;  // bottom first; not owned
    WidgetManager* m_widgetManager = nullptr;
    WidgetContainer* m_parent = nullptr;
    // The child a walk is at, and whether a removal moved it on already.
    std::list<Widget*>::iterator m_walkPos;
    bool m_walking = false;
    bool m_walkPosAdvanced = false;
    int m_lastUpdateStamp = -1;
    int m_updateCount = 0;
};

}  // namespace Brisk
