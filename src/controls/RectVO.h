#pragma once

#include "controls/BaseVO_bridge.h"
#include "controls/IRectVO.h"
#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

class RectVO_impl : public VisibleObject_impl {
public:
    // 20 x 20, white outline.
    RectVO_impl(Factory_impl* factory, int32_t id);

    void Draw() override;
    void SetStyle(int32_t style);

private:
    int32_t m_style = 0;  // guarded by the factory lock
};

class RectVO_bridge : public BaseVO_bridge<IRectVO, RectVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetStyle(int32_t style) override { GetKind().SetStyle(style); }
};

}  // namespace ControlLibrary
