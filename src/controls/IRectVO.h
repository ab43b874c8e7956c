#pragma once

#include "controls/IVisibleObject.h"

namespace ControlLibrary {

// A rectangle in the object's colour.
class IRectVO : public IVisibleObject {
public:
    // 0 outline, 1 filled, anything else invisible (yet still hit by the mouse).
    virtual void SetStyle(int32_t style) = 0;
};

}  // namespace ControlLibrary
