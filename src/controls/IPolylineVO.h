#pragma once

#include <vector>

#include "controls/IVisibleObject.h"

namespace ControlLibrary {

// Straight lines joining points in the object's colour, each point marked by
// a filled square. Points are relative to the object's top-left corner; what
// falls outside the object's rectangle is not drawn.
class IPolylineVO : public IVisibleObject {
public:
    virtual void SetPoints(const std::vector<Point>& points) = 0;
    // The marks' side in pixels (0: no marks) and the lines' width (1 or 2).
    virtual void SetMarkSize(int32_t size) = 0;
    virtual void SetLineWidth(int32_t width) = 0;
};

}  // namespace ControlLibrary
