// Hot drawing paths on a 1024 x 768 frame, each next to memcpy of a frame or
// to pixman doing the same work, in one run. pixman is only a yardstick here.

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

using Brisk::Color;
using Brisk::DDImage;
using Brisk::MemoryImage;

namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

std::vector<uint32_t> Opaque(int w, int h, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> px(static_cast<size_t>(w * h));
    for (auto& p : px) {
        p = rng() | 0xFF000000u;
    }
    return px;
}

// Every pixel with its own partial alpha.
std::vector<uint32_t> MixedAlpha(int w, int h, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> px(static_cast<size_t>(w * h));
    for (auto& p : px) {
        p = (rng() & 0x00FFFFFF) | ((1 + rng() % 254) << 24);
    }
    return px;
}

// A card: opaque inside a rounded rectangle with a soft one-pixel edge,
// transparent in the corners.
std::vector<uint32_t> Card(int w, int h) {
    std::vector<uint32_t> px(static_cast<size_t>(w * h));
    const double r = 10;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double cx = std::clamp(x + 0.5, r, w - r);
            const double cy = std::clamp(y + 0.5, r, h - r);
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const double cover = std::clamp(r - d + 0.5, 0.0, 1.0);
            const auto a = static_cast<uint32_t>(cover * 255);
            px[static_cast<size_t>(y * w + x)] = (a << 24) | 0x00E0D0B0u;
        }
    }
    return px;
}

// A glyph-like mask: an anti-aliased ring.
std::vector<uint32_t> Glyph(int w, int h) {
    std::vector<uint32_t> px(static_cast<size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double d = std::hypot(x - w / 2.0, y - h / 2.0);
            const double cover = std::clamp(1.5 - std::abs(d - 6), 0.0, 1.0);
            px[static_cast<size_t>(y * w + x)] =
                (static_cast<uint32_t>(cover * 255) << 24) | 0xFFFFFF;
        }
    }
    return px;
}

std::vector<uint32_t> Premultiplied(const std::vector<uint32_t>& px) {
    std::vector<uint32_t> out(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
        out[i] = Brisk::NativeDisplay::Default().ToNative(px[i]);
    }
    return out;
}

struct PixmanImage {
    PixmanImage(pixman_format_code_t format, int w, int h, std::vector<uint32_t> pixels)
        : data(std::move(pixels)),
          image(pixman_image_create_bits(format, w, h, data.data(), w * 4)) {}
    ~PixmanImage() { pixman_image_unref(image); }
    PixmanImage(const PixmanImage&) = delete;
    PixmanImage& operator=(const PixmanImage&) = delete;
    std::vector<uint32_t> data;
    pixman_image_t* image;
};

std::unique_ptr<DDImage> Screen() {
    auto screen = std::make_unique<DDImage>();
    const auto bg = Opaque(kW, kH, 1);
    screen->SetBits(bg.data(), kW, kH);
    screen->SetImageFlags(false, false);
    return screen;
}

std::unique_ptr<MemoryImage> Picture(const std::vector<uint32_t>& px, int w, int h) {
    auto img = std::make_unique<MemoryImage>();
    img->SetBits(px.data(), w, h);
    return img;
}

// Card and glyph positions of the scene, the same for both sides.
struct Scene {
    std::vector<std::pair<int, int>> cards;
    std::vector<std::pair<int, int>> glyphs;
    Scene() {
        for (int i = 0; i < 20; ++i) {
            cards.emplace_back(60 + (i % 5) * 185, 80 + (i / 5) * 150);
        }
        for (int i = 0; i < 200; ++i) {
            glyphs.emplace_back(20 + (i % 50) * 19, 700 + (i / 50) * 16 - 40);
        }
    }
};

// --- one frame of memcpy: the floor for an opaque full-frame copy -----------

void BM_MemcpyFrame(benchmark::State& state) {
    const auto src = Opaque(kW, kH, 2);
    std::vector<uint32_t> dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
    }
}
BENCHMARK(BM_MemcpyFrame);

void BM_OpaqueBackgroundBlit(benchmark::State& state) {
    auto screen = Screen();
    auto bg = Picture(Opaque(kW, kH, 3), kW, kH);
    for (auto _ : state) {
        screen->Blt(bg.get(), 0, 0, bg->GetRect(), Color::White, 0);
        benchmark::DoNotOptimize(screen->GetBits());
    }
}
BENCHMARK(BM_OpaqueBackgroundBlit);

void BM_Pixman_OpaqueBackgroundBlit(benchmark::State& state) {
    PixmanImage dst(PIXMAN_x8r8g8b8, kW, kH, Opaque(kW, kH, 1));
    PixmanImage src(PIXMAN_x8r8g8b8, kW, kH, Opaque(kW, kH, 3));
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0,
                                 kW, kH);
        benchmark::DoNotOptimize(dst.data.data());
    }
}
BENCHMARK(BM_Pixman_OpaqueBackgroundBlit);

// --- full-frame mixed-alpha blend -------------------------------------------

void BM_MixedAlphaBlend(benchmark::State& state) {
    auto screen = Screen();
    auto overlay = Picture(MixedAlpha(kW, kH, 4), kW, kH);
    for (auto _ : state) {
        screen->Blt(overlay.get(), 0, 0, overlay->GetRect(), Color::White, 0);
        benchmark::DoNotOptimize(screen->GetBits());
    }
}
BENCHMARK(BM_MixedAlphaBlend);

void BM_Pixman_MixedAlphaBlend(benchmark::State& state) {
    PixmanImage dst(PIXMAN_x8r8g8b8, kW, kH, Opaque(kW, kH, 1));
    PixmanImage src(PIXMAN_a8r8g8b8, kW, kH, Premultiplied(MixedAlpha(kW, kH, 4)));
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0,
                                 kW, kH);
        benchmark::DoNotOptimize(dst.data.data());
    }
}
BENCHMARK(BM_Pixman_MixedAlphaBlend);

// --- many small alpha blits: 20 cards of 100 x 100, 200 glyphs of 16 x 20 ---

// One sprite drawn at every position of a set taken from the scene.
struct SpriteSet {
    std::vector<uint32_t> pixels;
    int w;
    int h;
    std::vector<std::pair<int, int>> where;
};

SpriteSet Sprites(bool cards) {
    const Scene scene;
    if (cards) {
        return {Card(100, 100), 100, 100, scene.cards};
    }
    return {Glyph(16, 20), 16, 20, scene.glyphs};
}

void BM_Sprites(benchmark::State& state, bool cards) {
    auto screen = Screen();
    const SpriteSet set = Sprites(cards);
    auto sprite = Picture(set.pixels, set.w, set.h);
    for (auto _ : state) {
        for (auto [x, y] : set.where) {
            screen->Blt(sprite.get(), x, y, sprite->GetRect(), Color::White, 0);
        }
        benchmark::DoNotOptimize(screen->GetBits());
    }
}
BENCHMARK_CAPTURE(BM_Sprites, TwentyCards, true);
BENCHMARK_CAPTURE(BM_Sprites, GlyphBlits, false);

void BM_Pixman_Sprites(benchmark::State& state, bool cards) {
    PixmanImage dst(PIXMAN_x8r8g8b8, kW, kH, Opaque(kW, kH, 1));
    const SpriteSet set = Sprites(cards);
    PixmanImage sprite(PIXMAN_a8r8g8b8, set.w, set.h, Premultiplied(set.pixels));
    for (auto _ : state) {
        for (auto [x, y] : set.where) {
            pixman_image_composite32(PIXMAN_OP_OVER, sprite.image, nullptr, dst.image, 0, 0, 0, 0,
                                     x, y, set.w, set.h);
        }
        benchmark::DoNotOptimize(dst.data.data());
    }
}
BENCHMARK_CAPTURE(BM_Pixman_Sprites, TwentyCards, true);
BENCHMARK_CAPTURE(BM_Pixman_Sprites, GlyphBlits, false);

// --- full-frame solid fills ---------------------------------------------------

void BM_SolidFill(benchmark::State& state) {
    auto screen = Screen();
    Brisk::Graphics g(screen.get());
    g.SetColor(Color(20, 40, 60, static_cast<int>(state.range(0))));
    for (auto _ : state) {
        g.FillRect(0, 0, kW, kH);
        benchmark::DoNotOptimize(screen->GetBits());
    }
}
BENCHMARK(BM_SolidFill)->Arg(255)->Arg(128);

void BM_Pixman_SolidFill(benchmark::State& state) {
    PixmanImage dst(PIXMAN_x8r8g8b8, kW, kH, Opaque(kW, kH, 1));
    const auto a = static_cast<uint16_t>(state.range(0) * 257);
    // pixman colours are premultiplied 16-bit channels.
    const pixman_color_t color{static_cast<uint16_t>(20 * 257 * a / 65535),
                               static_cast<uint16_t>(40 * 257 * a / 65535),
                               static_cast<uint16_t>(60 * 257 * a / 65535), a};
    pixman_image_t* solid = pixman_image_create_solid_fill(&color);
    const pixman_op_t op = state.range(0) == 255 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
    for (auto _ : state) {
        pixman_image_composite32(op, solid, nullptr, dst.image, 0, 0, 0, 0, 0, 0, kW, kH);
        benchmark::DoNotOptimize(dst.data.data());
    }
    pixman_image_unref(solid);
}
BENCHMARK(BM_Pixman_SolidFill)->Arg(255)->Arg(128);

// --- nearest stretch of 64 x 64 to 100 x 100 ----------------------------------

void BM_NearestStretch(benchmark::State& state) {
    auto screen = Screen();
    auto icon = Picture(Card(64, 64), 64, 64);
    for (auto _ : state) {
        screen->StretchBlt(icon.get(), {100, 100, 100, 100}, icon->GetRect(), screen->GetRect(),
                           Color::White, 0, true);
        benchmark::DoNotOptimize(screen->GetBits());
    }
}
BENCHMARK(BM_NearestStretch);

void BM_Pixman_NearestStretch(benchmark::State& state) {
    PixmanImage dst(PIXMAN_x8r8g8b8, kW, kH, Opaque(kW, kH, 1));
    PixmanImage icon(PIXMAN_a8r8g8b8, 64, 64, Premultiplied(Card(64, 64)));
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(0.64), pixman_double_to_fixed(0.64));
    pixman_image_set_transform(icon.image, &t);
    pixman_image_set_filter(icon.image, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, icon.image, nullptr, dst.image, 0, 0, 0, 0, 100,
                                 100, 100, 100);
        benchmark::DoNotOptimize(dst.data.data());
    }
}
BENCHMARK(BM_Pixman_NearestStretch);

// --- the whole scene: background, 20 cards, 200 glyphs ---------------------

void BM_Scene(benchmark::State& state) {
    auto screen = Screen();
    auto bg = Picture(Opaque(kW, kH, 3), kW, kH);
    auto card = Picture(Card(100, 100), 100, 100);
    auto glyph = Picture(Glyph(16, 20), 16, 20);
    const Scene scene;
    for (auto _ : state) {
        screen->Blt(bg.get(), 0, 0, bg->GetRect(), Color::White, 0);
        for (auto [x, y] : scene.cards) {
            screen->Blt(card.get(), x, y, card->GetRect(), Color::White, 0);
        }
        for (auto [x, y] : scene.glyphs) {
            screen->Blt(glyph.get(), x, y, glyph->GetRect(), Color::White, 0);
        }
        benchmark::DoNotOptimize(screen->GetBits());
    }
}
BENCHMARK(BM_Scene);

void BM_Pixman_Scene(benchmark::State& state) {
    PixmanImage dst(PIXMAN_x8r8g8b8, kW, kH, Opaque(kW, kH, 1));
    PixmanImage bg(PIXMAN_x8r8g8b8, kW, kH, Opaque(kW, kH, 3));
    PixmanImage card(PIXMAN_a8r8g8b8, 100, 100, Premultiplied(Card(100, 100)));
    PixmanImage glyph(PIXMAN_a8r8g8b8, 16, 20, Premultiplied(Glyph(16, 20)));
    const Scene scene;
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, bg.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0, kW,
                                 kH);
        for (auto [x, y] : scene.cards) {
            pixman_image_composite32(PIXMAN_OP_OVER, card.image, nullptr, dst.image, 0, 0, 0, 0, x,
                                     y, 100, 100);
        }
        for (auto [x, y] : scene.glyphs) {
            pixman_image_composite32(PIXMAN_OP_OVER, glyph.image, nullptr, dst.image, 0, 0, 0, 0, x,
                                     y, 16, 20);
        }
        benchmark::DoNotOptimize(dst.data.data());
    }
}
BENCHMARK(BM_Pixman_Scene);

// --- the naive per-channel blend, for scale ---------------------------------

void BM_NaiveMixedAlphaBlend(benchmark::State& state) {
    auto dst = Opaque(kW, kH, 1);
    const auto src = MixedAlpha(kW, kH, 4);
    for (auto _ : state) {
        for (size_t i = 0; i < dst.size(); ++i) {
            const uint32_t a = src[i] >> 24;
            uint32_t out = 0xFF000000u;
            for (int s = 0; s < 24; s += 8) {
                const uint32_t sc = (src[i] >> s) & 0xFF;
                const uint32_t dc = (dst[i] >> s) & 0xFF;
                out |= ((sc * a + dc * (255 - a)) / 255) << s;
            }
            dst[i] = out;
        }
        benchmark::DoNotOptimize(dst.data());
    }
}
BENCHMARK(BM_NaiveMixedAlphaBlend);

}  // namespace

BENCHMARK_MAIN();
