#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "controls/IVisibleObject.h"
#include "controls/Resources.h"

namespace ControlLibrary {

class Factory_impl;

// The state and behaviour every kind of visible object shares. Kinds derive
// from it and draw themselves.
//
// Threads: the main thread (game logic, input) and the timer thread (time
// notifications, effects) both change objects. Every operation holds the
// factory lock while it reads or writes fields; observers are notified after
// the lock is let go, so that they may take the time system's locks.
class VisibleObject_impl {
public:
    // `factory` must outlive the object.
    VisibleObject_impl(Factory_impl* factory, int32_t id);
    // Hands the cursor and tool tip back to the factory.
    virtual ~VisibleObject_impl();
    VisibleObject_impl(const VisibleObject_impl&) = delete;
    VisibleObject_impl& operator=(const VisibleObject_impl&) = delete;

    // Called by the factory under its lock during DrawAll.
    virtual void Draw() = 0;
    virtual void SetPosition(const Point& point);
    // Aligned anchor plus the parent's screen position plus half the size.
    virtual Point GetCenter();
    virtual void SetSize(const Size& size);
    virtual Rect GetRect();
    virtual Rect GetScreenRect();
    virtual void SetShown(bool shown);
    virtual void SetEnabled(bool enabled);
    virtual void SetZOrder(uint16_t zOrder);
    // Effective: the own z-order plus the parent's effective z-order.
    virtual int32_t GetZOrder();
    virtual void SetFocusable(bool focusable);
    virtual void SetFocus(bool focus);
    // Input handlers, called by the factory's routing on the main thread.
    virtual void HandleMouseEnter();
    virtual void HandleMouseMove(int32_t x, int32_t y);
    virtual void HandleMouseLeave();
    virtual void HandleMouseUp(int32_t x, int32_t y, int32_t clickCount);
    virtual void HandleMouseDown(int32_t x, int32_t y, int32_t clickCount);
    virtual void HandleChar(char ch);
    virtual void HandleKeyDown(int32_t key);
    virtual void HandleKeyUp(int32_t key);

    // --- the rest of IVisibleObject (not overridden by kinds) ------------
    int32_t GetId() const { return m_id; }
    Point GetPosition();
    Point GetScreenPosition();
    Size GetSize();
    void SetColour(const Colour& colour);
    Colour GetColour();
    void SetAlignment(int32_t horizontal, int32_t vertical);
    bool IsShown();
    void SetShowWithParent(bool on);
    bool GetShowWithParent();
    bool IsEnabled();
    void SetCursor(ICursor* cursor);
    void SetToolTip(IToolTip* toolTip);
    IToolTip* GetToolTip();
    bool CanFocus();
    bool HasFocus();
    void SetCommandNumber(int16_t number);
    void AddMouseObserver(MouseMessageObserver* observer);
    void AddKeybdObserver(KeybdMessageObserver* observer);
    void SetModalExempt(bool exempt);
    bool IsModalExempt();
    void SetParent(IVisibleObject* parent);
    void SetUserData(int32_t data);
    int32_t GetUserData();
    bool IsOver();
    // The factory forgets this object as the one under the pointer (it was
    // hidden): over is cleared without notifying anyone.
    void ForgetOver();

    bool IsDirty() const { return m_dirty.load(std::memory_order_relaxed); }
    void SetDirty() { m_dirty.store(true, std::memory_order_relaxed); }
    void ClearDirty() { m_dirty.store(false, std::memory_order_relaxed); }

protected:
    // The factory lock, for the whole of an operation that reads or writes fields.
    std::unique_lock<std::recursive_mutex> Lock() const;
    // Asks the factory to bring the display-list membership up to date and
    // sets dirty ("mark changed").
    void MarkChanged();
    // Stores `value` and marks changed, unless the field already holds it.
    template <class T>
    void StoreAndMarkChanged(T& field, const T& value) {
        auto lock = Lock();
        if (value != field) {
            field = value;
            MarkChanged();
        }
    }
    // Recomputes the screen position from anchor, alignment, size and parent,
    // then marks changed.
    void RecomputeScreenPosition();
    // Sets the size, through the common SetSize, to the text's width and the
    // font's height (both 16-bit); nothing without a font.
    void FitToText(IFont* font, const std::string& text);
    // Stores `next` in `slot` with a count of its own; false when it was
    // there already. `*previous` gets what the slot held: its count is the
    // caller's to give back with GiveBack (outside the object's lock, where
    // the caller holds one).
    template <class Resource>
    static bool SwapCounted(Resource*& slot, std::type_identity_t<Resource>* next,
                            Resource** previous) {
        if (next == slot) {
            return false;
        }
        if (next != nullptr) {
            next->AddRef();
        }
        *previous = std::exchange(slot, next);
        return true;
    }
    // Gives one count back to the factory (null does nothing).
    void GiveBack(IFont* font);
    void GiveBack(ISound* sound);
    void GiveBack(ICursor* cursor);
    void GiveBack(IToolTip* toolTip);
    // SwapCounted and GiveBack at once.
    template <class Resource>
    void HoldCounted(Resource*& slot, std::type_identity_t<Resource>* next) {
        Resource* previous = nullptr;
        if (SwapCounted(slot, next, &previous)) {
            GiveBack(previous);
        }
    }
    // Loads `path` through the image cache into `*slot`, giving back the
    // picture held before; false (the slot unchanged) when it cannot load.
    bool ReplaceImage(const std::string& path, int32_t* slot);
    // Plays `sound` once, if there is one.
    static void PlayOnce(ISound* sound);
    // Sends `notify` to every mouse observer, in the order they were added,
    // without holding the lock.
    template <class Fn>
    void NotifyMouse(Fn notify);
    template <class Fn>
    void NotifyKeybd(Fn notify);

    Factory_impl* m_factory;  // not owned

    // Guarded by the factory lock.
    int32_t m_id;
    std::vector<MouseMessageObserver*> m_mouseObservers;  // not owned
    std::vector<KeybdMessageObserver*> m_keybdObservers;  // not owned
    IToolTip* m_toolTip = nullptr;                        // counted
    ICursor* m_cursor = nullptr;                          // counted
    IVisibleObject* m_parent = nullptr;                   // not owned
    Point m_lastMouse;
    Point m_position;
    Point m_screenPosition;
    uint16_t m_zOrder = 0;
    int32_t m_hAlign = 0;
    int32_t m_vAlign = 0;
    int16_t m_commandNumber = -1;
    Size m_size;
    bool m_pressed = false;
    bool m_over = false;
    bool m_focusable = true;
    bool m_focused = false;
    bool m_enabled = true;
    bool m_shown = false;
    bool m_showWithParent = true;
    bool m_modalExempt = false;
    Colour m_colour;
    int32_t m_userData = 0;

private:
    // Read by the factory's poll on the timer thread.
    std::atomic<bool> m_dirty{false};
};

}  // namespace ControlLibrary
