#pragma once

#include <exception>
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

// Makes the process fit to run with what it inherited. Standard input,
// output and error that are closed are opened on /dev/null, so that no file
// the program opens later takes their place and receives its messages. A
// limited address space gets one memory pool for all threads (each pool
// would reserve its own 64 MB). Returns what the system allows too little of
// (open files, memory) as a sentence for the player; empty when all is well.
// Call first thing in main.
[[nodiscard]] std::string PrepareProcess();

// What ran out, for an exception that tells of it (no memory, no thread,
// too many open files) as a sentence for the player; empty for any other.
[[nodiscard]] std::string ResourceShortageText(const std::exception_ptr& error);

// Installs a last resort for a shortage that ends up uncaught on any thread:
// it says what ran out on standard error and ends the process with code 1
// instead of aborting without a word.
void InstallShortageHandler();

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
