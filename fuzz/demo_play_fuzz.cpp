// Demo files played by an application object without a window, on SDL's
// dummy drivers and a manual clock: whatever the bytes, the playback is
// refused with a message or plays (for a bounded number of updates) without
// a crash, and the loading completion reaches the application at most once.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "framework/app/BriskAppBase.h"
#include "framework/platform/Clock.h"
#include "kernel/MainApp.h"

namespace {

namespace fs = std::filesystem;

// The updates one input may run: long enough for the kept demos to load and
// take their first clicks, short enough for many inputs a second.
constexpr int kUpdates = 400;

struct ExitCalled : std::runtime_error {
    ExitCalled() : std::runtime_error("DoExit") {}
};

class PlaybackApp : public Brisk::BriskAppBase {
public:
    PlaybackApp() : m_clock(1'000'000'000) {
        SetClock(&m_clock);
        SetExitHandler([](int) { throw ExitCalled(); });
        ClearUpdateBacklog(false);
        // The game's rules: the kept demos (the seeds) are played, not refused
        // at their header.
        m_commandLine.demoRules = KernelLibrary::kDemoRules;
    }
    // The demo decides when loading is handled; the loader "finished" at once.
    void Play(const std::string& demo) {
        m_loading.threadStarted = true;
        m_loading.threadCompleted = true;
        ParseCommandLineText("-play -demofile=" + demo);
        Init();
        for (int i = 0; i < kUpdates && !IsShutdown(); ++i) {
            m_clock.Advance(10'000);
            bool updated = false;
            for (int step = 0; step < 64 && !updated && !IsShutdown(); ++step) {
                if (!UpdateAppStep(&updated)) {
                    break;
                }
            }
        }
    }
    void OnLoadingComplete() override {
        if (++m_loads > 1) {
            __builtin_trap();  // a second start of the game over the first
        }
    }

private:
    Brisk::Platform::ManualClock m_clock;
    int m_loads = 0;
};

fs::path g_folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    g_folder =
        fs::temp_directory_path() / ("vq-demo-play-" + std::to_string(std::random_device{}()));
    fs::create_directories(g_folder / "run");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_DATA_HOME", (g_folder / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (g_folder / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (g_folder / "run").c_str(), 1);
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(g_folder, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = (g_folder / "input.dmo").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    try {
        PlaybackApp app;
        app.Play(path);
        app.Shutdown();
    } catch (const ExitCalled&) {
        // refused with a message: the program would end here
    }
    return 0;
}
