#pragma once

namespace Brisk::Platform {

// Turns SIGTERM, SIGINT and SIGHUP (a session ending, `timeout`, Ctrl+C, a
// closed terminal) into a request the main loop takes with
// TakeTerminationRequest, instead of killing the process or reaching SDL.
// SIGXFSZ is ignored, so a file-size limit makes writes fail instead of
// killing the program. Call before the video system starts; idempotent.
void InstallTerminationHandlers();

// True once for each termination signal received since the last call.
// Any thread; the handler itself only sets a flag.
[[nodiscard]] bool TakeTerminationRequest();

// The signal that made the last request (0 before any).
int LastTerminationSignal();

}  // namespace Brisk::Platform
