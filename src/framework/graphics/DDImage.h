#pragma once

#include "framework/graphics/MemoryImage.h"

namespace Brisk {

class DDInterface;

// An image that the display knows about. The screen's back buffer is one:
// an opaque display image draws normal and additive blits straight in the
// display format from the source's premultiplied native data and run table.
class DDImage : public MemoryImage {
public:
    // `display` (may be null) must outlive the image; the image registers
    // itself so that display changes reach it.
    explicit DDImage(DDInterface* display = nullptr);
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;
    ~DDImage() override;

    void Blt(Image* source, int x, int y, const Rect& srcRect, const Color& color,
             int mode) override;

    DDInterface* GetDisplay() const { return m_display; }
    // Called by the display when it goes away first.
    void DetachDisplay() { m_display = nullptr; }

private:
    DDInterface* m_display;  // not owned
};

}  // namespace Brisk
