#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "framework/platform/Video.h"

namespace Brisk {

namespace Platform {
class Presenter;
class Window;
}  // namespace Platform

// The display: owns the back buffer the program draws into and shows it in
// the main window. Main thread, except the lock, which the cursor thread takes.
class DDInterface {
public:
    enum Result {
        RESULT_OK = 0,
        RESULT_FAIL = 1,
        RESULT_DD_CREATE_FAIL = 2,
        RESULT_SURFACE_FAIL = 3,
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        RESULT_INVALID_COLORDEPTH = 6,
        RESULT_3D_FAIL = 7,
    };

    DDInterface();
    ~DDInterface();

    // Prepares presentation into `window` (must outlive the display or the
    // next Init) of a width x height back buffer. Returns a Result.
    int Init(Platform::Window* window, bool windowed, int width, int height);
    // Shows the back buffer. False when presentation failed (display lost).
    bool Redraw();
    static std::string ResultToString(int result);

    bool IsInitialized() const { return m_presenter != nullptr; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // Where the back buffer appears in window coordinates.
    Platform::Rect GetPresentationRect() const;
    int GetRefreshRate() const { return m_refreshRate; }
    int GetRefreshPeriod() const { return 1000 / m_refreshRate; }
    // True when the refresh rate had to be assumed (unknown or out of 60..100 Hz).
    bool IsRefreshRateBroken() const { return m_refreshBroken; }
    const std::string& GetErrorText() const { return m_errorText; }
    bool Is3D() const { return m_is3D; }
    void SetIs3D(bool on) { m_is3D = on; }
    bool IsWindowed() const { return m_windowed; }

    // The 32-bit XRGB back buffer, width x height, rows from the top.
    uint32_t* GetBackBuffer() { return m_backBuffer.data(); }
    std::recursive_mutex& GetLock() { return m_lock; }

private:
    std::unique_ptr<Platform::Presenter> m_presenter;
    std::vector<uint32_t> m_backBuffer;
    std::recursive_mutex m_lock;
    std::string m_errorText;
    int m_width = 0;
    int m_height = 0;
    int m_refreshRate = 60;
    bool m_refreshBroken = false;
    bool m_windowed = true;
    bool m_is3D = false;
};

}  // namespace Brisk
