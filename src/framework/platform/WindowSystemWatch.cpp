// Kept apart from the rest of the platform layer: the X11 headers define
// macros (None, Status, Bool) that clash with ordinary names.

#include "framework/platform/WindowSystemWatch.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

namespace Brisk::Platform {
namespace {
// Counts wake requests for the idle wait; made with the first watched
// window and kept for the process, so that a signal handler may write to
// it at any time (write is async-signal-safe).
std::atomic<int> g_wakeFd{-1};
#if defined(SDL_VIDEO_DRIVER_X11)
// Main thread only. The connection is watched through an epoll set holding
// its socket: waiting on it costs about what a plain sleep does, where a
// poll would hook the socket up again on every call.
Display* g_display = nullptr;
int g_watch = -1;
// What the last watched sleep saw of the connection, and when it woke. The
// verdict serves only a question asked straight after the sleep.
enum class Verdict { Unknown, Quiet, Busy };
Verdict g_verdict = Verdict::Unknown;
std::chrono::steady_clock::time_point g_verdictAt;
constexpr auto kVerdictLife = std::chrono::milliseconds(1);

// Waits up to `ms` for the connection to have something: 1 when it has, 0
// when it stayed quiet, -1 when interrupted or failed.
int WaitForConnection(int ms) {
    epoll_event event{};
    return epoll_wait(g_watch, &event, 1, ms);
}
#endif
}  // namespace

void WatchWindowSystemOf(void* sdlWindow) {
#if defined(SDL_VIDEO_DRIVER_X11)
    g_display = nullptr;
    g_verdict = Verdict::Unknown;
    if (g_watch >= 0) {
        close(g_watch);
        g_watch = -1;
    }
    if (sdlWindow == nullptr) {
        return;
    }
    if (g_wakeFd.load() < 0) {
        g_wakeFd.store(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    g_watch = epoll_create1(EPOLL_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    if (g_watch >= 0 &&
        epoll_ctl(g_watch, EPOLL_CTL_ADD, ConnectionNumber(info.info.x11.display), &event) == 0) {
        g_display = info.info.x11.display;
    } else if (g_watch >= 0) {
        // Unwatched, the pump simply reads the connection every time.
        close(g_watch);
        g_watch = -1;
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
    return WaitForConnection(0) == 0;
#else
    return false;
#endif
}

bool SleepWatchingWindowSystem(uint32_t ms) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (g_display == nullptr || ms > INT_MAX) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    // One system call both sleeps and watches: the kernel gives the wait's
    // timeout the same timer slack as a plain sleep of that length.
    const int ready = WaitForConnection(static_cast<int>(ms));
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

bool WaitForWindowSystemOrWake(uint32_t ms) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (g_display == nullptr || ms > INT_MAX) {
        return false;
    }
    g_verdict = Verdict::Unknown;
    if (QLength(g_display) > 0) {
        return true;  // already read and waiting in the client library's queue
    }
    std::array<pollfd, 2> fds{};
    fds[0].fd = ConnectionNumber(g_display);
    fds[0].events = POLLIN;
    fds[1].fd = g_wakeFd.load();
    fds[1].events = POLLIN;
    const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
    if (poll(fds.data(), count, static_cast<int>(ms)) > 0 && count == 2 &&
        (fds[1].revents & POLLIN) != 0) {
        uint64_t requests = 0;
        // Taking the count resets it; the descriptor never blocks.
        [[maybe_unused]] const ssize_t got = read(fds[1].fd, &requests, sizeof requests);
    }
    return true;
#else
    static_cast<void>(ms);
    return false;
#endif
}

void WakeWindowSystemWait() {
    const int fd = g_wakeFd.load();
    if (fd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t put = write(fd, &one, sizeof one);
    }
}

}  // namespace Brisk::Platform
