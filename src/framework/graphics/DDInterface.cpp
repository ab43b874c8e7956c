#include "framework/graphics/DDInterface.h"

#include <algorithm>

#include "framework/platform/Presenter.h"

namespace Brisk {

DDInterface::DDInterface() = default;

DDInterface::~DDInterface() = default;

int DDInterface::Init(Platform::Window* window, bool windowed, int width, int height) {
    std::lock_guard lock(m_lock);
    m_presenter.reset();
    m_windowed = windowed;
    m_width = width;
    m_height = height;
    m_backBuffer.assign(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0);

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

bool DDInterface::Redraw() {
    std::lock_guard lock(m_lock);
    if (m_presenter == nullptr) {
        return false;
    }
    return m_presenter->Present(m_backBuffer.data(), m_width * 4);
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
