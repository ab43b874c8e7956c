#include "controls/TextVO.h"

#include <optional>

#include "controls/Factory_impl.h"

namespace ControlLibrary {
namespace {
constexpr int32_t kRoomMargin = 12;  // a label keeps this far from its dialog's edges
}  // namespace

FittedTextVO_impl::FittedTextVO_impl(Factory_impl* factory, int32_t id)
    : VisibleObject_impl(factory, id) {
    m_colour = {255, 255, 255};
}

FittedTextVO_impl::~FittedTextVO_impl() {
    m_factory->ReleaseFont(m_font);
}

void FittedTextVO_impl::SetFont(IFont* font) {
    auto lock = Lock();
    HoldCounted(m_font, font);
    FitToText(m_font, m_text);
}

void FittedTextVO_impl::SetText(const std::string& text) {
    auto lock = Lock();
    m_text = text;
    FitToText(m_font, m_text);
}

void FittedTextVO_impl::GetText(std::string& text) {
    auto lock = Lock();
    text = m_text;
}

void StringVO_impl::Draw() {
    auto lock = Lock();
    if (m_font == nullptr || m_text.empty()) {
        return;
    }
    // A label in a dialog stays inside the dialog's box.
    std::optional<Rect> room;
    if (m_parent != nullptr) {
        const Rect box = m_parent->GetScreenRect();
        room = Rect{box.x + kRoomMargin, box.y, box.width - 2 * kRoomMargin, box.height};
    }
    const Rect* within = room ? &*room : nullptr;
    if (m_shadow) {
        m_factory->DrawText(m_font, m_text,
                            {m_screenPosition.x + m_shadowX, m_screenPosition.y + m_shadowY},
                            m_shadowColour, 0, 0, within);
    }
    m_factory->DrawText(m_font, m_text, m_screenPosition, m_colour, 0, 0, within);
}

void StringVO_impl::SetShadow(bool on) {
    auto lock = Lock();
    m_shadow = on;
}

void StringVO_impl::SetShadowOffset(uint16_t x, uint16_t y) {
    auto lock = Lock();
    m_shadowX = x;
    m_shadowY = y;
}

void StringVO_impl::SetShadowColour(const Colour& colour) {
    auto lock = Lock();
    m_shadowColour = colour;
}

void LinkVO_impl::Draw() {
    auto lock = Lock();
    if (m_font == nullptr || m_text.empty()) {
        return;
    }
    m_factory->DrawText(m_font, m_text, m_screenPosition, m_over ? m_hoverColour : m_colour, 0, 0);
}

void LinkVO_impl::HandleMouseDown(int32_t x, int32_t y, int32_t clickCount) {
    VisibleObject_impl::HandleMouseDown(x, y, clickCount);
    std::string address;
    {
        auto lock = Lock();
        if (!m_enabled) {
            return;
        }
        address = m_address;
    }
    if (!address.empty()) {
        m_factory->OpenAddress(address);  // on the press; the outcome is not awaited
    }
}

void LinkVO_impl::SetAddress(const std::string& address) {
    auto lock = Lock();
    m_address = address;
}

void LinkVO_impl::SetHoverColour(const Colour& colour) {
    StoreAndMarkChanged(m_hoverColour, colour);
}

}  // namespace ControlLibrary
