#include "framework/platform/Process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
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
