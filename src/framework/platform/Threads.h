#pragma once

#include <cstdint>

namespace Brisk::Platform {

enum class ThreadPriority { Normal, AboveNormal, Highest };

// Best effort: raising a priority needs privileges most users lack, in which
// case the call changes nothing. Applies to the calling thread.
void SetCurrentThreadPriority(ThreadPriority priority);

// Lets the calling thread's sleeps end within about `ns` nanoseconds of
// their target instead of the system's default slack (50 us).
void SetCurrentThreadTimerSlack(uint64_t ns);

}  // namespace Brisk::Platform
