#pragma once

#include <cstdint>

#include "controls/Types.h"

namespace ControlLibrary {

class ICursor;
class IToolTip;
class VisibleObject_impl;

// Receives the mouse events of the visible objects it was added to; `id`
// names the object. Main thread.
class MouseMessageObserver {
public:
    virtual ~MouseMessageObserver() = default;
    virtual void OnMouseClick(int32_t /*id*/) {}
    virtual void OnMouseDown(int32_t /*id*/) {}
    virtual void OnMouseEnter(int32_t /*id*/) {}
    virtual void OnMouseMove(int32_t /*id*/, int32_t /*x*/, int32_t /*y*/) {}
    virtual void OnMouseLeave(int32_t /*id*/) {}
};

// Receives the keys of the focused visible object it was added to. Main thread.
class KeybdMessageObserver {
public:
    virtual ~KeybdMessageObserver() = default;
    virtual void OnChar(int32_t /*id*/, char /*ch*/) {}
    virtual void OnKeyDown(int32_t /*id*/, int32_t /*key*/) {}
    virtual void OnKeyUp(int32_t /*id*/, int32_t /*key*/) {}
};

// Receives every key whatever holds the focus, while IsKeybdActive says so.
// Main thread.
class KeybdSysMessageObserver {
public:
    virtual ~KeybdSysMessageObserver() = default;
    virtual void OnSysKeyDown(int32_t /*key*/) {}
    virtual void OnSysKeyUp(int32_t /*key*/) {}
    virtual bool IsKeybdActive() { return true; }
};

// What the game holds of every visible object. Made and released through the
// factory (IFactory), never deleted directly. Observers are not owned and must
// outlive the object; there is no way to remove one.
class IVisibleObject {
public:
    virtual ~IVisibleObject() = default;
    virtual int32_t GetId() = 0;
    virtual void AddRef() = 0;
    // Lowers the use count (never below 0); only the factory deletes.
    virtual void Release() = 0;
    // The anchor, relative to the parent's screen position or the screen.
    virtual void SetPosition(int32_t x, int32_t y) = 0;
    virtual void SetPosition(const Point& point) = 0;
    virtual Point GetPosition() = 0;
    // The top-left corner after alignment and the parent's offset.
    virtual Point GetScreenPosition() = 0;
    virtual void SetSize(uint32_t width, uint32_t height) = 0;
    virtual void SetSize(const Size& size) = 0;
    virtual Size GetSize() = 0;
    virtual void SetColour(const Colour& colour) = 0;
    virtual Colour GetColour() = 0;
    // kAlignStart: the anchor is the left (top) edge, kAlignCentre the centre,
    // kAlignEnd the right (bottom) edge.
    virtual void SetAlignment(int32_t horizontal, int32_t vertical) = 0;
    // (anchor x, anchor y, width, height).
    virtual Rect GetRect() = 0;
    virtual Rect GetScreenRect() = 0;
    virtual void SetShown(bool shown) = 0;
    virtual bool IsShown() = 0;
    virtual void SetShowWithParent(bool on) = 0;
    virtual bool GetShowWithParent() = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool IsEnabled() = 0;
    virtual void SetZOrder(uint16_t zOrder) = 0;
    // The own z-order plus the parent's effective z-order.
    virtual int32_t GetZOrder() = 0;
    // Both take a count on the new object and drop the one held before.
    virtual void SetCursor(ICursor* cursor) = 0;
    virtual void SetToolTip(IToolTip* toolTip) = 0;
    virtual IToolTip* GetToolTip() = 0;
    virtual void SetFocusable(bool focusable) = 0;
    // Focusable, shown and enabled.
    virtual bool CanFocus() = 0;
    // Ignored unless the object can take the focus.
    virtual void SetFocus(bool focus) = 0;
    virtual bool HasFocus() = 0;
    // Stored for the game; the library never reads it.
    virtual void SetCommandNumber(int16_t number) = 0;
    virtual void AddMouseObserver(MouseMessageObserver* observer) = 0;
    virtual void AddKeybdObserver(KeybdMessageObserver* observer) = 0;
    // An exempt object stays enabled when a modal dialog opens.
    virtual void SetModalExempt(bool exempt) = 0;
    virtual bool IsModalExempt() = 0;
    // `parent` (may be null) must outlive this object.
    virtual void SetParent(IVisibleObject* parent) = 0;
    virtual void SetUserData(int32_t data) = 0;
    virtual int32_t GetUserData() = 0;
};

// How the factory handles a visible object of any kind.
class IBridgeToVO {
public:
    // Deletes the implementation object.
    virtual ~IBridgeToVO() = default;
    virtual VisibleObject_impl* GetImpl() = 0;
    virtual void Draw() = 0;
    virtual int32_t GetId() = 0;
    virtual int32_t GetZOrder() = 0;
    virtual void AddRef() = 0;
    virtual void Release() = 0;
    virtual int16_t GetRefCount() = 0;
    // The kind's interface, as handed to the game.
    virtual IVisibleObject* GetVisibleObject() = 0;

    // Factory bookkeeping: whether the object is in the display list. Guarded
    // by the factory lock.
    bool m_listed = false;
};

}  // namespace ControlLibrary
