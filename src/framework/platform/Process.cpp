#include "framework/platform/Process.h"

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <random>
#include <string>
#include <system_error>
#include <thread>

extern char** environ;

namespace Brisk::Platform {
namespace {
std::string g_commandLine;
std::vector<std::string> g_arguments;
}  // namespace

void SetCommandLine(int argc, const char* const* argv) {
    g_commandLine.clear();
    g_arguments.clear();
    for (int i = 1; i < argc; ++i) {
        g_arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i] != nullptr ? argv[i] : "";
        if (i > 0) {
            g_commandLine += ' ';
        }
        if (i == 0 || arg.find(' ') != std::string::npos) {
            g_commandLine += '"' + arg + '"';
        } else {
            g_commandLine += arg;
        }
    }
}

std::string GetCommandLine() {
    return g_commandLine;
}

std::vector<std::string> CommandLineArguments() {
    return g_arguments;
}

bool OpenUrl(const std::string& url) {
    if (url.empty()) {
        return false;
    }
    std::string program = "xdg-open";
    std::string arg = url;
    char* argv[] = {program.data(), arg.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    // Reap the opener when it ends so it does not linger as a zombie.
    std::thread([pid] {
        int status = 0;
        waitpid(pid, &status, 0);
    }).detach();
    return true;
}

namespace {

// Below these the game cannot run: the display, the sound, the archive, the
// profiles and the one-copy lock hold descriptors, and the decoders, the
// display connection and the threads' stacks take address space.
constexpr rlim_t kMinimumOpenFiles = 32;
constexpr rlim_t kMinimumAddressSpaceMb = 128;

std::string LimitText(const char* tooFew, rlim_t have, rlim_t need, const char* unit,
                      const char* setting) {
    return std::string(tooFew) + " for the game: it needs at least " + std::to_string(need) + unit +
           ", and this session allows " + std::to_string(have) + unit + " (" + setting + ").";
}

std::string ErrnoShortageText(int error) {
    switch (error) {
        case EMFILE:
        case ENFILE:
            return "The game ran out of open files (ulimit -n): " +
                   std::string(std::strerror(error)) + ".";
        case ENOMEM:
            return "The game ran out of memory: " + std::string(std::strerror(error)) + ".";
        case EAGAIN:
            return "The system refused the game another thread (ulimit -u, or too little "
                   "memory): " +
                   std::string(std::strerror(error)) + ".";
        default:
            return {};
    }
}

}  // namespace

std::string PrepareProcess() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // The lowest free descriptor: this one.
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0 && null != fd) {
                close(null);
            }
        }
    }
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < kMinimumOpenFiles) {
        files.rlim_cur = std::min<rlim_t>(kMinimumOpenFiles, files.rlim_max);
        if (files.rlim_cur < kMinimumOpenFiles || setrlimit(RLIMIT_NOFILE, &files) != 0) {
            return LimitText("Too few open files", files.rlim_max, kMinimumOpenFiles, "",
                             "ulimit -n");
        }
    }
    rlimit space{};
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY) {
        mallopt(M_ARENA_MAX, 1);
        if (space.rlim_cur / (1024 * 1024) < kMinimumAddressSpaceMb) {
            return LimitText("Too little memory", space.rlim_cur / (1024 * 1024),
                             kMinimumAddressSpaceMb, " MB", "ulimit -v");
        }
    }
    return {};
}

std::string ResourceShortageText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "The game ran out of memory.";
    } catch (const std::system_error& e) {
        return e.code().category() == std::generic_category() ||
                       e.code().category() == std::system_category()
                   ? ErrnoShortageText(e.code().value())
                   : std::string();
    } catch (...) {
        return {};
    }
}

void InstallShortageHandler() {
    static const std::terminate_handler previous = std::get_terminate();
    std::set_terminate([] {
        if (const std::exception_ptr error = std::current_exception()) {
            const std::string text = ResourceShortageText(error);
            if (!text.empty()) {
                std::fprintf(stderr, "%s\n", text.c_str());
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
        previous();
    });
}

unsigned FreshRandomSeed() {
    std::random_device device;
    const auto now =
        static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    uint64_t seed = (static_cast<uint64_t>(device()) << 32) ^ device();
    seed ^= now + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2);
    seed ^= static_cast<uint64_t>(::getpid()) << 17;
    return static_cast<unsigned>(seed ^ (seed >> 32));
}

void StartupMark(const char* mark) {
    const char* report = std::getenv("VQ_STARTUP_REPORT");
    if (report == nullptr || *report == '\0') {
        return;
    }
    timespec wall{};
    timespec cpu{};
    clock_gettime(CLOCK_REALTIME, &wall);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    const char* t0 = std::getenv("VQ_STARTUP_T0_NS");
    const long long startNs = t0 != nullptr ? std::atoll(t0) : 0;
    const long long wallNs = wall.tv_sec * 1000000000LL + wall.tv_nsec - startNs;
    const long long cpuNs = cpu.tv_sec * 1000000000LL + cpu.tv_nsec;
    if (FILE* f = std::fopen(report, "a")) {
        std::fprintf(f, "%s %.2f %.2f\n", mark, wallNs / 1e6, cpuNs / 1e6);
        std::fclose(f);
    }
    const char* exitAt = std::getenv("VQ_STARTUP_EXIT");
    if (exitAt != nullptr && std::strcmp(exitAt, mark) == 0) {
        kill(getpid(), SIGTERM);
    }
}

}  // namespace Brisk::Platform
