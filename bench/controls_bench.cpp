// The control factory's per-frame work: drawing 400 shown card pictures onto
// the back buffer (next to the same 400 blits made directly, to show the
// factory's own cost), and the 5 ms redraw poll over a full display list.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "controls/Factory_impl.h"
#include "controls/IImageVO.h"
#include "controls/IRectVO.h"
#include "framework/app/BriskAppBase.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ImageLib.h"

namespace fs = std::filesystem;
using ControlLibrary::Factory_impl;

namespace {

constexpr int kCards = 400;
constexpr int kCardSize = 96;

// A card face: opaque inside, soft transparent corners, as the game's cards.
void WriteCard(const std::string& path) {
    ImageLib::Image card(kCardSize, kCardSize);
    for (int y = 0; y < kCardSize; ++y) {
        for (int x = 0; x < kCardSize; ++x) {
            const int dx = std::min(x, kCardSize - 1 - x);
            const int dy = std::min(y, kCardSize - 1 - y);
            const int edge = std::min(dx, dy);
            const uint32_t alpha = edge >= 3 ? 255u : static_cast<uint32_t>(edge * 80);
            card.m_bits[static_cast<size_t>(y * kCardSize + x)] =
                (alpha << 24) | static_cast<uint32_t>((x * 2) << 16 | (y * 2) << 8 | 0x40);
        }
    }
    if (!ImageLib::WritePNG(path, card)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    }
}

// An application, a factory and a 1024 x 768 back buffer in a scratch folder.
struct Scene {
    Scene() {
        folder = fs::temp_directory_path() / ("vq-controls-bench-" + std::to_string(getpid()));
        fs::create_directories(folder);
        WriteCard((folder / "card.png").string());
        factory = std::make_unique<Factory_impl>(&app, nullptr);
        std::vector<uint32_t> black(1024 * 768, 0xFF000000u);
        backBuffer.SetBits(black.data(), 1024, 768);
        backBuffer.SetImageFlags(false, false);  // as the display's back buffer
    }
    ~Scene() {
        factory.reset();
        fs::remove_all(folder);
    }
    fs::path folder;
    Brisk::BriskAppBase app;
    std::unique_ptr<Factory_impl> factory;
    Brisk::DDImage backBuffer;
};

// 400 cards in a 20 x 20 grid overlapping each other, as a busy screen.
void ShowCards(Scene& scene) {
    for (int i = 0; i < kCards; ++i) {
        ControlLibrary::IImageVO* card = scene.factory->CreateImageVO();
        card->LoadImage((scene.folder / "card.png").string(), true);
        card->SetPosition((i % 20) * 46, (i / 20) * 34);
        card->SetShown(true);
    }
}

void BM_DrawAll400Cards(benchmark::State& state) {
    Scene scene;
    ShowCards(scene);
    Brisk::Graphics g(&scene.backBuffer);
    for (auto _ : state) {
        scene.factory->DrawAll(&g);
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_DrawAll400Cards)->Unit(benchmark::kMicrosecond);

void BM_Direct400Blits(benchmark::State& state) {
    Scene scene;
    std::unique_ptr<Brisk::DDImage> card = scene.app.GetImage((scene.folder / "card.png").string());
    Brisk::Graphics g(&scene.backBuffer);
    const Brisk::Rect source{0, 0, kCardSize, kCardSize};
    for (auto _ : state) {
        for (int i = 0; i < kCards; ++i) {
            g.DrawImage(card.get(), (i % 20) * 46, (i / 20) * 34, source);
        }
    }
    state.SetItemsProcessed(state.iterations() * kCards);
}
BENCHMARK(BM_Direct400Blits)->Unit(benchmark::kMicrosecond);

void BM_RedrawPollOverFullList(benchmark::State& state) {
    Scene scene;
    for (int i = 0; i < Factory_impl::kDisplayListSize; ++i) {
        ControlLibrary::IRectVO* r = scene.factory->CreateRectVO();
        r->SetStyle(2);  // listed, drawn as nothing
        r->SetShown(true);
    }
    Brisk::Graphics g(&scene.backBuffer);
    scene.factory->DrawAll(&g);  // clears every dirty flag: the poll walks the whole list
    bool redraw = false;
    for (auto _ : state) {
        scene.factory->OnTimeObjectTick(0);
    }
    scene.factory->TakeRedrawRequest(&redraw);
    if (redraw) {
        state.SkipWithError("an unchanged list asked for a redraw");
    }
    state.SetItemsProcessed(state.iterations() * Factory_impl::kDisplayListSize);
}
BENCHMARK(BM_RedrawPollOverFullList)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
