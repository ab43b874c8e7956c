#include "framework/widgets/WidgetManager.h"

#include <algorithm>
#include <functional>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Widget.h"

namespace Brisk {

WidgetManager::WidgetManager() {
    m_widgetManager = this;
}

WidgetManager::~WidgetManager() {
    // Widgets outlive the manager only detached: forget every reference.
    for (Widget* w : m_widgets) {
        w->m_widgetManager = nullptr;
        w->m_parent = nullptr;
    }
    m_widgets.clear();
}

// --- flags ---------------------------------------------------------------------

void WidgetManager::InitModalFlags(ModalFlags* flags) const {
    flags->overFlags = m_hasFocus ? m_widgetFlags : m_lostFocusFlagsMod.Apply(m_widgetFlags);
    flags->underFlags = m_belowModalFlagsMod.Apply(flags->overFlags);
    flags->isOver = m_baseModalWidget == nullptr;
}

// --- update and draw -------------------------------------------------------------

bool WidgetManager::UpdateFrame() {
    ModalFlags flags;
    InitModalFlags(&flags);
    ++m_updateCnt;
    m_lastUpdateStamp = m_updateCnt;
    UpdateAll(&flags);
    return m_dirty;
}

bool WidgetManager::UpdateFrameFraction(double fraction) {
    ModalFlags flags;
    InitModalFlags(&flags);
    UpdateFractionAll(&flags, fraction);
    return m_dirty;
}

void WidgetManager::DeferOverlay(Widget* w, int priority) {
    m_overlays.push_back({w, priority});
    m_minOverlayPriority = std::min(m_minOverlayPriority, priority);
}

void WidgetManager::DrawOverlaysBelow(int limit) {
    while (!m_overlays.empty() && m_minOverlayPriority < limit) {
        const int priority = m_minOverlayPriority;
        for (Overlay& o : m_overlays) {
            if (o.widget != nullptr && o.priority == priority) {
                Graphics g(*m_currentGraphics);
                const Point p = o.widget->GetAbsPos();
                g.Translate(p.x - m_widgetRect.x, p.y - m_widgetRect.y);
                Widget* w = o.widget;
                o.widget = nullptr;
                w->DrawOverlay(&g, priority);
            }
        }
        std::erase_if(m_overlays, [](const Overlay& o) { return o.widget == nullptr; });
        m_minOverlayPriority = INT_MAX;
        for (const Overlay& o : m_overlays) {
            m_minOverlayPriority = std::min(m_minOverlayPriority, o.priority);
        }
    }
    if (m_overlays.empty()) {
        m_minOverlayPriority = INT_MAX;
    }
}

void WidgetManager::MarkAllDirty() {
    ++m_wholeDrawCount;
    WidgetContainer::MarkAllDirty();
}

bool WidgetManager::HasOtherVisibleWidgets(const Widget* w) const {
    return std::any_of(m_widgets.begin(), m_widgets.end(),
                       [w](const Widget* other) { return other != w && other->m_visible; });
}

bool WidgetManager::DrawScreen() {
    ModalFlags flags;
    InitModalFlags(&flags);
    m_overlays.clear();
    m_minOverlayPriority = INT_MAX;
    const bool anyDirty =
        std::any_of(m_widgets.begin(), m_widgets.end(), [](Widget* w) { return w->m_dirty; });
    bool drawn = false;
    std::optional<Rect> area = Rect{0, 0, 0, 0};
    Graphics screen(m_screenImage);
    m_currentGraphics = &screen;
    if (anyDirty) {
        Graphics g(screen);
        g.Translate(-m_widgetRect.x, -m_widgetRect.y);
        for (Widget* child : m_widgets) {
            if (child == m_baseModalWidget) {
                flags.isOver = true;
            }
            if (child->m_dirty && child->m_visible) {
                Graphics copy(g);
                copy.SetFastStretch(true);
                copy.Translate(child->m_x, child->m_y);
                child->DrawAll(&flags, &copy);
                child->m_dirty = false;
                drawn = true;
                Rect part =
                    child->GetLastDrawnArea().value_or(Rect{0, 0, child->m_width, child->m_height});
                part.x += child->m_x - m_widgetRect.x;
                part.y += child->m_y - m_widgetRect.y;
                if (area) {
                    area = Union(*area, part);
                }
            }
        }
    }
    if (!m_overlays.empty()) {
        area.reset();  // overlays draw where they like
    }
    DrawOverlaysBelow(INT_MAX);
    m_currentGraphics = nullptr;
    m_dirty = false;
    m_drawnArea = area;
    return drawn;
}

// --- hit testing -----------------------------------------------------------------

Widget* WidgetManager::FindWidgetAt(WidgetContainer* parent, int x, int y, ModalFlags flags,
                                    bool* found, int* localX, int* localY) {
    // The modal base's position in this list decides which children are below it.
    std::vector<Widget*> children(parent->m_widgets.begin(), parent->m_widgets.end());
    std::vector<bool> above(children.size(), flags.isOver);
    if (!flags.isOver) {
        bool on = false;
        for (size_t i = 0; i < children.size(); ++i) {
            on = on || children[i] == m_baseModalWidget;
            above[i] = on;
        }
    }
    Widget* best = nullptr;
    int bestX = 0;
    int bestY = 0;
    for (size_t i = children.size(); i-- > 0;) {
        Widget* child = children[i];
        ModalFlags childFlags = flags;
        childFlags.isOver = above[i];
        childFlags.Modify(child->m_widgetFlagsMod);
        if (!child->m_visible || (childFlags.GetFlags() & WIDGETFLAGS_ALLOW_MOUSE) == 0) {
            continue;
        }
        const int cx = x - child->m_x;
        const int cy = y - child->m_y;
        int innerX = 0;
        int innerY = 0;
        bool innerFound = false;
        Widget* inner = FindWidgetAt(child, cx, cy, childFlags, &innerFound, &innerX, &innerY);
        if (innerFound) {
            *found = true;
            *localX = innerX;
            *localY = innerY;
            return inner;
        }
        const Rect inset = child->GetInsetRect();
        if (child->m_mouseVisible && x >= inset.x && y >= inset.y && x < inset.x + inset.width &&
            y < inset.y + inset.height && child->IsPointVisible(cx, cy)) {
            if (best == nullptr || child->GetHitPriority() > best->GetHitPriority()) {
                best = child;
                bestX = cx;
                bestY = cy;
            }
        }
    }
    if (best != nullptr) {
        *found = true;
        *localX = bestX;
        *localY = bestY;
    }
    return best;
}

Widget* WidgetManager::GetAnyWidgetAt(int x, int y, int* localX, int* localY) {
    ModalFlags flags;
    InitModalFlags(&flags);
    bool found = false;
    int lx = 0;
    int ly = 0;
    Widget* w = FindWidgetAt(this, x, y, flags, &found, &lx, &ly);
    if (localX != nullptr) {
        *localX = lx;
    }
    if (localY != nullptr) {
        *localY = ly;
    }
    return w;
}

Widget* WidgetManager::GetWidgetAt(int x, int y, int* localX, int* localY) {
    Widget* w = GetAnyWidgetAt(x, y, localX, localY);
    return w != nullptr && w->m_disabled ? nullptr : w;
}

// --- hover -----------------------------------------------------------------------

void WidgetManager::LeaveOverWidget() {
    Widget* w = m_overWidget;
    if (w == nullptr) {
        return;
    }
    m_overWidget = nullptr;
    w->m_isOver = false;
    w->MouseLeave();
    if (w->m_doFinger) {
        w->ShowHandCursor(false);
    }
}

void WidgetManager::EnterWidget(Widget* w, int localX, int localY) {
    m_overWidget = w;
    w->m_isOver = true;
    w->MouseEnter();
    if (w->m_doFinger) {
        w->ShowHandCursor(true);
    }
    w->MouseMove(localX, localY);
}

void WidgetManager::MousePosition(int x, int y) {
    m_lastMouseX = x;
    m_lastMouseY = y;
    int lx = 0;
    int ly = 0;
    Widget* w = GetWidgetAt(x, y, &lx, &ly);
    if (w == m_overWidget) {
        if (w != nullptr) {
            w->MouseMove(lx, ly);
        }
        return;
    }
    LeaveOverWidget();
    if (w != nullptr) {
        EnterWidget(w, lx, ly);
    }
}

void WidgetManager::RefreshHover() {
    if (!m_mouseIn) {
        return;
    }
    int lx = 0;
    int ly = 0;
    Widget* w = GetWidgetAt(m_lastMouseX, m_lastMouseY, &lx, &ly);
    if (m_downButtons != 0) {
        // While a button is held only the captured widget can be hovered; it
        // stops being hovered when it is hidden or disabled under the pointer.
        if (m_overWidget != nullptr && w != m_overWidget) {
            LeaveOverWidget();
        }
        return;
    }
    if (w != m_overWidget) {
        LeaveOverWidget();
        if (w != nullptr) {
            EnterWidget(w, lx, ly);
        }
    }
}

// --- mouse -----------------------------------------------------------------------

int WidgetManager::ButtonBitOf(int clickCount) const {
    if (clickCount == 3) {
        return 4;
    }
    return clickCount < 0 ? 2 : 1;
}

void WidgetManager::MouseMove(int x, int y) {
    m_lastInputUpdateCnt = m_updateCnt;
    if (m_downButtons != 0 && m_lastDownWidget != nullptr) {
        // A drag: the captured widget follows the pointer wherever it goes.
        Widget* captured = m_lastDownWidget;
        if (m_overWidget != nullptr && m_overWidget != captured) {
            LeaveOverWidget();
        }
        m_lastMouseX = x;
        m_lastMouseY = y;
        const Point abs = captured->GetAbsPos();
        captured->MouseDrag(x - abs.x, y - abs.y);
        int lx = 0;
        int ly = 0;
        const bool over = GetWidgetAt(x, y, &lx, &ly) == captured;
        if (!over && m_overWidget == captured) {
            m_overWidget = nullptr;
            captured->m_isOver = false;
            captured->MouseLeave();
        } else if (over && m_overWidget != captured) {
            m_overWidget = captured;
            captured->m_isOver = true;
            captured->MouseEnter();
        }
        return;
    }
    m_mouseIn = true;
    MousePosition(x, y);
}

void WidgetManager::MouseDown(int x, int y, int clickCount) {
    m_lastInputUpdateCnt = m_updateCnt;
    const int bit = ButtonBitOf(clickCount);
    m_actualDownButtons |= bit;
    m_mouseIn = true;
    if (m_downButtons == 0) {
        MousePosition(x, y);
    }
    if (m_popupCommandWidget != nullptr) {
        // A click outside the popup command widget closes it.
        Widget* popup = m_popupCommandWidget;
        const Point abs = popup->GetAbsPos();
        const bool inside =
            x >= abs.x && y >= abs.y && x < abs.x + popup->m_width && y < abs.y + popup->m_height;
        if (!inside) {
            m_popupCommandWidget = nullptr;
            if (popup->m_parent != nullptr) {
                popup->m_parent->RemoveWidget(popup);
            }
        }
    }
    Widget* target = m_lastDownWidget;
    int lx = 0;
    int ly = 0;
    if (target == nullptr) {
        target = GetWidgetAt(x, y, &lx, &ly);
    } else {
        const Point abs = target->GetAbsPos();
        lx = x - abs.x;
        ly = y - abs.y;
    }
    m_downButtons |= bit;
    m_lastDownButtonId = clickCount == 3 ? 2 : (clickCount < 0 ? -1 : 1);
    m_lastDownWidget = target;
    if (target == nullptr) {
        return;
    }
    if (target->WantsFocus()) {
        SetFocus(target);
    }
    target->m_isDown = true;
    target->MouseDown(lx, ly, clickCount);
}

void WidgetManager::MouseUp(int x, int y, int clickCount) {
    m_lastInputUpdateCnt = m_updateCnt;
    const int bit = ButtonBitOf(clickCount);
    m_actualDownButtons &= ~bit;
    if (m_lastDownWidget != nullptr && (m_downButtons & bit) != 0) {
        Widget* w = m_lastDownWidget;
        m_downButtons &= ~bit;
        if (m_downButtons == 0) {
            m_lastDownWidget = nullptr;
        }
        w->m_isDown = false;
        const Point abs = w->GetAbsPos();
        w->MouseUp(x - abs.x, y - abs.y, clickCount);
    } else {
        m_downButtons &= ~bit;
    }
    MousePosition(x, y);
}

void WidgetManager::MouseWheel(int delta) {
    m_lastInputUpdateCnt = m_updateCnt;
    if (m_focusWidget != nullptr) {
        m_focusWidget->MouseWheel(delta);
    }
}

void WidgetManager::MouseLeave(int /*x*/, int /*y*/) {
    m_mouseIn = false;
    LeaveOverWidget();
}

void WidgetManager::ReleaseHeldButtons() {
    Widget* w = m_lastDownWidget;
    const int held = m_downButtons;
    m_lastDownWidget = nullptr;
    m_downButtons = 0;
    if (w == nullptr) {
        return;
    }
    w->m_isDown = false;
    const Point abs = w->GetAbsPos();
    const int lx = m_lastMouseX - abs.x;
    const int ly = m_lastMouseY - abs.y;
    if ((held & 1) != 0) {
        w->MouseUp(lx, ly, 1);
    }
    if ((held & 2) != 0) {
        w->MouseUp(lx, ly, -1);
    }
    if ((held & 4) != 0) {
        w->MouseUp(lx, ly, 3);
    }
}

// --- keyboard ------------------------------------------------------------------

void WidgetManager::KeyDown(int key) {
    m_lastInputUpdateCnt = m_updateCnt;
    if (key >= 0 && key <= 254) {
        m_keyDown[static_cast<size_t>(key)] = true;
    }
    if (m_focusWidget != nullptr) {
        m_focusWidget->KeyDown(key);
    }
    if (m_keyboardListener != nullptr) {
        m_keyboardListener->KeyDown(key);
    }
}

void WidgetManager::KeyUp(int key) {
    m_lastInputUpdateCnt = m_updateCnt;
    if (key >= 0 && key <= 254) {
        m_keyDown[static_cast<size_t>(key)] = false;
    }
    if (key == 9 && IsKeyDown(17)) {
        return;  // Ctrl+Tab went to the default-tab widget as a character
    }
    if (m_focusWidget != nullptr) {
        m_focusWidget->KeyUp(key);
    }
    if (m_keyboardListener != nullptr) {
        m_keyboardListener->KeyUp(key);
    }
}

void WidgetManager::KeyChar(char ch) {
    m_lastInputUpdateCnt = m_updateCnt;
    if (ch == 9 && IsKeyDown(17)) {
        if (m_defaultTab != nullptr) {
            m_defaultTab->KeyChar(ch);
        }
        return;
    }
    if (m_focusWidget != nullptr) {
        m_focusWidget->KeyChar(ch);
    }
    if (m_keyboardListener != nullptr) {
        m_keyboardListener->KeyChar(ch);
    }
}

// --- focus ------------------------------------------------------------------------

void WidgetManager::SetFocus(Widget* w) {
    if (w == m_focusWidget) {
        return;
    }
    if (m_focusWidget != nullptr) {
        Widget* old = m_focusWidget;
        m_focusWidget = nullptr;
        old->LostFocus();
    }
    if (w != nullptr && w->m_widgetManager == this) {
        m_focusWidget = w;
        if (m_hasFocus) {
            w->GotFocus();
        }
    }
}

void WidgetManager::GainFocus() {
    m_hasFocus = true;
    if (m_focusWidget != nullptr) {
        m_focusWidget->GotFocus();
    }
}

void WidgetManager::ReleaseHeldKeys() {
    for (int k = 0; k < 255; ++k) {
        if (m_keyDown[static_cast<size_t>(k)]) {
            KeyUp(k);
        }
    }
}

void WidgetManager::LoseFocus() {
    m_actualDownButtons = 0;
    ReleaseHeldKeys();
    m_hasFocus = false;
    if (m_focusWidget != nullptr) {
        m_focusWidget->LostFocus();
    }
}

// --- disabling and removal ---------------------------------------------------------

void WidgetManager::DisableOne(Widget* w) {
    if (w == m_overWidget) {
        LeaveOverWidget();
    }
    if (w == m_lastDownWidget) {
        ReleaseHeldButtons();
    }
    if (w == m_focusWidget) {
        m_focusWidget = nullptr;
        w->LostFocus();
    }
    if (w == m_baseModalWidget) {
        m_baseModalWidget = nullptr;
    }
}

void WidgetManager::DisableWidget(Widget* w) {
    DisableOne(w);
}

void WidgetManager::RemovedWidget(Widget* w) {
    // Descendants first, then the widget itself.
    std::function<void(Widget*)> forget = [&](Widget* x) {
        for (Widget* child : x->m_widgets) {
            forget(child);
        }
        DisableOne(x);
        for (ModalLayer& layer : m_modalLayers) {
            if (layer.baseWidget == x) {
                layer.baseWidget = nullptr;
            }
            if (layer.prevBaseWidget == x) {
                layer.prevBaseWidget = nullptr;
            }
            if (layer.prevFocusWidget == x) {
                layer.prevFocusWidget = nullptr;
            }
        }
        if (x == m_popupCommandWidget) {
            m_popupCommandWidget = nullptr;
        }
        if (x == m_defaultTab) {
            m_defaultTab = nullptr;
        }
        for (Overlay& o : m_overlays) {
            if (o.widget == x) {
                o.widget = nullptr;
            }
        }
    };
    forget(w);
    if (w->m_widgetManager == this) {
        w->RemovedFromManager(this);
    }
    if (w->m_parent != nullptr) {
        w->m_parent->MarkDirtyFull(w);
    }
    w->m_widgetManager = nullptr;
}

// --- modal layers ------------------------------------------------------------------

void WidgetManager::SetBaseModal(Widget* w, const FlagsMod& belowFlags) {
    m_baseModalWidget = w;
    m_belowModalFlagsMod = belowFlags;
    if (w == nullptr) {
        return;
    }
    if ((belowFlags.removeFlags & WIDGETFLAGS_ALLOW_MOUSE) != 0) {
        if (m_overWidget != nullptr && m_overWidget != w && IsBelow(m_overWidget, w)) {
            LeaveOverWidget();
        }
        if (m_lastDownWidget != nullptr && m_lastDownWidget != w && IsBelow(m_lastDownWidget, w)) {
            ReleaseHeldButtons();
        }
    }
    if ((belowFlags.removeFlags & WIDGETFLAGS_ALLOW_FOCUS) != 0 && m_focusWidget != nullptr &&
        m_focusWidget != w && IsBelow(m_focusWidget, w)) {
        Widget* old = m_focusWidget;
        m_focusWidget = nullptr;
        old->LostFocus();
    }
}

void WidgetManager::BeginModal(Widget* w) {
    m_modalLayers.push_back({w, m_baseModalWidget, m_focusWidget, m_belowModalFlagsMod});
    SetBaseModal(w, m_defaultBelowModalFlagsMod);
}

void WidgetManager::EndModal(Widget* w) {
    if (m_modalLayers.empty() || m_modalLayers.back().baseWidget != w) {
        return;
    }
    for (;;) {
        const ModalLayer layer = m_modalLayers.back();
        m_modalLayers.pop_back();
        SetBaseModal(layer.prevBaseWidget, layer.prevBelowModalFlagsMod);
        if (m_focusWidget == nullptr && layer.prevFocusWidget != nullptr) {
            SetFocus(layer.prevFocusWidget);
        }
        if (m_baseModalWidget != nullptr || m_modalLayers.size() <= 1) {
            break;
        }
    }
    RefreshHover();
}

// --- geometry ---------------------------------------------------------------------

void WidgetManager::MapWindowPoint(int* x, int* y) const {
    if (m_mouseRect.width <= 0 || m_mouseRect.height <= 0) {
        return;
    }
    *x = (*x - m_mouseRect.x) * m_widgetRect.width / m_mouseRect.width + m_widgetRect.x;
    *y = (*y - m_mouseRect.y) * m_widgetRect.height / m_mouseRect.height + m_widgetRect.y;
}

void WidgetManager::Resize(const Rect& widgetRect, const Rect& mouseRect) {
    m_widgetRect = widgetRect;
    m_mouseRect = mouseRect;
    m_x = 0;
    m_y = 0;
    m_width = widgetRect.width + 2 * widgetRect.x;
    m_height = widgetRect.height + 2 * widgetRect.y;
    MarkAllDirty();
}

}  // namespace Brisk
