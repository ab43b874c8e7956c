// Kept apart from the rest of the platform layer: the X11 headers define
// macros (None, Status, Bool) that clash with ordinary names.

#include "framework/platform/WindowSystemWatch.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace Brisk::Platform {
namespace {
#if defined(SDL_VIDEO_DRIVER_X11)
// Main thread only.
Display* g_display = nullptr;
// What the last watched sleep saw of the connection, and when it woke. The
// verdict serves only a question asked straight after the sleep.
enum class Verdict { Unknown, Quiet, Busy };
Verdict g_verdict = Verdict::Unknown;
std::chrono::steady_clock::time_point g_verdictAt;
constexpr auto kVerdictLife = std::chrono::milliseconds(1);
#endif
}  // namespace

void WatchWindowSystemOf(void* sdlWindow) {
#if defined(SDL_VIDEO_DRIVER_X11)
    g_display = nullptr;
    g_verdict = Verdict::Unknown;
    if (sdlWindow == nullptr) {
        return;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_X11) {
        g_display = info.info.x11.display;
    }
#else
    static_cast<void>(sdlWindow);
#endif
}

bool WindowSystemQuiet() {
#if defined(SDL_VIDEO_DRIVER_X11)
    // QLength reads the client library's queue length without any I/O.
    if (g_display == nullptr || QLength(g_display) > 0) {
        return false;
    }
    const Verdict verdict = g_verdict;
    g_verdict = Verdict::Unknown;
    if (verdict != Verdict::Unknown &&
        std::chrono::steady_clock::now() - g_verdictAt < kVerdictLife) {
        return verdict == Verdict::Quiet;
    }
    pollfd p{ConnectionNumber(g_display), POLLIN, 0};
    return poll(&p, 1, 0) == 0;
#else
    return false;
#endif
}

bool SleepWatchingWindowSystem(uint32_t ms) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (g_display == nullptr) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    // One system call both sleeps and watches: the kernel gives a poll timeout
    // the same timer slack as a plain sleep of that length.
    pollfd p{ConnectionNumber(g_display), POLLIN, 0};
    const timespec timeout{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    const int ready = ppoll(&p, 1, &timeout, nullptr);
    if (ready == 0) {
        g_verdict = Verdict::Quiet;
    } else {
        // Woken early (or interrupted): sleep out the rest, so updates keep their pace.
        g_verdict = ready > 0 ? Verdict::Busy : Verdict::Unknown;
        std::this_thread::sleep_until(deadline);
    }
    g_verdictAt = Clock::now();
    return true;
#else
    static_cast<void>(ms);
    return false;
#endif
}

}  // namespace Brisk::Platform
