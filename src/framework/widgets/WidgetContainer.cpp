#include "framework/widgets/WidgetContainer.h"

#include <algorithm>
#include <functional>

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {

WidgetContainer::~WidgetContainer() {
    // Children are not owned; they only forget this parent.
    for (Widget* w : m_widgets) {
        w->m_parent = nullptr;
    }
}

Rect WidgetContainer::GetRect() {
    return {m_x, m_y, m_width, m_height};
}

bool WidgetContainer::Intersects(WidgetContainer* other) {
    return !IsEmpty(Intersect(GetRect(), other->GetRect()));
}

void WidgetContainer::InsertSorted(std::list<Widget*>::iterator pos, Widget* w) {
    // Down past children with a higher z-order, or up past those with a lower
    // one; nodes are never swapped, so a walk standing on one stays on its child.
    while (pos != m_widgets.begin() && (*std::prev(pos))->m_zOrder > w->m_zOrder) {
        --pos;
    }
    while (pos != m_widgets.end() && (*pos)->m_zOrder < w->m_zOrder) {
        ++pos;
    }
    m_widgets.insert(pos, w);
}

void WidgetContainer::AddWidget(Widget* w) {
    if (w == nullptr || HasWidget(w)) {
        return;
    }
    InsertSorted(m_widgets.end(), w);
    w->m_parent = this;
    w->m_widgetManager = m_widgetManager;
    if (m_widgetManager != nullptr) {
        w->AddedToManager(m_widgetManager);
        w->MarkDirty();
        m_widgetManager->RefreshHover();
    }
    MarkSelfDirty();
}

void WidgetContainer::RemoveWidget(Widget* w) {
    auto it = std::find(m_widgets.begin(), m_widgets.end(), w);
    if (it == m_widgets.end()) {
        return;
    }
    if (m_widgetManager != nullptr) {
        m_widgetManager->RemovedWidget(w);
    }
    w->m_parent = nullptr;
    Unlink(it);
}

void WidgetContainer::Unlink(std::list<Widget*>::iterator it) {
    // A walk at this child moves on before the child leaves the list.
    if (m_walking && m_walkPos == it) {
        ++m_walkPos;
        m_walkPosAdvanced = true;
    }
    m_widgets.erase(it);
}

bool WidgetContainer::HasWidget(Widget* w) {
    return std::find(m_widgets.begin(), m_widgets.end(), w) != m_widgets.end();
}

void WidgetContainer::RemoveAllWidgets(bool doDelete, bool recursive) {
    while (!m_widgets.empty()) {
        Widget* w = m_widgets.front();
        if (recursive) {
            w->RemoveAllWidgets(doDelete, recursive);
        }
        RemoveWidget(w);
        if (doDelete) {
            delete w;  // the caller handed ownership over with doDelete
        }
    }
}

bool WidgetContainer::IsBelow(Widget* a, Widget* b) {
    // Depth-first, bottom first: 1 found a first, 2 found b first.
    std::function<int(WidgetContainer*)> walk = [&](WidgetContainer* c) {
        for (Widget* w : c->m_widgets) {
            if (w == a) {
                return 1;
            }
            if (w == b) {
                return 2;
            }
            if (const int r = walk(w)) {
                return r;
            }
        }
        return 0;
    };
    return walk(this) == 1;
}

void WidgetContainer::MarkAllDirty() {
    MarkSelfDirty();
    for (Widget* w : m_widgets) {
        w->m_dirty = true;
        w->MarkAllDirty();
    }
}

void WidgetContainer::BringToFront(Widget* w) {
    auto it = std::find(m_widgets.begin(), m_widgets.end(), w);
    if (it == m_widgets.end()) {
        return;
    }
    Unlink(it);
    InsertSorted(m_widgets.end(), w);
    w->OrderInManagerChanged();
}

void WidgetContainer::BringToBack(Widget* w) {
    auto it = std::find(m_widgets.begin(), m_widgets.end(), w);
    if (it == m_widgets.end()) {
        return;
    }
    Unlink(it);
    InsertSorted(m_widgets.begin(), w);
    w->OrderInManagerChanged();
}

void WidgetContainer::PutBehind(Widget* w, Widget* ref) {
    if (w == ref || !HasWidget(w) || !HasWidget(ref)) {
        return;
    }
    Unlink(std::find(m_widgets.begin(), m_widgets.end(), w));
    InsertSorted(std::find(m_widgets.begin(), m_widgets.end(), ref), w);
    w->OrderInManagerChanged();
}

void WidgetContainer::PutInFront(Widget* w, Widget* ref) {
    if (w == ref || !HasWidget(w) || !HasWidget(ref)) {
        return;
    }
    Unlink(std::find(m_widgets.begin(), m_widgets.end(), w));
    InsertSorted(std::next(std::find(m_widgets.begin(), m_widgets.end(), ref)), w);
    w->OrderInManagerChanged();
}

Point WidgetContainer::GetAbsPos() {
    if (m_parent == nullptr) {
        return {m_x, m_y};
    }
    const Point p = m_parent->GetAbsPos();
    return {m_x + p.x, m_y + p.y};
}

void WidgetContainer::MarkDirty() {
    if (m_parent != nullptr) {
        m_parent->MarkDirtyFull(this);
    } else {
        m_dirty = true;
    }
}

void WidgetContainer::MarkDirty(WidgetContainer* child) {
    if (child->m_dirty) {
        return;
    }
    MarkSelfDirty();
    child->m_dirty = true;
    if (m_parent != nullptr) {
        return;
    }
    // At the top level, what the child shows through or covers is redrawn too.
    if (child->m_hasTransparency) {
        MarkDirtyFull(child);
        return;
    }
    auto it = std::find(m_widgets.begin(), m_widgets.end(), child);
    if (it == m_widgets.end()) {
        return;
    }
    for (++it; it != m_widgets.end(); ++it) {
        if ((*it)->m_visible && (*it)->Intersects(child)) {
            MarkDirty(*it);
        }
    }
}

void WidgetContainer::MarkDirtyFull(WidgetContainer* child) {
    MarkDirty();
    child->m_dirty = true;
    if (m_parent != nullptr) {
        return;
    }
    auto self = std::find(m_widgets.begin(), m_widgets.end(), child);
    if (self == m_widgets.end()) {
        return;
    }
    // Below: down to the first opaque sibling that covers the child entirely.
    const Rect area = Intersect(child->GetRect(), {0, 0, m_width, m_height});
    for (auto it = std::make_reverse_iterator(self); it != m_widgets.rend(); ++it) {
        Widget* sibling = *it;
        if (!sibling->m_visible) {
            continue;
        }
        if (sibling->IsOpaque() && sibling->Contains(area.x, area.y) &&
            sibling->Contains(area.x + area.width - 1, area.y + area.height - 1)) {
            sibling->m_dirty = true;
            break;
        }
        if (sibling->Intersects(child)) {
            MarkDirty(sibling);
        }
    }
    // Above: everything that overlaps it.
    for (auto it = std::next(self); it != m_widgets.end(); ++it) {
        if ((*it)->m_visible && (*it)->Intersects(child)) {
            MarkDirty(*it);
        }
    }
}

void WidgetContainer::AddedToManager(WidgetManager* manager) {
    for (Widget* w : m_widgets) {
        w->m_widgetManager = manager;
        w->AddedToManager(manager);
        MarkSelfDirty();
    }
}

void WidgetContainer::RemovedFromManager(WidgetManager* manager) {
    for (Widget* w : m_widgets) {
        manager->DisableWidget(w);
        w->RemovedFromManager(manager);
        w->m_widgetManager = nullptr;
    }
    if (manager->m_popupCommandWidget == this) {
        manager->m_popupCommandWidget = nullptr;
    }
}

template <typename Fn>
void WidgetContainer::WalkChildren(ModalFlags* flags, Fn fn) {
    // A child may remove itself or others while being visited: RemoveWidget
    // moves m_walkPos on when it removes the child the walk is at.
    const bool outerWalking = m_walking;
    const auto outerPos = m_walkPos;
    m_walking = true;
    m_walkPos = m_widgets.begin();
    while (m_walkPos != m_widgets.end()) {
        Widget* child = *m_walkPos;
        m_walkPosAdvanced = false;
        if (m_widgetManager != nullptr && child == m_widgetManager->m_baseModalWidget) {
            flags->isOver = true;
        }
        fn(child, flags);
        if (!m_walkPosAdvanced) {
            ++m_walkPos;
        }
    }
    m_walking = outerWalking;
    m_walkPos = outerPos;
}

void WidgetContainer::UpdateAll(ModalFlags* flags) {
    const ModalFlags saved = *flags;
    flags->Modify(m_widgetFlagsMod);
    const int effective = flags->GetFlags();
    if ((effective & WIDGETFLAGS_MARK_DIRTY) != 0) {
        MarkSelfDirty();
    }
    if (m_widgetManager != nullptr && (effective & WIDGETFLAGS_UPDATE) != 0 &&
        m_lastUpdateStamp != m_widgetManager->m_updateCnt) {
        m_lastUpdateStamp = m_widgetManager->m_updateCnt;
        Update();
    }
    WalkChildren(flags, [](Widget* child, ModalFlags* f) { child->UpdateAll(f); });
    const bool reachedBase = flags->isOver;
    *flags = saved;
    flags->isOver = flags->isOver || reachedBase;
}

void WidgetContainer::UpdateFractionAll(ModalFlags* flags, double fraction) {
    const ModalFlags saved = *flags;
    flags->Modify(m_widgetFlagsMod);
    if ((flags->GetFlags() & WIDGETFLAGS_UPDATE) != 0) {
        UpdateFraction(fraction);
    }
    WalkChildren(
        flags, [fraction](Widget* child, ModalFlags* f) { child->UpdateFractionAll(f, fraction); });
    const bool reachedBase = flags->isOver;
    *flags = saved;
    flags->isOver = flags->isOver || reachedBase;
}

void WidgetContainer::DrawAll(ModalFlags* flags, Graphics* g) {
    if (m_widgetManager != nullptr && m_widgetManager->m_minOverlayPriority < m_priority) {
        m_widgetManager->DrawOverlaysBelow(m_priority);
    }
    const ModalFlags saved = *flags;
    flags->Modify(m_widgetFlagsMod);
    const int effective = flags->GetFlags();
    if (m_clipChildren && (effective & WIDGETFLAGS_CLIP) != 0) {
        g->ClipRect(0, 0, m_width, m_height);
    }
    if ((effective & WIDGETFLAGS_DRAW) != 0) {
        g->PushState();
        Draw(g);
        g->PopState();
    }
    for (Widget* child : m_widgets) {
        if (m_widgetManager != nullptr && child == m_widgetManager->m_baseModalWidget) {
            flags->isOver = true;
        }
        if (child->m_visible) {
            Graphics copy(*g);
            copy.Translate(child->m_x, child->m_y);
            child->DrawAll(flags, &copy);
            child->m_dirty = false;
        }
    }
    const bool reachedBase = flags->isOver;
    *flags = saved;
    flags->isOver = flags->isOver || reachedBase;
}

void WidgetContainer::SysColorChangedAll() {
    SysColorChanged();
    for (Widget* w : m_widgets) {
        w->SysColorChangedAll();
    }
}

}  // namespace Brisk
