#include "framework/platform/Signals.h"
#include "framework/platform/WindowSystemWatch.h"

#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <memory>

namespace Brisk::Platform {
namespace {

// Written only by the signal handler (lock-free atomics are async-signal-safe).
std::atomic<int> g_pendingSignal{0};
std::atomic<int> g_lastSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Shared between this process and its forked helpers (one anonymous shared
// page), so the handler can end a helper and a helper can see a request that
// came before it recorded itself.
struct HelperSlot {
    std::atomic<int> armed{0};        // a ForkedHelperScope is alive
    std::atomic<pid_t> pid{0};        // the helper forked inside it
    std::atomic<int> terminating{0};  // a termination signal was received
};
static_assert(std::atomic<pid_t>::is_always_lock_free);

std::atomic<HelperSlot*> g_helperSlot{nullptr};
std::atomic<int> g_childCloses{-1};
pid_t g_forkingPid = 0;  // set just before each fork, in the forking process

void EndHelper(HelperSlot* slot) {
    const pid_t pid = slot->pid.load();
    if (pid > 0) {
        ::kill(pid, SIGKILL);
    }
}

extern "C" void OnTerminationSignal(int signal) {
    g_lastSignal.store(signal, std::memory_order_relaxed);
    g_pendingSignal.store(signal, std::memory_order_release);
    WakeWindowSystemWait();  // the main loop may be waiting for input
    if (HelperSlot* slot = g_helperSlot.load()) {
        slot->terminating.store(1);
        EndHelper(slot);
    }
}

extern "C" void BeforeFork() {
    g_forkingPid = ::getpid();
}

// Runs in a freshly forked child; only async-signal-safe calls.
extern "C" void OnForkedChild() {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &fallback, nullptr);
    }
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != g_forkingPid) {
        ::_exit(127);  // the parent died before the line above took effect
    }
    const int fd = g_childCloses.load();
    if (fd >= 0) {
        ::close(fd);
    }
    HelperSlot* slot = g_helperSlot.load();
    if (slot != nullptr && slot->armed.load() != 0) {
        slot->pid.store(::getpid());
        if (slot->terminating.load() != 0) {
            ::_exit(127);
        }
    }
}

}  // namespace

void InstallTerminationHandlers() {
    static const bool forkHandling = [] {
        void* page = ::mmap(nullptr, sizeof(HelperSlot), PROT_READ | PROT_WRITE,
                            MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (page != MAP_FAILED) {
            // Lives as long as the process.
            g_helperSlot.store(std::construct_at(static_cast<HelperSlot*>(page)));
        }
        return ::pthread_atfork(BeforeFork, nullptr, OnForkedChild) == 0;
    }();
    static_cast<void>(forkHandling);
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

void KeepFromForkedChildren(int fd) {
    g_childCloses.store(fd);
}

ForkedHelperScope::ForkedHelperScope() {
    if (HelperSlot* slot = g_helperSlot.load()) {
        slot->pid.store(0);
        slot->armed.store(1);
    }
}

ForkedHelperScope::~ForkedHelperScope() {
    if (HelperSlot* slot = g_helperSlot.load()) {
        slot->armed.store(0);
        slot->pid.store(0);
    }
}

}  // namespace Brisk::Platform
