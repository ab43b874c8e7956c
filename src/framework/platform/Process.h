#pragma once

#include <string>
#include <vector>

namespace Brisk::Platform {

// Asks the desktop to open `url` with its default handler (xdg-open), started
// without a shell. Returns true when the opener was started; it runs on
// detached and its outcome is not awaited.
bool OpenUrl(const std::string& url);

// The process's command line as one text: the program path in quotes, then
// every argument, each argument that contains a space in quotes. Empty until
// SetCommandLine was called (by main).
void SetCommandLine(int argc, const char* const* argv);
std::string GetCommandLine();
// The arguments after the program's path, each as it came (empty until
// SetCommandLine was called).
std::vector<std::string> CommandLineArguments();

// A seed for the random generator that differs at every start: the system's
// random source mixed with the wall clock and the process id.
[[nodiscard]] unsigned FreshRandomSeed();

// Start-up measurement for benchmarks. When VQ_STARTUP_REPORT names a file,
// appends "<mark> <wall ms> <cpu ms>": the wall time since VQ_STARTUP_T0_NS
// (the launcher's CLOCK_REALTIME in ns, taken just before exec) and the CPU
// time of the whole process. When VQ_STARTUP_EXIT equals the mark, the
// process then asks itself to end (SIGTERM, the desktop's polite request).
// Nothing at all without VQ_STARTUP_REPORT.
void StartupMark(const char* mark);

}  // namespace Brisk::Platform
