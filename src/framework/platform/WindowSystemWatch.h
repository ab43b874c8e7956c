#pragma once

#include <cstdint>

namespace Brisk::Platform {

// The window whose window-system connection the event pump watches (X11
// only): between full reads, at most a quarter second apart, the pump reads
// the window system only when its connection has something to give. Null
// forgets the connection (video shut down). Main thread only.
void WatchWindowSystemOf(void* sdlWindow);

// True when the watched connection has nothing new: no event read into the
// client library's queue already and nothing waiting on the socket. (SDL
// sends its own requests as it makes them.) False when nothing is watched.
bool WindowSystemQuiet();

// Sleeps `ms` milliseconds (as the steady clock's sleep does) while watching
// the connection, so that the WindowSystemQuiet that follows straight after
// knows the answer without asking the system again. Something arriving early
// does not cut the sleep short. False, without sleeping, when nothing is
// watched.
bool SleepWatchingWindowSystem(uint32_t ms);

// Waits up to `ms` milliseconds, ending early when the watched connection
// has something or WakeWindowSystemWait is called (before or during the
// wait). Returns false, without waiting, when nothing is watched.
bool WaitForWindowSystemOrWake(uint32_t ms);

// Ends the current or next WaitForWindowSystemOrWake at once. Any thread;
// safe in a signal handler. Nothing when no connection was ever watched.
void WakeWindowSystemWait();

}  // namespace Brisk::Platform
