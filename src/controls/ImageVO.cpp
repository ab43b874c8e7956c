#include "controls/ImageVO.h"

#include "controls/Factory_impl.h"

namespace ControlLibrary {

ImageVO_impl::ImageVO_impl(Factory_impl* factory, int32_t id) : VisibleObject_impl(factory, id) {
    m_size = {20, 20};
    m_colour = {255, 255, 255};
}

ImageVO_impl::~ImageVO_impl() {
    m_factory->ReleaseImage(&m_imageIndex);
}

void ImageVO_impl::Draw() {
    auto lock = Lock();
    const Rect screen = GetScreenRect();
    const bool drawn =
        m_angle == 0.0 ? m_factory->DrawImage(m_imageIndex, m_sourceRect, screen)
                       : m_factory->DrawImageRotated(m_imageIndex, m_sourceRect, screen, m_angle,
                                                     m_rotationCentre, m_rotationOffset);
    if (!drawn) {
        m_factory->FillRect(screen, m_colour);
    }
}

bool ImageVO_impl::LoadImage(const std::string& path, bool fitSize) {
    auto lock = Lock();
    if (!ReplaceImage(path, &m_imageIndex)) {
        return false;
    }
    Size size;
    if (fitSize && m_factory->GetImageSize(m_imageIndex, &size)) {
        SetSize(size);
    }
    SetDirty();
    return true;
}

void ImageVO_impl::SetSourceRect(const Rect& rect) {
    auto lock = Lock();
    m_sourceRect = rect;
}

void ImageVO_impl::SetRotation(double angle, const Point& centre) {
    auto lock = Lock();
    m_angle = angle;
    m_rotationCentre = centre;
}

void ImageVO_impl::SetRotationOffset(const Point& offset) {
    auto lock = Lock();
    m_rotationOffset = offset;
}

void ImageVO_impl::GetImagePath(std::string& path) {
    auto lock = Lock();
    m_factory->GetImagePath(m_imageIndex, &path);
}

Rect ImageVO_impl::GetSourceRect() {
    auto lock = Lock();
    return m_sourceRect;
}

int32_t ImageVO_impl::GetImageIndex() {
    auto lock = Lock();
    return m_imageIndex;
}

}  // namespace ControlLibrary
