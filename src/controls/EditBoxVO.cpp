#include "controls/EditBoxVO.h"

#include <algorithm>

#include "controls/Factory_impl.h"

namespace ControlLibrary {

EditBoxVO_impl::EditBoxVO_impl(Factory_impl* factory, int32_t id)
    : VisibleObject_impl(factory, id) {
    m_size = {20, 20};
    m_colour = {255, 255, 255};
    if (TimeLibrary::ITimeSystem* time = factory->GetTimeSystem()) {
        m_caretTimer = time->CreateTimeObject(this, -1, 500);
        if (m_caretTimer != nullptr) {
            m_caretTimer->SetLooped(true);
        }
    }
}

EditBoxVO_impl::~EditBoxVO_impl() {
    if (m_caretTimer != nullptr) {
        m_factory->GetTimeSystem()->DestroyTimeObject(m_caretTimer);
    }
    for (int32_t& image : m_normalImages) {
        m_factory->ReleaseImage(&image);
    }
    for (int32_t& image : m_focusedImages) {
        m_factory->ReleaseImage(&image);
    }
    HoldCounted(m_font, nullptr);
}

void EditBoxVO_impl::Draw() {
    auto lock = Lock();
    const Rect box = GetScreenRect();
    if (!m_backgroundHidden) {
        const int32_t cap = m_sourceRects[0].width;
        const std::array<Rect, 3> parts{Rect{box.x, box.y, cap, box.height},
                                        Rect{box.x + cap, box.y, box.width - 2 * cap, box.height},
                                        Rect{box.x + box.width - cap, box.y, cap, box.height}};
        for (size_t i = 0; i < parts.size(); ++i) {
            if (m_focusLook && m_focusedImages[i] != -1) {
                m_factory->DrawImage(m_focusedImages[i], m_sourceRects[i], parts[i]);
            } else if (m_normalImages[i] != -1) {
                m_factory->DrawImage(m_normalImages[i], m_sourceRects[i], parts[i]);
            } else {
                m_factory->FillRect(parts[i], m_colour);
            }
        }
    }
    if (m_font == nullptr) {
        return;
    }
    m_factory->DrawText(m_font, m_text,
                        {box.x + box.width / 2 + m_textX, box.y + box.height / 2 + m_textY},
                        m_textColour, 1, 1);
    if (m_caretVisible) {
        const Point centre = GetCenter();
        const int32_t x = centre.x + static_cast<uint16_t>(m_font->GetTextWidth(m_text)) / 2 + 1;
        const int32_t reach = static_cast<int32_t>(m_size.height / 2) - 2;
        m_factory->DrawLine({x, centre.y - reach}, {x, centre.y + reach}, {0, 0, 0});
    }
}

void EditBoxVO_impl::NotifyEdit(void (IEditBoxMsgObserver::*notification)(int32_t)) {
    for (size_t i = 0;; ++i) {
        IEditBoxMsgObserver* observer = nullptr;
        {
            auto lock = Lock();
            if (i >= m_editObservers.size()) {
                return;
            }
            observer = m_editObservers[i];
        }
        (observer->*notification)(m_id);
    }
}

void EditBoxVO_impl::SetFocus(bool focus) {
    VisibleObject_impl::SetFocus(focus);
    // Whether or not the common step took effect.
    if (focus) {
        if (m_caretTimer != nullptr) {
            m_caretTimer->Start(false, 0);  // already running: keeps running
        }
        NotifyEdit(&IEditBoxMsgObserver::OnFocusGained);
    } else {
        if (m_caretTimer != nullptr) {
            m_caretTimer->Stop();
        }
        {
            auto lock = Lock();
            m_caretVisible = false;
        }
        NotifyEdit(&IEditBoxMsgObserver::OnFocusLost);
    }
}

void EditBoxVO_impl::OnTimeObjectTick(int32_t /*id*/) {
    auto lock = Lock();
    m_caretVisible = !m_caretVisible;
    MarkChanged();
}

void EditBoxVO_impl::HandleChar(char ch) {
    const auto code = static_cast<unsigned char>(ch);
    bool changed = false;
    {
        auto lock = Lock();
        if (code >= 48 && code <= 122 &&
            m_text.size() < static_cast<uint16_t>(m_maxLength)) {  // -1: no limit
            m_text.push_back(ch);
            changed = true;
        }
        MarkChanged();
    }
    if (changed) {
        NotifyEdit(&IEditBoxMsgObserver::OnTextChanged);
    }
    VisibleObject_impl::HandleChar(ch);
}

void EditBoxVO_impl::HandleKeyDown(int32_t key) {
    if (key == 8) {
        bool changed = false;
        {
            auto lock = Lock();
            if (!m_text.empty()) {
                m_text.pop_back();
                changed = true;
            }
            MarkChanged();
        }
        if (changed) {
            NotifyEdit(&IEditBoxMsgObserver::OnTextChanged);
        }
    }
    VisibleObject_impl::HandleKeyDown(key);
}

void EditBoxVO_impl::AddEditObserver(IEditBoxMsgObserver* observer) {
    auto lock = Lock();
    if (observer != nullptr && std::find(m_editObservers.begin(), m_editObservers.end(),
                                         observer) == m_editObservers.end()) {
        m_editObservers.push_back(observer);
    }
}

void EditBoxVO_impl::SetFont(IFont* font) {
    auto lock = Lock();
    HoldCounted(m_font, font);
    if (font != nullptr) {
        MarkChanged();
    }
}

void EditBoxVO_impl::SetText(const std::string& text) {
    auto lock = Lock();
    m_text = text;
    MarkChanged();
}

void EditBoxVO_impl::GetText(std::string& text) {
    auto lock = Lock();
    text = m_text;
}

void EditBoxVO_impl::SetTextOffset(int16_t x, int16_t y) {
    auto lock = Lock();
    m_textX = x;
    m_textY = y;
}

void EditBoxVO_impl::SetTextColour(const Colour& colour) {
    StoreAndMarkChanged(m_textColour, colour);
}

void EditBoxVO_impl::SetMaxLength(int16_t length) {
    auto lock = Lock();
    m_maxLength = length;
}

void EditBoxVO_impl::SetFocusLook(bool on) {
    StoreAndMarkChanged(m_focusLook, on);
}

void EditBoxVO_impl::SetImages(const ThreePartPaths& normal, const ThreePartPaths& focused) {
    auto lock = Lock();
    for (size_t i = 0; i < 3; ++i) {
        ReplaceImage(normal[i], &m_normalImages[i]);
        ReplaceImage(focused[i], &m_focusedImages[i]);
    }
}

void EditBoxVO_impl::SetSourceRects(const Rect& left, const Rect& middle, const Rect& right) {
    auto lock = Lock();
    m_sourceRects = {left, middle, right};
}

void EditBoxVO_impl::SetBackgroundHidden(bool hidden) {
    auto lock = Lock();
    m_backgroundHidden = hidden;
}

bool EditBoxVO_impl::IsCaretVisible() {
    auto lock = Lock();
    return m_caretVisible;
}

bool EditBoxVO_impl::IsCaretRunning() {
    return m_caretTimer != nullptr && m_caretTimer->IsRunning();
}

}  // namespace ControlLibrary
