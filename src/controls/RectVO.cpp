#include "controls/RectVO.h"

#include "controls/Factory_impl.h"

namespace ControlLibrary {

RectVO_impl::RectVO_impl(Factory_impl* factory, int32_t id) : VisibleObject_impl(factory, id) {
    m_size = {20, 20};
    m_colour = {255, 255, 255};
}

void RectVO_impl::Draw() {
    auto lock = Lock();
    if (m_style == 0) {
        m_factory->DrawRect(GetScreenRect(), m_colour);
    } else if (m_style == 1) {
        m_factory->FillRect(GetScreenRect(), m_colour);
    }
}

void RectVO_impl::SetStyle(int32_t style) {
    StoreAndMarkChanged(m_style, style);
}

}  // namespace ControlLibrary
