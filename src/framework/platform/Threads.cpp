#include "framework/platform/Threads.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace Brisk::Platform {

void SetCurrentThreadPriority(ThreadPriority priority) {
    int nice = 0;
    switch (priority) {
        case ThreadPriority::Normal:
            nice = 0;
            break;
        case ThreadPriority::AboveNormal:
            nice = -2;
            break;
        case ThreadPriority::Highest:
            nice = -5;
            break;
    }
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    // Ignored failure: without the privilege the thread keeps its priority.
    (void)setpriority(PRIO_PROCESS, tid, nice);
}

void SetCurrentThreadTimerSlack(uint64_t ns) {
    // Ignored failure: the default slack only makes sleeps a little longer.
    (void)prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(ns == 0 ? 1 : ns), 0, 0, 0);
}

}  // namespace Brisk::Platform
