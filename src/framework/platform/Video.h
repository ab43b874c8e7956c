#pragma once

#include <optional>
#include <string>

namespace Brisk::Platform {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    constexpr bool operator==(const Rect&) const = default;
};

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    int refreshRate = 0;  // Hz; 0 when the driver does not know
};

enum class VideoStatus {
    Ok,
    NoDisplay,  // no display server reachable (or only a headless driver we did not ask for)
    Failed,     // the video system could not be initialised for another reason
};

struct VideoInit {
    VideoStatus status = VideoStatus::Failed;
    std::string message;  // what went wrong, for the user
};

// Starts the video and event subsystems. Safe to call more than once; each
// successful call must be paired with ShutdownVideo. Main thread only.
[[nodiscard]] VideoInit InitVideo();
void ShutdownVideo();

// Name of the active video driver ("x11", "wayland", "dummy", ...), empty before InitVideo.
std::string VideoDriverName();

// The primary display's full bounds, its usable work area (without panels)
// and its current mode. Empty when video is not initialised.
std::optional<Rect> GetDesktopBounds();
std::optional<Rect> GetWorkArea();
std::optional<DisplayMode> GetDesktopDisplayMode();

}  // namespace Brisk::Platform
