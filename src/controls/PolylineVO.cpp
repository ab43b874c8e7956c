#include "controls/PolylineVO.h"

#include <algorithm>

#include "controls/Factory_impl.h"

namespace ControlLibrary {

PolylineVO_impl::PolylineVO_impl(Factory_impl* factory, int32_t id)
    : VisibleObject_impl(factory, id) {
    m_size = {20, 20};
    m_colour = {255, 255, 255};
}

void PolylineVO_impl::Draw() {
    auto lock = Lock();
    const Rect area = GetScreenRect();
    const auto at = [&](const Point& p) { return Point{area.x + p.x, area.y + p.y}; };
    m_factory->PushClip(area);
    for (size_t i = 1; i < m_points.size(); ++i) {
        const Point from = at(m_points[i - 1]);
        const Point to = at(m_points[i]);
        m_factory->DrawLineSmooth(from, to, m_colour);
        if (m_lineWidth > 1) {
            // A second line beside the first, across the steeper direction.
            const bool steep = std::abs(to.y - from.y) > std::abs(to.x - from.x);
            const Point shift = steep ? Point{1, 0} : Point{0, 1};
            m_factory->DrawLineSmooth({from.x + shift.x, from.y + shift.y},
                                      {to.x + shift.x, to.y + shift.y}, m_colour);
        }
    }
    if (m_markSize > 0) {
        for (const Point& p : m_points) {
            const Point centre = at(p);
            m_factory->FillRect(
                {centre.x - m_markSize / 2, centre.y - m_markSize / 2, m_markSize, m_markSize},
                m_colour);
        }
    }
    m_factory->PopClip();
}

void PolylineVO_impl::SetPoints(const std::vector<Point>& points) {
    StoreAndMarkChanged(m_points, points);
}

void PolylineVO_impl::SetMarkSize(int32_t size) {
    StoreAndMarkChanged(m_markSize, std::max(size, 0));
}

void PolylineVO_impl::SetLineWidth(int32_t width) {
    StoreAndMarkChanged(m_lineWidth, std::clamp(width, 1, 2));
}

}  // namespace ControlLibrary
