#include "controls/DialogVO.h"

#include <algorithm>

#include "controls/Factory_impl.h"

namespace ControlLibrary {

DialogVO_impl::DialogVO_impl(Factory_impl* factory, int32_t id) : VisibleObject_impl(factory, id) {
    m_size = {100, 100};
    m_colour = {128, 64, 0};
}

DialogVO_impl::~DialogVO_impl() {
    m_factory->ReleaseImage(&m_imageIndex);
    if (m_factory->IsTearingDown()) {
        return;  // the factory deletes every object itself, in no set order
    }
    // Released while shown: what it disabled behind it comes back.
    for (; m_modalPushes > 0; --m_modalPushes) {
        m_factory->PopModal();
    }
    // The children no longer name this dialog as their parent, and their
    // uses go back: each is deleted once the game has released it too.
    for (IVisibleObject* child : m_children) {
        child->SetParent(nullptr);
        m_factory->ReleaseVisibleObject(child);
    }
}

void DialogVO_impl::Draw() {
    auto lock = Lock();
    if (m_backgroundHidden) {
        return;
    }
    const Rect screen = GetScreenRect();
    if (m_imageIndex != -1) {
        m_factory->DrawImage(m_imageIndex, m_sourceRect, screen);
        return;
    }
    m_factory->DrawRect(screen, {25, 250, 25});
    m_factory->FillRect({screen.x + 1, screen.y + 1, screen.width - 1, screen.height - 1},
                        m_colour);
}

void DialogVO_impl::SetShown(bool shown) {
    bool modal = false;
    std::vector<IVisibleObject*> children;
    {
        auto lock = Lock();
        modal = m_modeless == 0;
        children = m_children;
    }
    // Observers may release objects (this dialog too), from any thread.
    Factory_impl::DispatchScope scope(m_factory);
    if (shown) {
        if (modal) {
            m_factory->PushModal();
            auto lock = Lock();
            ++m_modalPushes;
        }
        const int32_t top = m_factory->GetMaxZOrder() + 1;
        SetZOrder(static_cast<uint16_t>(std::min(top, 65535)));
        VisibleObject_impl::SetShown(true);
        for (IVisibleObject* child : children) {
            if (child->GetShowWithParent()) {
                child->SetShown(true);
            }
        }
    } else {
        for (IVisibleObject* child : children) {
            child->SetShown(false);
        }
        VisibleObject_impl::SetShown(false);
        if (modal) {
            m_factory->PopModal();
            auto lock = Lock();
            m_modalPushes = std::max(0, m_modalPushes - 1);
        }
    }
    for (size_t i = 0;; ++i) {
        DialogMessageObserver* observer = nullptr;
        {
            auto lock = Lock();
            if (i >= m_dialogObservers.size()) {
                break;
            }
            observer = m_dialogObservers[i];
        }
        observer->OnDialogShown(m_id, shown);
    }
}

void DialogVO_impl::AddDialogObserver(DialogMessageObserver* observer) {
    if (observer != nullptr) {
        auto lock = Lock();
        m_dialogObservers.push_back(observer);
    }
}

void DialogVO_impl::SetModeless(int32_t modeless) {
    auto lock = Lock();
    m_modeless = modeless;
}

bool DialogVO_impl::SetBackgroundImage(const std::string& path) {
    auto lock = Lock();
    if (!ReplaceImage(path, &m_imageIndex)) {
        return false;
    }
    SetDirty();
    return true;
}

void DialogVO_impl::SetSourceRect(const Rect& rect) {
    auto lock = Lock();
    m_sourceRect = rect;
}

void DialogVO_impl::SetBackgroundHidden(bool hidden) {
    StoreAndMarkChanged(m_backgroundHidden, hidden);
}

void DialogVO_impl::AddChild(IVisibleObject* child, IVisibleObject* self) {
    if (child == nullptr) {
        return;
    }
    auto lock = Lock();
    child->AddRef();
    child->SetParent(self);
    m_children.push_back(child);
}

}  // namespace ControlLibrary
