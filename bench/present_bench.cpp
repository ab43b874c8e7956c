// One present of a 1024 x 768 frame through the display's renderer path,
// next to a plain update of the window's surface. Needs a display:
//     xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/present_bench

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "framework/platform/Presenter.h"
#include "framework/platform/Video.h"
#include "framework/platform/Window.h"

using Brisk::Platform::Presenter;

namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

void Present(benchmark::State& state, Presenter::Kind kind) {
    Brisk::Platform::WindowParams params;
    params.title = "present bench";
    params.clientWidth = kW;
    params.clientHeight = kH;
    std::string error;
    auto window = Brisk::Platform::Window::Create(params, &error);
    if (window == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    window->Show();
    auto presenter = Presenter::Create(*window, kW, kH, kind, &error);
    if (presenter == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<uint32_t> frame(static_cast<size_t>(kW * kH));
    std::mt19937 rng(1);
    for (auto& p : frame) {
        p = rng() | 0xFF000000u;
    }
    for (auto _ : state) {
        if (!presenter->Present(frame.data(), kW * 4)) {
            state.SkipWithError("present failed");
            break;
        }
        frame[static_cast<size_t>(state.iterations()) % frame.size()] ^= 0xFFFFFF;
    }
}

void BM_PresentThroughRenderer(benchmark::State& state) {
    Present(state, Presenter::Kind::Software);
}
BENCHMARK(BM_PresentThroughRenderer)->Unit(benchmark::kMicrosecond);

void BM_PresentWindowSurface(benchmark::State& state) {
    Present(state, Presenter::Kind::WindowSurface);
}
BENCHMARK(BM_PresentWindowSurface)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    const auto video = Brisk::Platform::InitVideo();
    if (video.status != Brisk::Platform::VideoStatus::Ok) {
        std::fprintf(stderr, "%s\n", video.message.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Brisk::Platform::ShutdownVideo();
    return 0;
}
