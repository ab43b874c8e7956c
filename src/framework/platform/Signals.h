#pragma once

namespace Brisk::Platform {

// Turns SIGTERM, SIGINT and SIGHUP (a session ending, `timeout`, Ctrl+C, a
// closed terminal) into a request the main loop takes with
// TakeTerminationRequest, instead of killing the process or reaching SDL.
// SIGXFSZ is ignored, so a file-size limit makes writes fail instead of
// killing the program. Also makes every process forked from ours (the
// message box helpers SDL forks) die with us: such a child gets the default
// reactions to the three signals, SIGKILL when we end, and loses the
// descriptor given to KeepFromForkedChildren. Call before the video system
// starts; idempotent.
void InstallTerminationHandlers();

// True once for each termination signal received since the last call.
// Any thread; the handler itself only sets a flag.
[[nodiscard]] bool TakeTerminationRequest();

// The signal that made the last request (0 before any).
int LastTerminationSignal();

// `fd` (the single-instance lock) is closed in every child forked without
// exec, so a helper process never holds the lock; -1 forgets it. Any thread.
void KeepFromForkedChildren(int fd);

// While one lives, a termination signal also ends the process this thread
// forks to wait on (a message box shown by a child process), so the waiting
// thread goes on at once instead of when the box is closed. A signal that
// came before the helper started ends it as soon as it starts. One at a time;
// the thread that shows the box.
class ForkedHelperScope {
public:
    ForkedHelperScope();
    ~ForkedHelperScope();
    ForkedHelperScope(const ForkedHelperScope&) = delete;
    ForkedHelperScope& operator=(const ForkedHelperScope&) = delete;
};

}  // namespace Brisk::Platform
