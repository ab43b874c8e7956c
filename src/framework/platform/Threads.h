#pragma once

namespace Brisk::Platform {

enum class ThreadPriority { Normal, AboveNormal, Highest };

// Best effort: raising a priority needs privileges most users lack, in which
// case the call changes nothing. Applies to the calling thread.
void SetCurrentThreadPriority(ThreadPriority priority);

}  // namespace Brisk::Platform
