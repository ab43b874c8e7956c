#pragma once

#include <string>

#include "controls/BaseVO_bridge.h"
#include "controls/IImageVO.h"
#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

class ImageVO_impl : public VisibleObject_impl {
public:
    // 20 x 20, white.
    ImageVO_impl(Factory_impl* factory, int32_t id);
    // Gives the picture back to the image cache.
    ~ImageVO_impl() override;

    void Draw() override;
    bool LoadImage(const std::string& path, bool fitSize);
    void SetSourceRect(const Rect& rect);
    void SetRotation(double angle, const Point& centre);
    void SetRotationOffset(const Point& offset);
    void GetImagePath(std::string& path);
    Rect GetSourceRect();
    int32_t GetImageIndex();

private:
    // Guarded by the factory lock.
    int32_t m_imageIndex = -1;
    Rect m_sourceRect;
    double m_angle = 0.0;
    Point m_rotationCentre;
    Point m_rotationOffset;
};

class ImageVO_bridge : public BaseVO_bridge<IImageVO, ImageVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    bool LoadImage(const std::string& path, bool fitSize) override {
        return GetKind().LoadImage(path, fitSize);
    }
    void SetSourceRect(const Rect& rect) override { GetKind().SetSourceRect(rect); }
    void SetRotation(double angle, const Point& centre) override {
        GetKind().SetRotation(angle, centre);
    }
    void SetRotationOffset(const Point& offset) override { GetKind().SetRotationOffset(offset); }
    void GetImagePath(std::string& path) override { GetKind().GetImagePath(path); }
    Rect GetSourceRect() override { return GetKind().GetSourceRect(); }
};

}  // namespace ControlLibrary
