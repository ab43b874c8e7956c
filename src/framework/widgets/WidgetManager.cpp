#include "framework/widgets/WidgetManager.h"

#include <algorithm>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/Widget.h"

namespace Brisk {
namespace {

int ButtonBit(int clickCount) {
    if (clickCount == 3) {
        return 4;
    }
    return clickCount < 0 ? 2 : 1;
}

}  // namespace

void WidgetManager::AddWidget(Widget* w) {
    if (w == nullptr || HasWidget(w)) {
        return;
    }
    m_widgets.push_back(w);
    w->AddedToManager(this);
    w->MarkDirty();
    m_dirty = true;
}

void WidgetManager::RemoveWidget(Widget* w) {
    auto it = std::find(m_widgets.begin(), m_widgets.end(), w);
    if (it == m_widgets.end()) {
        return;
    }
    if (m_over == w) {
        m_over = nullptr;
        w->MouseLeave();
    }
    if (m_captured == w) {
        ReleaseHeldButtons();
    }
    if (m_focus == w) {
        m_focus = nullptr;
        w->LostFocus();
    }
    m_widgets.erase(std::find(m_widgets.begin(), m_widgets.end(), w));
    w->RemovedFromManager(this);
    m_dirty = true;
}

bool WidgetManager::HasWidget(const Widget* w) const {
    return std::find(m_widgets.begin(), m_widgets.end(), w) != m_widgets.end();
}

void WidgetManager::SetFocus(Widget* w) {
    if (w == m_focus) {
        return;
    }
    if (m_focus != nullptr) {
        m_focus->LostFocus();
    }
    m_focus = HasWidget(w) ? w : nullptr;
    if (m_focus != nullptr && m_hasFocus) {
        m_focus->GotFocus();
    }
}

bool WidgetManager::UpdateFrame() {
    ++m_updateCount;
    // Copy: a widget may remove itself or others while updating.
    const std::vector<Widget*> widgets = m_widgets;
    for (Widget* w : widgets) {
        if (HasWidget(w)) {
            w->Update();
        }
    }
    for (Widget* w : m_widgets) {
        m_dirty = m_dirty || w->IsDirty();
    }
    return m_dirty;
}

bool WidgetManager::UpdateFrameFraction(double fraction) {
    const std::vector<Widget*> widgets = m_widgets;
    for (Widget* w : widgets) {
        if (HasWidget(w)) {
            w->UpdateFraction(fraction);
        }
    }
    return m_dirty;
}

bool WidgetManager::DrawScreen() {
    if (!m_dirty) {
        return false;
    }
    m_dirty = false;
    bool drawn = false;
    Graphics g(m_screenImage);
    for (Widget* w : m_widgets) {
        if (w->IsDirty() && w->m_visible) {
            g.PushState();
            g.Translate(w->m_x + m_widgetRect.x, w->m_y + m_widgetRect.y);
            g.ClipRect(0, 0, w->m_width, w->m_height);
            w->Draw(&g);
            g.PopState();
            drawn = true;
        }
        w->ClearDirty();
    }
    return drawn;
}

void WidgetManager::MarkAllDirty() {
    m_dirty = true;
    for (Widget* w : m_widgets) {
        w->MarkDirty();
    }
}

Widget* WidgetManager::WidgetAt(int x, int y) const {
    for (auto it = m_widgets.rbegin(); it != m_widgets.rend(); ++it) {
        if ((*it)->m_visible && (*it)->Contains(x, y)) {
            return *it;
        }
    }
    return nullptr;
}

void WidgetManager::MouseMove(int x, int y) {
    m_lastX = x;
    m_lastY = y;
    if (m_captured != nullptr && m_heldButtons != 0) {
        m_captured->MouseMove(x - m_captured->m_x, y - m_captured->m_y);
        return;
    }
    Widget* w = WidgetAt(x, y);
    if (w != m_over && m_over != nullptr) {
        m_over->MouseLeave();
    }
    m_over = w;
    if (w != nullptr) {
        w->MouseMove(x - w->m_x, y - w->m_y);
    }
}

void WidgetManager::MouseDown(int x, int y, int clickCount) {
    MouseMove(x, y);
    Widget* target = m_captured != nullptr ? m_captured : WidgetAt(x, y);
    m_heldButtons |= ButtonBit(clickCount);
    m_captured = target;
    if (target != nullptr) {
        target->MouseDown(x - target->m_x, y - target->m_y, clickCount);
    }
}

void WidgetManager::MouseUp(int x, int y, int clickCount) {
    const int bit = ButtonBit(clickCount);
    if (m_captured != nullptr && (m_heldButtons & bit) != 0) {
        m_heldButtons &= ~bit;
        Widget* w = m_captured;
        if (m_heldButtons == 0) {
            m_captured = nullptr;
        }
        w->MouseUp(x - w->m_x, y - w->m_y, clickCount);
    } else {
        m_heldButtons &= ~bit;
    }
    MouseMove(x, y);
}

void WidgetManager::MouseWheel(int delta) {
    if (m_focus != nullptr) {
        m_focus->MouseWheel(delta);
    }
}

void WidgetManager::MouseLeave(int /*x*/, int /*y*/) {
    if (m_over != nullptr) {
        Widget* w = m_over;
        m_over = nullptr;
        w->MouseLeave();
    }
}

void WidgetManager::KeyDown(int key) {
    if (key >= 0 && key < 255) {
        m_keyDown[key] = true;
    }
    if (m_focus != nullptr) {
        m_focus->KeyDown(key);
    }
}

void WidgetManager::KeyUp(int key) {
    if (key >= 0 && key < 255) {
        m_keyDown[key] = false;
    }
    if (m_focus != nullptr) {
        m_focus->KeyUp(key);
    }
}

void WidgetManager::KeyChar(char ch) {
    if (m_focus != nullptr) {
        m_focus->KeyChar(ch);
    }
}

void WidgetManager::GainFocus() {
    m_hasFocus = true;
    if (m_focus != nullptr) {
        m_focus->GotFocus();
    }
}

void WidgetManager::LoseFocus() {
    for (int k = 0; k < 255; ++k) {
        if (m_keyDown[k]) {
            KeyUp(k);
        }
    }
    m_hasFocus = false;
    if (m_focus != nullptr) {
        m_focus->LostFocus();
    }
}

void WidgetManager::ReleaseHeldButtons() {
    Widget* w = m_captured;
    const int held = m_heldButtons;
    m_captured = nullptr;
    m_heldButtons = 0;
    if (w == nullptr) {
        return;
    }
    const int lx = m_lastX - w->m_x;
    const int ly = m_lastY - w->m_y;
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

void WidgetManager::MapWindowPoint(int* x, int* y) const {
    if (m_mouseRect.width <= 0 || m_mouseRect.height <= 0) {
        return;
    }
    *x = (*x - m_mouseRect.x) * m_widgetRect.width / m_mouseRect.width + m_widgetRect.x;
    *y = (*y - m_mouseRect.y) * m_widgetRect.height / m_mouseRect.height + m_widgetRect.y;
}

void WidgetManager::Resize(const Platform::Rect& widgetRect, const Platform::Rect& mouseRect) {
    m_widgetRect = widgetRect;
    m_mouseRect = mouseRect;
    MarkAllDirty();
}

}  // namespace Brisk
