#include "framework/platform/Signals.h"

#include <SDL.h>
#include <signal.h>

#include <atomic>

namespace Brisk::Platform {
namespace {

// Written only by the signal handler (lock-free atomics are async-signal-safe).
std::atomic<int> g_pendingSignal{0};
std::atomic<int> g_lastSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnTerminationSignal(int signal) {
    g_lastSignal.store(signal, std::memory_order_relaxed);
    g_pendingSignal.store(signal, std::memory_order_release);
}

}  // namespace

void InstallTerminationHandlers() {
    // SDL would turn SIGINT and SIGTERM into a quit event and leave SIGHUP
    // fatal; one handler for all three keeps the reaction the same.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
}

bool TakeTerminationRequest() {
    return g_pendingSignal.exchange(0, std::memory_order_acquire) != 0;
}

int LastTerminationSignal() {
    return g_lastSignal.load(std::memory_order_relaxed);
}

}  // namespace Brisk::Platform
