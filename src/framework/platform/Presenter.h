#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/platform/Video.h"

namespace Brisk::Platform {

class Window;

// Shows a 32-bit XRGB picture in a window: an SDL renderer with a streaming
// texture, scaled to fit the window and letterboxed. Main thread only.
class Presenter {
public:
    enum class Kind {
        Software,      // SDL's software renderer with a streaming texture
        Accelerated,   // a hardware renderer with a streaming texture
        WindowSurface  // plain copies into the window's surface, no renderer
    };

    // `accelerated` asks for a hardware renderer. Null and `error` on failure.
    static std::unique_ptr<Presenter> Create(const Window& window, int width, int height,
                                             bool accelerated, std::string* error) {
        return Create(window, width, height, accelerated ? Kind::Accelerated : Kind::Software,
                      error);
    }
    static std::unique_ptr<Presenter> Create(const Window& window, int width, int height, Kind kind,
                                             std::string* error);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Uploads the picture (`pitch` in bytes) and shows it. False when the
    // renderer failed (the caller treats the display as lost).
    // With `area`, only that part of the picture has changed since the last
    // successful Present: only it is uploaded.
    bool Present(const uint32_t* pixels, int pitch, const Rect* area = nullptr);
    // How many of the pictures taken in were parts.
    int PartialUploadCount() const { return m_partialUploads; }
    // Shows the picture of the last successful Present again without taking
    // its pixels anew. False, having shown nothing, when that picture is not
    // kept (nothing shown yet, or the window's output changed size since):
    // the caller then presents the pixels.
    bool PresentAgain();
    // How many pictures have been taken in by Present.
    int UploadCount() const { return m_uploads; }
    // Where the picture lands in window coordinates.
    Rect PresentationRect() const;
    // Refresh rate of the window's display in Hz; 0 when unknown.
    int RefreshRate() const;
    bool IsAccelerated() const { return m_kind == Kind::Accelerated; }

private:
    Presenter() = default;
    bool PresentToSurface(const uint32_t* pixels, int pitch);
    bool ShowTexture();
    // The window's output size now (the renderer's, or the window's).
    void OutputSize(int* w, int* h) const;

    void* m_renderer = nullptr;  // SDL_Renderer*
    void* m_texture = nullptr;   // SDL_Texture*
    void* m_window = nullptr;    // SDL_Window*, not owned
    int m_width = 0;
    int m_height = 0;
    Kind m_kind = Kind::Software;
    int m_uploads = 0;
    int m_partialUploads = 0;
    bool m_shown = false;  // the last Present succeeded...
    int m_shownW = 0;      // ...into an output of this size
    int m_shownH = 0;
};

// Fits a width x height picture into an output of outW x outH, keeping its
// aspect and centring it (bars on the short sides).
Rect LetterboxRect(int width, int height, int outW, int outH);

}  // namespace Brisk::Platform
