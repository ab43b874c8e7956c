#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/graphics/NativeDisplay.h"
#include "framework/platform/Video.h"

namespace Brisk {

namespace Platform {
class Presenter;
class Window;
}  // namespace Platform

class DDImage;
class Image;
class MemoryImage;

// The display: owns the back buffer everything is drawn into (a DDImage in
// 32-bit XRGB) and shows it in the main window, letterboxed, with the
// software cursor drawn into the outgoing frame. Main thread, except the
// lock and SetCursorPos, which the cursor thread uses.
class DDInterface : public NativeDisplay {
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
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    // Prepares presentation into `window` (must outlive the display or the
    // next Init) of a width x height back buffer. Returns a Result.
    int Init(Platform::Window* window, bool windowed, int width, int height);
    // Shows the back buffer. False when presentation failed (display lost).
    // A back buffer unchanged since it was last shown is shown again without
    // being handed to the presenter anew.
    // With `area` (back-buffer coordinates), only that part changed since
    // the last Redraw, and only it is handed over.
    bool Redraw(const Platform::Rect* area = nullptr);
    // How many back buffers have been handed to the presenter. Main thread.
    int GetUploadCount() const;
    static std::string ResultToString(int result);

    bool IsInitialized() const { return m_presenter != nullptr; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    // The back buffer the widgets draw into; null before the first Init.
    DDImage* GetScreenImage() const { return m_screenImage.get(); }
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
    // Asks for the back buffer in video memory; this display keeps it in
    // system memory, so the flag stays off.
    bool SetVideoBackBuffer(bool /*flag*/) { return false; }

    // The software cursor: an image drawn at the pointer when presenting.
    // Returns true when the image changed. `image` must outlive its use.
    bool SetCursorImage(Image* image, int hotX = 0, int hotY = 0);
    Image* GetCursorImage() const { return m_cursorImage; }
    // Moves the software cursor (window coordinates, back-buffer pixels). Any thread.
    void SetCursorPos(int x, int y);

    std::recursive_mutex& GetLock() { return m_lock; }

    // Images that must hear of display changes (see DDImage).
    void RegisterImage(DDImage* image);
    void UnregisterImage(DDImage* image);
    const std::set<DDImage*>& GetImages() const { return m_images; }

private:
    void DrawCursor(std::vector<uint32_t>* saved, Platform::Rect* savedRect);
    void RestoreUnderCursor(const std::vector<uint32_t>& saved, const Platform::Rect& rect);

    std::recursive_mutex m_lock;  // guards everything below against the cursor thread
    std::unique_ptr<Platform::Presenter> m_presenter;
    std::unique_ptr<DDImage> m_screenImage;
    std::set<DDImage*> m_images;
    std::string m_errorText;
    int m_width = 0;
    int m_height = 0;
    int m_refreshRate = 60;
    bool m_refreshBroken = false;
    bool m_windowed = true;
    bool m_is3D = false;
    Image* m_cursorImage = nullptr;  // not owned
    int m_cursorHotX = 0;
    int m_cursorHotY = 0;
    int m_cursorX = 0;
    int m_cursorY = 0;
    bool m_shownValid = false;        // the presenter holds the back buffer as it was...
    uint32_t m_shownChangeCount = 0;  // ...at this change count
};

}  // namespace Brisk
