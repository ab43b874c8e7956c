#include "framework/graphics/DDInterface.h"

#include <algorithm>
#include <string>

#include "framework/graphics/DDImage.h"
#include "framework/platform/Presenter.h"
#include "framework/platform/Video.h"

namespace Brisk {

DDInterface::DDInterface() = default;

DDInterface::~DDInterface() {
    std::lock_guard lock(m_lock);
    m_screenImage.reset();
    for (DDImage* image : m_images) {
        image->DetachDisplay();
    }
}

void DDInterface::RegisterImage(DDImage* image) {
    std::lock_guard lock(m_lock);
    m_images.insert(image);
}

void DDInterface::UnregisterImage(DDImage* image) {
    std::lock_guard lock(m_lock);
    m_images.erase(image);
}

int DDInterface::Init(Platform::Window* window, bool windowed, int width, int height) {
    std::lock_guard lock(m_lock);
    m_presenter.reset();
    m_shownValid = false;
    m_windowed = windowed;
    m_width = width;
    m_height = height;
    SetFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF);
    if (m_screenImage == nullptr) {
        m_screenImage = std::make_unique<DDImage>(this);
        m_screenImage->m_name = "screen";
    }
    if (m_screenImage->GetWidth() != width || m_screenImage->GetHeight() != height) {
        m_screenImage->Create(width, height);
        m_screenImage->Clear();
    }
    m_screenImage->SetImageFlags(false, false);  // the back buffer is opaque

    // The picture is drawn in 32 bits and converted when shown; a screen of
    // fewer than 15 bits (a palette) cannot show it.
    const auto mode = Platform::GetDesktopDisplayMode();
    if (mode && mode->bitsPerPixel < 15) {
        m_errorText = "the screen has " + std::to_string(mode->bitsPerPixel) + "-bit colour";
        return RESULT_INVALID_COLORDEPTH;
    }
    std::string error;
    m_presenter = Platform::Presenter::Create(*window, m_width, m_height, m_is3D, &error);
    if (m_presenter == nullptr) {
        m_errorText = (m_is3D ? "3D init error: " : "CreateRenderer: ") + error;
        return m_is3D ? RESULT_3D_FAIL : RESULT_DD_CREATE_FAIL;
    }
    const int rate = m_presenter->RefreshRate();
    m_refreshBroken = rate < 60 || rate > 100;
    m_refreshRate = std::clamp(rate, 60, 100);
    return RESULT_OK;
}

bool DDInterface::SetCursorImage(Image* image, int hotX, int hotY) {
    std::lock_guard lock(m_lock);
    const bool changed = image != m_cursorImage || hotX != m_cursorHotX || hotY != m_cursorHotY;
    m_cursorImage = image;
    m_cursorHotX = hotX;
    m_cursorHotY = hotY;
    if (changed) {
        // The frame last handed over holds the old cursor: never show it again.
        m_shownValid = false;
    }
    return changed;
}

void DDInterface::SetCursorPos(int x, int y) {
    std::lock_guard lock(m_lock);
    m_cursorX = x;
    m_cursorY = y;
}

void DDInterface::DrawCursor(std::vector<uint32_t>* saved, Platform::Rect* savedRect) {
    const Platform::Rect area = Intersect({m_cursorX - m_cursorHotX, m_cursorY - m_cursorHotY,
                                           m_cursorImage->GetWidth(), m_cursorImage->GetHeight()},
                                          m_screenImage->GetRect());
    *savedRect = area;
    if (IsEmpty(area)) {
        return;
    }
    uint32_t* bits = m_screenImage->GetBits();
    saved->resize(static_cast<size_t>(area.width) * static_cast<size_t>(area.height));
    for (int y = 0; y < area.height; ++y) {
        const uint32_t* row = bits +
                              static_cast<size_t>(area.y + y) * static_cast<size_t>(m_width) +
                              static_cast<size_t>(area.x);
        std::copy(row, row + area.width, saved->begin() + static_cast<long>(y) * area.width);
    }
    m_screenImage->Blt(m_cursorImage, m_cursorX - m_cursorHotX, m_cursorY - m_cursorHotY,
                       m_cursorImage->GetRect(), Color::White, 0);
}

void DDInterface::RestoreUnderCursor(const std::vector<uint32_t>& saved,
                                     const Platform::Rect& area) {
    if (IsEmpty(area)) {
        return;
    }
    uint32_t* bits = m_screenImage->GetBits();
    for (int y = 0; y < area.height; ++y) {
        std::copy(saved.begin() + static_cast<long>(y) * area.width,
                  saved.begin() + static_cast<long>(y + 1) * area.width,
                  bits + static_cast<size_t>(area.y + y) * static_cast<size_t>(m_width) +
                      static_cast<size_t>(area.x));
    }
    m_screenImage->BitsChanged();
}

bool DDInterface::Redraw(const Platform::Rect* area) {
    std::lock_guard lock(m_lock);
    if (m_presenter == nullptr || m_screenImage == nullptr) {
        return false;
    }
    // The software cursor is drawn into each presented frame, so a frame
    // with one is always handed over.
    if (m_cursorImage == nullptr && m_shownValid &&
        m_screenImage->GetChangeCount() == m_shownChangeCount && m_presenter->PresentAgain()) {
        return true;
    }
    std::vector<uint32_t> saved;
    Platform::Rect savedRect;
    if (m_cursorImage != nullptr) {
        DrawCursor(&saved, &savedRect);
    }
    // A part is enough when the presenter holds the back buffer as it was
    // (no cursor drawn into it) before this frame's drawing.
    const bool part = area != nullptr && m_cursorImage == nullptr && m_shownValid;
    const bool ok =
        m_presenter->Present(m_screenImage->GetBits(), m_width * 4, part ? area : nullptr);
    if (m_cursorImage != nullptr) {
        RestoreUnderCursor(saved, savedRect);
    }
    // A frame with the cursor drawn in is not the back buffer: once the
    // cursor goes, showing that upload again would leave the cursor behind.
    m_shownValid = ok && m_cursorImage == nullptr;
    m_shownChangeCount = m_screenImage->GetChangeCount();
    return ok;
}

int DDInterface::GetUploadCount() const {
    return m_presenter == nullptr ? 0 : m_presenter->UploadCount();
}

std::string DDInterface::ResultToString(int result) {
    switch (result) {
        case RESULT_OK:
            return "RESULT_OK";
        case RESULT_FAIL:
            return "RESULT_FAIL";
        case RESULT_DD_CREATE_FAIL:
            return "RESULT_DD_CREATE_FAIL";
        case RESULT_SURFACE_FAIL:
            return "RESULT_SURFACE_FAIL";
        case RESULT_EXCLUSIVE_FAIL:
            return "RESULT_EXCLUSIVE_FAIL";
        case RESULT_DISPCHANGE_FAIL:
            return "RESULT_DISPCHANGE_FAIL";
        case RESULT_INVALID_COLORDEPTH:
            return "RESULT_INVALID_COLORDEPTH";
        default:
            return "RESULT_UNKNOWN";
    }
}

Platform::Rect DDInterface::GetPresentationRect() const {
    if (m_presenter == nullptr) {
        return {0, 0, m_width, m_height};
    }
    return m_presenter->PresentationRect();
}

}  // namespace Brisk
