#pragma once

#include <vector>

#include "controls/BaseVO_bridge.h"
#include "controls/IPolylineVO.h"
#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

class PolylineVO_impl : public VisibleObject_impl {
public:
    // 20 x 20, white, no points.
    PolylineVO_impl(Factory_impl* factory, int32_t id);

    void Draw() override;
    void SetPoints(const std::vector<Point>& points);
    void SetMarkSize(int32_t size);
    void SetLineWidth(int32_t width);

private:
    // Guarded by the factory lock.
    std::vector<Point> m_points;
    int32_t m_markSize = 0;
    int32_t m_lineWidth = 1;
};

class PolylineVO_bridge : public BaseVO_bridge<IPolylineVO, PolylineVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetPoints(const std::vector<Point>& points) override { GetKind().SetPoints(points); }
    void SetMarkSize(int32_t size) override { GetKind().SetMarkSize(size); }
    void SetLineWidth(int32_t width) override { GetKind().SetLineWidth(width); }
};

}  // namespace ControlLibrary
