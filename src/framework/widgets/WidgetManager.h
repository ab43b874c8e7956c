#pragma once

#include <array>
#include <climits>
#include <functional>
#include <utility>
#include <vector>

#include "framework/graphics/Geometry.h"
#include "framework/widgets/CursorNumber.h"
#include "framework/widgets/WidgetContainer.h"

namespace Brisk {

class Graphics;
class Image;
class Widget;

// Receives every key, whatever widget has the focus.
class KeyboardListener {
public:
    virtual ~KeyboardListener() = default;
    virtual void KeyDown(int /*key*/) {}
    virtual void KeyUp(int /*key*/) {}
    virtual void KeyChar(char /*ch*/) {}
};

// The root of the widget tree: routes mouse and keyboard input to widgets
// (hover, capture, focus, modal layers) and draws the dirty widgets into the
// screen image. Does not own its widgets. Main thread only.
class WidgetManager : public WidgetContainer {
public:
    WidgetManager();
    ~WidgetManager() override;

    void DisableWidget(Widget* w) override;
    void SetFocus(Widget* w) override;

    // --- entry points of the application --------------------------------
    void MouseMove(int x, int y);
    // Click counts: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    void MouseDown(int x, int y, int clickCount);
    void MouseUp(int x, int y, int clickCount);
    void MouseWheel(int delta);
    void MouseLeave(int x, int y);
    void KeyDown(int key);
    void KeyUp(int key);
    void KeyChar(char ch);
    void GainFocus();
    void LoseFocus();
    // Sends a key up for every key still held down and forgets them.
    void ReleaseHeldKeys();
    // Sends the ups of all held buttons to the captured widget and clears the capture.
    void ReleaseHeldButtons();
    // One logical frame for every widget; true when something must be drawn.
    bool UpdateFrame();
    bool UpdateFrameFraction(double fraction);
    // Draws the dirty widgets into the screen image; true when anything was drawn.
    bool DrawScreen();
    void SystemColorsChanged() { SysColorChangedAll(); }
    // Maps a window position through the mouse rectangle into the widget area.
    void MapWindowPoint(int* x, int* y) const;
    // The last mouse position the manager saw, in widget-area coordinates.
    std::pair<int, int> GetLastMousePosition() const { return {m_lastMouseX, m_lastMouseY}; }
    void Resize(const Rect& widgetRect, const Rect& mouseRect);
    void BeginModal(Widget* w);
    void EndModal(Widget* w);

    // --- queries and settings ---------------------------------------------
    // The topmost hittable, enabled widget under (x, y), with its local position.
    Widget* GetWidgetAt(int x, int y, int* localX = nullptr, int* localY = nullptr);
    // Re-evaluates the hovered widget at the last mouse position.
    void RefreshHover();
    // Queues an overlay to be drawn after the widgets, in ascending priority.
    void DeferOverlay(Widget* w, int priority);

    void SetScreenImage(Image* image) {
        m_screenImage = image;
        ++m_wholeDrawCount;
    }
    // Marks every widget dirty, to be drawn whole (a picture made anew,
    // exposed, restored or resized).
    void MarkAllDirty() override;
    // Counts the times the whole area had to be drawn again; a widget that
    // draws only its changes draws all of itself when this has moved on
    // since its last draw, or when it shares the screen with other widgets.
    uint64_t GetWholeDrawCount() const { return m_wholeDrawCount; }
    bool HasOtherVisibleWidgets(const Widget* w) const;
    // The screen area the last DrawScreen changed, in screen-image
    // coordinates; nullopt when it may have changed anywhere.
    const std::optional<Rect>& GetDrawnArea() const { return m_drawnArea; }
    Image* GetScreenImage() const { return m_screenImage; }
    Widget* GetFocus() const { return m_focusWidget; }
    Widget* GetOverWidget() const { return m_overWidget; }
    Widget* GetCapturedWidget() const { return m_lastDownWidget; }
    Widget* GetModalBase() const { return m_baseModalWidget; }
    bool HasHeldButtons() const { return m_downButtons != 0; }
    int GetHeldButtons() const { return m_downButtons; }
    bool IsKeyDown(int key) const {
        return key >= 0 && key < 255 && m_keyDown[static_cast<size_t>(key)];
    }
    bool HasApplicationFocus() const { return m_hasFocus; }
    const Rect& GetWidgetRect() const { return m_widgetRect; }
    int GetUpdateCnt() const { return m_updateCnt; }
    int GetLastInputUpdateCnt() const { return m_lastInputUpdateCnt; }

    void SetPopupCommandWidget(Widget* w) { m_popupCommandWidget = w; }
    Widget* GetPopupCommandWidget() const { return m_popupCommandWidget; }
    void ClearPopupCommandWidget() { m_popupCommandWidget = nullptr; }
    void SetDefaultTab(Widget* w) { m_defaultTab = w; }
    // `listener` (may be null) must outlive its registration.
    void SetKeyboardListener(KeyboardListener* listener) { m_keyboardListener = listener; }
    // What ShowHandCursor calls: sets the application's cursor number.
    void SetCursorHandler(std::function<void(CursorNumber)> handler) {
        m_cursorHandler = std::move(handler);
    }
    void SetCursor(CursorNumber cursorNum) {
        if (m_cursorHandler) {
            m_cursorHandler(cursorNum);
        }
    }

    int m_widgetFlags = WIDGETFLAGS_UPDATE | WIDGETFLAGS_DRAW | WIDGETFLAGS_CLIP |
                        WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS;
    FlagsMod m_lostFocusFlagsMod;
    FlagsMod m_defaultBelowModalFlagsMod{0, WIDGETFLAGS_ALLOW_MOUSE | WIDGETFLAGS_ALLOW_FOCUS};
    FlagsMod m_belowModalFlagsMod;

private:
    friend class WidgetContainer;
    friend class Widget;

    struct ModalLayer {
        Widget* baseWidget = nullptr;
        Widget* prevBaseWidget = nullptr;
        Widget* prevFocusWidget = nullptr;
        FlagsMod prevBelowModalFlagsMod;
    };
    struct Overlay {
        Widget* widget = nullptr;
        int priority = 0;
    };

    void InitModalFlags(ModalFlags* flags) const;
    void SetBaseModal(Widget* w, const FlagsMod& belowFlags);
    Widget* GetAnyWidgetAt(int x, int y, int* localX, int* localY);
    Widget* FindWidgetAt(WidgetContainer* parent, int x, int y, ModalFlags flags, bool* found,
                         int* localX, int* localY);
    void MousePosition(int x, int y);
    void EnterWidget(Widget* w, int localX, int localY);
    void LeaveOverWidget();
    void DisableOne(Widget* w);
    void RemovedWidget(Widget* w);  // forget every role of `w` and its descendants
    void DrawOverlaysBelow(int priority);
    int ButtonBitOf(int clickCount) const;

    Image* m_screenImage = nullptr;         // not owned
    Graphics* m_currentGraphics = nullptr;  // during DrawScreen
    Rect m_widgetRect;
    Rect m_mouseRect;
    Widget* m_focusWidget = nullptr;
    Widget* m_lastDownWidget = nullptr;  // captured
    Widget* m_overWidget = nullptr;
    Widget* m_baseModalWidget = nullptr;
    Widget* m_popupCommandWidget = nullptr;
    Widget* m_defaultTab = nullptr;
    KeyboardListener* m_keyboardListener = nullptr;
    std::function<void(CursorNumber)> m_cursorHandler;
    std::vector<ModalLayer> m_modalLayers;
    std::vector<Overlay> m_overlays;
    int m_minOverlayPriority = INT_MAX;
    bool m_hasFocus = true;
    bool m_mouseIn = false;
    int m_lastMouseX = 0;
    int m_lastMouseY = 0;
    int m_downButtons = 0;  // held: 1 left, 2 right, 4 middle
    int m_actualDownButtons = 0;
    int m_lastDownButtonId = 0;  // 1 left, -1 right, 2 middle
    std::array<bool, 255> m_keyDown{};
    int m_updateCnt = 0;
    int m_lastInputUpdateCnt = 0;
    uint64_t m_wholeDrawCount = 0;
    std::optional<Rect> m_drawnArea;
};

}  // namespace Brisk
