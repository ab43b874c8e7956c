#include "controls/VisibleObject_impl.h"

#include "controls/Factory_impl.h"
#include "controls/Resources.h"

namespace ControlLibrary {

VisibleObject_impl::VisibleObject_impl(Factory_impl* factory, int32_t id)
    : m_factory(factory), m_id(id) {}

VisibleObject_impl::~VisibleObject_impl() {
    m_factory->ReleaseCursor(m_cursor);
    m_factory->ReleaseToolTip(m_toolTip);
}

std::unique_lock<std::recursive_mutex> VisibleObject_impl::Lock() const {
    return std::unique_lock(m_factory->GetLock());
}

void VisibleObject_impl::MarkChanged() {
    m_factory->UpdateDisplay(m_id);
    SetDirty();
}

template <class Fn>
void VisibleObject_impl::NotifyMouse(Fn notify) {
    // Indexing tolerates observers added while notifying.
    for (size_t i = 0;; ++i) {
        MouseMessageObserver* observer = nullptr;
        {
            auto lock = Lock();
            if (i >= m_mouseObservers.size()) {
                return;
            }
            observer = m_mouseObservers[i];
        }
        notify(observer);
    }
}

template <class Fn>
void VisibleObject_impl::NotifyKeybd(Fn notify) {
    for (size_t i = 0;; ++i) {
        KeybdMessageObserver* observer = nullptr;
        {
            auto lock = Lock();
            if (i >= m_keybdObservers.size()) {
                return;
            }
            observer = m_keybdObservers[i];
        }
        notify(observer);
    }
}

void VisibleObject_impl::FitToText(IFont* font, const std::string& text) {
    if (font == nullptr) {
        return;
    }
    VisibleObject_impl::SetSize({static_cast<uint16_t>(font->GetTextWidth(text)),
                                 static_cast<uint16_t>(font->GetHeight())});
}

void VisibleObject_impl::GiveBack(IFont* font) {
    m_factory->ReleaseFont(font);
}
void VisibleObject_impl::GiveBack(ISound* sound) {
    m_factory->ReleaseSound(sound);
}
void VisibleObject_impl::GiveBack(ICursor* cursor) {
    m_factory->ReleaseCursor(cursor);
}
void VisibleObject_impl::GiveBack(IToolTip* toolTip) {
    m_factory->ReleaseToolTip(toolTip);
}

bool VisibleObject_impl::ReplaceImage(const std::string& path, int32_t* slot) {
    int32_t index = -1;
    if (!m_factory->LoadImage(path, &index)) {
        return false;
    }
    m_factory->ReleaseImage(slot);  // reloading never leaks a cache entry
    *slot = index;
    return true;
}

void VisibleObject_impl::PlayOnce(ISound* sound) {
    if (sound != nullptr) {
        sound->Play(false);
    }
}

void VisibleObject_impl::RecomputeScreenPosition() {
    auto offset = [](int32_t anchor, uint32_t extent, int32_t alignment) {
        switch (alignment) {
            case kAlignCentre:
                return anchor - static_cast<int32_t>(extent / 2);
            case kAlignEnd:
                return anchor - static_cast<int32_t>(extent);
            default:
                return anchor;
        }
    };
    Point screen{offset(m_position.x, m_size.width, m_hAlign),
                 offset(m_position.y, m_size.height, m_vAlign)};
    if (m_parent != nullptr) {
        const Rect parent = m_parent->GetScreenRect();
        screen.x += parent.x;
        screen.y += parent.y;
    }
    m_screenPosition = screen;
    MarkChanged();
}

void VisibleObject_impl::SetPosition(const Point& point) {
    auto lock = Lock();
    if (point != m_position || m_parent != nullptr) {
        m_position = point;
        RecomputeScreenPosition();
    }
    SetDirty();
}

Point VisibleObject_impl::GetCenter() {
    auto lock = Lock();
    Point centre = m_position;
    if (m_hAlign == 1) {
        centre.x -= static_cast<int32_t>(m_size.width / 2);
    } else if (m_hAlign == 2) {
        centre.x -= static_cast<int32_t>(m_size.width);
    }
    if (m_vAlign == 1) {
        centre.y -= static_cast<int32_t>(m_size.height / 2);
    } else if (m_vAlign == 2) {
        centre.y -= static_cast<int32_t>(m_size.height);
    }
    if (m_parent != nullptr) {
        const Rect parent = m_parent->GetScreenRect();
        centre.x += parent.x;
        centre.y += parent.y;
    }
    centre.x += static_cast<int32_t>(m_size.width / 2);
    centre.y += static_cast<int32_t>(m_size.height / 2);
    return centre;
}

void VisibleObject_impl::SetSize(const Size& size) {
    auto lock = Lock();
    if (size != m_size) {
        m_size = size;
        RecomputeScreenPosition();
    }
    SetDirty();
}

Rect VisibleObject_impl::GetRect() {
    auto lock = Lock();
    return {m_position.x, m_position.y, static_cast<int32_t>(m_size.width),
            static_cast<int32_t>(m_size.height)};
}

Rect VisibleObject_impl::GetScreenRect() {
    auto lock = Lock();
    return {m_screenPosition.x, m_screenPosition.y, static_cast<int32_t>(m_size.width),
            static_cast<int32_t>(m_size.height)};
}

void VisibleObject_impl::SetShown(bool shown) {
    {
        auto lock = Lock();
        if (shown != m_shown) {
            m_shown = shown;
            m_factory->UpdateDisplay(m_id);
        }
        SetDirty();
    }
    m_factory->DeliverPendingLeaves();  // a hidden hover object hears the leave
}

void VisibleObject_impl::SetEnabled(bool enabled) {
    auto lock = Lock();
    if (enabled != m_enabled) {
        m_enabled = enabled;
        if (enabled && m_shown) {
            m_factory->UpdateDisplay(m_id);
        }
    }
    SetDirty();
}

void VisibleObject_impl::SetZOrder(uint16_t zOrder) {
    auto lock = Lock();
    if (zOrder != m_zOrder) {
        m_zOrder = zOrder;
        m_factory->Resort(m_id);
    }
    SetDirty();
}

int32_t VisibleObject_impl::GetZOrder() {
    auto lock = Lock();
    return m_zOrder + (m_parent != nullptr ? m_parent->GetZOrder() : 0);
}

void VisibleObject_impl::SetFocusable(bool focusable) {
    auto lock = Lock();
    m_focusable = focusable;
    if (!focusable) {
        m_focused = false;
    }
}

void VisibleObject_impl::SetFocus(bool focus) {
    {
        auto lock = Lock();
        if (!(m_focusable && m_shown && m_enabled)) {
            return;
        }
        if (m_focused != focus) {
            m_focused = focus;
            SetDirty();
        }
    }
    if (focus) {
        m_factory->SetFocused(this);
    }
}

void VisibleObject_impl::HandleMouseEnter() {
    IToolTip* toolTip = nullptr;
    ICursor* cursor = nullptr;
    {
        auto lock = Lock();
        m_over = true;
        toolTip = m_toolTip;
        cursor = m_cursor;
    }
    if (toolTip != nullptr) {
        m_factory->SetCurrentToolTip(toolTip);
    }
    if (cursor != nullptr) {
        m_factory->SetCurrentCursor(cursor);
    }
    NotifyMouse([this](MouseMessageObserver* o) { o->OnMouseEnter(m_id); });
    SetDirty();
}

void VisibleObject_impl::HandleMouseMove(int32_t x, int32_t y) {
    {
        auto lock = Lock();
        m_lastMouse = {x, y};
    }
    NotifyMouse([this, x, y](MouseMessageObserver* o) { o->OnMouseMove(m_id, x, y); });
    SetDirty();
}

void VisibleObject_impl::HandleMouseLeave() {
    {
        auto lock = Lock();
        m_over = false;
    }
    NotifyMouse([this](MouseMessageObserver* o) { o->OnMouseLeave(m_id); });
    m_factory->SetCurrentToolTip(nullptr);
    m_factory->SetCurrentCursor(nullptr);
    SetDirty();
}

void VisibleObject_impl::HandleMouseDown(int32_t /*x*/, int32_t /*y*/, int32_t /*clickCount*/) {
    {
        auto lock = Lock();
        m_pressed = true;
        if (!m_enabled) {
            return;
        }
    }
    SetFocus(true);
    NotifyMouse([this](MouseMessageObserver* o) { o->OnMouseDown(m_id); });
    SetDirty();
}

void VisibleObject_impl::HandleMouseUp(int32_t /*x*/, int32_t /*y*/, int32_t /*clickCount*/) {
    bool click = false;
    {
        auto lock = Lock();
        m_pressed = false;
        click = m_over && m_enabled;
    }
    if (click) {
        NotifyMouse([this](MouseMessageObserver* o) { o->OnMouseClick(m_id); });
    }
    SetDirty();
}

void VisibleObject_impl::HandleChar(char ch) {
    NotifyKeybd([this, ch](KeybdMessageObserver* o) { o->OnChar(m_id, ch); });
}

void VisibleObject_impl::HandleKeyDown(int32_t key) {
    NotifyKeybd([this, key](KeybdMessageObserver* o) { o->OnKeyDown(m_id, key); });
}

void VisibleObject_impl::HandleKeyUp(int32_t key) {
    NotifyKeybd([this, key](KeybdMessageObserver* o) { o->OnKeyUp(m_id, key); });
}

Point VisibleObject_impl::GetPosition() {
    auto lock = Lock();
    return m_position;
}

Point VisibleObject_impl::GetScreenPosition() {
    auto lock = Lock();
    return m_screenPosition;
}

Size VisibleObject_impl::GetSize() {
    auto lock = Lock();
    return m_size;
}

void VisibleObject_impl::SetColour(const Colour& colour) {
    auto lock = Lock();
    if (colour != m_colour) {
        m_colour = colour;
        m_factory->UpdateDisplay(m_id);
    }
    SetDirty();
}

Colour VisibleObject_impl::GetColour() {
    auto lock = Lock();
    return m_colour;
}

void VisibleObject_impl::SetAlignment(int32_t horizontal, int32_t vertical) {
    auto lock = Lock();
    if (horizontal != m_hAlign || vertical != m_vAlign) {
        m_hAlign = horizontal;
        m_vAlign = vertical;
        RecomputeScreenPosition();
    }
    SetDirty();
}

bool VisibleObject_impl::IsShown() {
    auto lock = Lock();
    return m_shown;
}

void VisibleObject_impl::SetShowWithParent(bool on) {
    auto lock = Lock();
    m_showWithParent = on;
}

bool VisibleObject_impl::GetShowWithParent() {
    auto lock = Lock();
    return m_showWithParent;
}

bool VisibleObject_impl::IsEnabled() {
    auto lock = Lock();
    return m_enabled;
}

void VisibleObject_impl::SetCursor(ICursor* cursor) {
    ICursor* previous = nullptr;
    {
        auto lock = Lock();
        if (!SwapCounted(m_cursor, cursor, &previous)) {
            return;
        }
    }
    GiveBack(previous);
    SetDirty();
}

void VisibleObject_impl::SetToolTip(IToolTip* toolTip) {
    IToolTip* previous = nullptr;
    {
        auto lock = Lock();
        if (!SwapCounted(m_toolTip, toolTip, &previous)) {
            return;
        }
    }
    GiveBack(previous);
    SetDirty();
}

IToolTip* VisibleObject_impl::GetToolTip() {
    auto lock = Lock();
    return m_toolTip;
}

bool VisibleObject_impl::CanFocus() {
    auto lock = Lock();
    return m_focusable && m_shown && m_enabled;
}

bool VisibleObject_impl::HasFocus() {
    auto lock = Lock();
    return m_focused;
}

void VisibleObject_impl::SetCommandNumber(int16_t number) {
    auto lock = Lock();
    m_commandNumber = number;
}

void VisibleObject_impl::AddMouseObserver(MouseMessageObserver* observer) {
    if (observer != nullptr) {
        auto lock = Lock();
        m_mouseObservers.push_back(observer);
    }
}

void VisibleObject_impl::AddKeybdObserver(KeybdMessageObserver* observer) {
    if (observer != nullptr) {
        auto lock = Lock();
        m_keybdObservers.push_back(observer);
    }
}

void VisibleObject_impl::SetModalExempt(bool exempt) {
    auto lock = Lock();
    m_modalExempt = exempt;
}

bool VisibleObject_impl::IsModalExempt() {
    auto lock = Lock();
    return m_modalExempt;
}

void VisibleObject_impl::SetParent(IVisibleObject* parent) {
    auto lock = Lock();
    m_parent = parent;
}

void VisibleObject_impl::SetUserData(int32_t data) {
    auto lock = Lock();
    m_userData = data;
}

int32_t VisibleObject_impl::GetUserData() {
    auto lock = Lock();
    return m_userData;
}

bool VisibleObject_impl::IsOver() {
    auto lock = Lock();
    return m_over;
}

void VisibleObject_impl::ForgetOver() {
    auto lock = Lock();
    m_over = false;
    SetDirty();
}

}  // namespace ControlLibrary
