#pragma once

#include <string>

#include "controls/IVisibleObject.h"

namespace ControlLibrary {

// A picture from the image cache, stretched to the object's size; a plain
// rectangle in the object's colour while it has no picture.
class IImageVO : public IVisibleObject {
public:
    // False (the previous picture stays) when the path cannot be loaded. With
    // `fitSize` the object takes the picture's size.
    virtual bool LoadImage(const std::string& path, bool fitSize) = 0;
    // The part of the picture shown; 0 width or height means all of it. Shows
    // at the next redraw that something else requests.
    virtual void SetSourceRect(const Rect& rect) = 0;
    // A non-zero angle draws the picture unstretched, turned about `centre`
    // (relative to the picture).
    virtual void SetRotation(double angle, const Point& centre) = 0;
    // Where the turned picture is placed, relative to the screen position.
    virtual void SetRotationOffset(const Point& offset) = 0;
    virtual void GetImagePath(std::string& path) = 0;
    virtual Rect GetSourceRect() = 0;
};

}  // namespace ControlLibrary
