// Software drawing checked pixel by pixel against the formulas written out
// per channel, independently of the packed implementations.

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "framework/graphics/Blend.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/PixelOps.h"

using Brisk::Color;
using Brisk::MemoryImage;
using Brisk::Rect;

namespace {

uint32_t A(uint32_t p) {
    return p >> 24;
}
uint32_t Ch(uint32_t p, int i) {
    return (p >> (16 - 8 * i)) & 0xFF;
}  // 0 red, 1 green, 2 blue
uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Reference: colour c of alpha a (1..254) over a destination pixel.
uint32_t RefFill(uint32_t dst, uint32_t c, uint32_t a) {
    const uint32_t d = A(dst);
    const uint32_t outA = d + (255 - d) * a / 255;
    const uint32_t w = a * 256 / outA;
    uint32_t ch[3];
    for (int i = 0; i < 3; ++i) {
        ch[i] = (Ch(c, i) * w + Ch(dst, i) * (256 - w)) >> 8;
    }
    return Pack(outA, ch[0], ch[1], ch[2]);
}

// Reference: white blit over an opaque destination.
uint32_t RefOverOpaque(uint32_t dst, uint32_t src) {
    const uint32_t a = A(src);
    if (a == 0) {
        return dst;
    }
    if (a == 255) {
        return src;
    }
    uint32_t ch[3];
    for (int i = 0; i < 3; ++i) {
        ch[i] = ((Ch(dst, i) * (256 - a)) >> 8) + ((Ch(src, i) * a) >> 8);
    }
    return Pack(255, ch[0], ch[1], ch[2]);
}

// Reference: white blit over any destination (case 2).
uint32_t RefOverAny(uint32_t dst, uint32_t src) {
    const uint32_t a = A(src);
    if (a == 0) {
        return dst;
    }
    if (a == 255) {
        return src;
    }
    const uint32_t d = A(dst);
    const uint32_t outA = d + (255 - d) * a / 255;
    const uint32_t w = a * 256 / outA;
    uint32_t ch[3];
    ch[0] = ((Ch(dst, 0) * (256 - w)) >> 8) + ((Ch(src, 0) * w) >> 8);
    ch[1] = (Ch(src, 1) * w + Ch(dst, 1) * (256 - w)) >> 8;
    ch[2] = ((Ch(dst, 2) * (256 - w)) >> 8) + ((Ch(src, 2) * w) >> 8);
    return Pack(outA, ch[0], ch[1], ch[2]);
}

// Reference: tinted blit (cases 3 and 4).
uint32_t RefTinted(uint32_t dst, uint32_t src, const Color& c) {
    const uint32_t m = static_cast<uint32_t>(c.mAlpha) * A(src) / 255;
    if (m == 0) {
        return dst;
    }
    const uint32_t d = A(dst);
    const uint32_t outA = d + (255 - d) * m / 255;
    const uint32_t w = m * 256 / outA;
    const uint32_t comp[3] = {static_cast<uint32_t>(c.mRed), static_cast<uint32_t>(c.mGreen),
                              static_cast<uint32_t>(c.mBlue)};
    uint32_t ch[3];
    for (int i = 0; i < 3; ++i) {
        ch[i] = ((((Ch(src, i) * comp[i]) >> 8) * w) >> 8) + ((Ch(dst, i) * (256 - w)) >> 8);
    }
    return Pack(outA, ch[0], ch[1], ch[2]);
}

// Reference: premultiplied source over an opaque XRGB destination.
uint32_t RefNative(uint32_t dst, uint32_t src) {
    const uint32_t a = A(src);
    uint32_t ch[3];
    for (int i = 0; i < 3; ++i) {
        ch[i] = ((Ch(src, i) * (a + 1)) >> 8) + ((Ch(dst, i) * (256 - a)) >> 8);
    }
    return Pack(a, ch[0], ch[1], ch[2]);
}

MemoryImage Solid(int w, int h, uint32_t pixel) {
    MemoryImage img;
    std::vector<uint32_t> px(static_cast<size_t>(w * h), pixel);
    img.SetBits(px.data(), w, h);
    return img;
}

uint32_t At(MemoryImage& img, int x, int y) {
    return img.GetBits()[y * img.GetWidth() + x];
}

std::vector<uint32_t> RandomPixels(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint32_t> px(n);
    for (auto& p : px) {
        p = rng();
        // Plenty of fully transparent and fully opaque pixels too.
        const uint32_t pick = rng() % 4;
        if (pick == 0) {
            p &= 0x00FFFFFF;
        } else if (pick == 1) {
            p |= 0xFF000000;
        }
    }
    return px;
}

TEST(FillRect, PartialAlphaMatchesTheFormulaOnEveryKindOfDestination) {
    const uint32_t dests[] = {0xFF102030, 0x80FF8000, 0x00000000, 0x01FFFFFF, 0xFE0000FF};
    const uint32_t colors[] = {0x80FF0000, 0x01123456, 0xFEABCDEF, 0x40FFFFFF};
    for (uint32_t d : dests) {
        for (uint32_t c : colors) {
            MemoryImage img = Solid(9, 3, d);
            img.FillRect({0, 0, 9, 3}, Color::FromInt(c), 0);
            for (int x = 0; x < 9; ++x) {
                ASSERT_EQ(At(img, x, 1), RefFill(d, c, A(c)))
                    << std::hex << "dst " << d << " colour " << c;
            }
        }
    }
}

TEST(FillRect, OpaqueSetsAndTransparentDoesNothing) {
    MemoryImage img = Solid(4, 4, 0x80112233);
    img.FillRect({1, 1, 2, 2}, Color(1, 2, 3, 255), 0);
    EXPECT_EQ(At(img, 1, 1), 0xFF010203u);
    EXPECT_EQ(At(img, 0, 0), 0x80112233u);
    const auto changes = img.GetChangeCount();
    Brisk::Graphics g(&img);
    g.SetColor(Color(255, 0, 0, 0));
    g.FillRect(0, 0, 4, 4);
    EXPECT_EQ(img.GetChangeCount(), changes);
    EXPECT_EQ(At(img, 0, 0), 0x80112233u);
}

TEST(Blt, HalfTransparentPixelOntoTransparentDestinationKeepsItsColour) {
    MemoryImage dst = Solid(2, 2, 0x00000000);
    MemoryImage src = Solid(2, 2, 0x80C86432);
    dst.Blt(&src, 0, 0, src.GetRect(), Color::White, 0);
    EXPECT_EQ(At(dst, 0, 0), 0x80C86432u);
}

TEST(Blt, WhiteOverOpaqueAndOverAlphaDestinations) {
    const auto srcPx = RandomPixels(64 * 8, 7);
    MemoryImage src;
    src.SetBits(srcPx.data(), 64, 8);
    for (uint32_t d : {0xFF204060u, 0x80204060u, 0x00000000u}) {
        MemoryImage dst = Solid(64, 8, d);
        dst.Blt(&src, 0, 0, src.GetRect(), Color::White, 0);
        for (int i = 0; i < 64 * 8; ++i) {
            const uint32_t expected = A(d) == 255 ? RefOverOpaque(d, srcPx[static_cast<size_t>(i)])
                                                  : RefOverAny(d, srcPx[static_cast<size_t>(i)]);
            ASSERT_EQ(dst.GetBits()[i], expected)
                << std::hex << "dst " << d << " src " << srcPx[static_cast<size_t>(i)];
        }
    }
}

// Every way a coloured blit can go: a plain source (with long transparent
// and opaque runs as glyphs have), a mirrored one and a palette one, over an
// opaque and a half-transparent destination, also one flagged opaque.
TEST(Blt, ColouredBlitsFollowTheTintedFormula) {
    constexpr int kW = 32;
    constexpr int kH = 6;
    auto srcPx = RandomPixels(kW * kH, 11);
    for (int x = 0; x < kW; ++x) {  // rows 4 and 5: runs of 12 transparent, 10 opaque, 10 mixed
        srcPx[static_cast<size_t>(4 * kW + x)] &= x < 12 ? 0x00FFFFFFu : x < 22 ? 0xFFFFFFFFu : ~0u;
        srcPx[static_cast<size_t>(5 * kW + x)] |= x < 12 ? 0xFF000000u : 0u;
    }
    std::vector<uint32_t> fewColours(srcPx.size());
    for (size_t i = 0; i < srcPx.size(); ++i) {
        fewColours[i] = srcPx[i % 50];
    }
    const Color colors[] = {Color(128, 128, 128, 255), Color(200, 200, 200, 100),
                            Color(255, 0, 0, 255), Color(10, 200, 90, 180)};
    enum class Way { Plain, Mirrored, Palette };
    for (Way way : {Way::Plain, Way::Mirrored, Way::Palette}) {
        const std::vector<uint32_t>& px = way == Way::Palette ? fewColours : srcPx;
        MemoryImage src;
        src.SetBits(px.data(), kW, kH);
        if (way == Way::Palette) {
            ASSERT_TRUE(src.Palettize());
        }
        for (const Color& c : colors) {
            for (auto [d, forced] : {std::pair{0xFF336699u, false}, std::pair{0x40336699u, false},
                                     std::pair{0x40336699u, true}}) {
                MemoryImage dst = Solid(kW, kH, d);
                if (forced) {
                    // Called opaque (as the back buffer is) yet holding other alphas.
                    dst.SetImageFlags(false, false);
                }
                if (way == Way::Mirrored) {
                    dst.BltMirrored(&src, 0, 0, src.GetRect(), c, 0);
                } else {
                    dst.Blt(&src, 0, 0, src.GetRect(), c, 0);
                }
                for (int y = 0; y < kH; ++y) {
                    for (int x = 0; x < kW; ++x) {
                        const int sx = way == Way::Mirrored ? kW - 1 - x : x;
                        ASSERT_EQ(At(dst, x, y),
                                  RefTinted(d, px[static_cast<size_t>(y * kW + sx)], c))
                            << "way " << static_cast<int>(way) << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(Blt, AdditiveSaturatesAndKeepsDestinationAlpha) {
    MemoryImage dst = Solid(3, 1, 0x7FF08010);
    const uint32_t srcPx[3] = {0xFF808080, 0x80FFFFFF, 0x00FFFFFF};
    MemoryImage src;
    src.SetBits(srcPx, 3, 1);
    dst.Blt(&src, 0, 0, src.GetRect(), Color::White, Brisk::kDrawModeAdditive);
    EXPECT_EQ(At(dst, 0, 0), 0x7FFFFF90u);  // 0xF0 + 0x80 saturates
    EXPECT_EQ(At(dst, 1, 0), Pack(0x7F, 255, 0x80 + (255 * 128 >> 8), 0x10 + (255 * 128 >> 8)));
    EXPECT_EQ(At(dst, 2, 0), 0x7FF08010u);  // transparent source adds nothing
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(A(At(dst, x, 0)), 0x7Fu);
    }
}

TEST(Blt, ClipsToBothImagesAndLeavesTheGuardIntact) {
    MemoryImage dst = Solid(10, 10, 0xFF000000);
    MemoryImage src = Solid(6, 6, 0xFFFFFFFF);
    dst.Blt(&src, 7, -2, src.GetRect(), Color::White, 0);
    dst.Blt(&src, -1, 8, {2, 2, 20, 20}, Color::White, 0);
    EXPECT_EQ(At(dst, 9, 0), 0xFFFFFFFFu);
    EXPECT_EQ(At(dst, 6, 0), 0xFF000000u);
    EXPECT_EQ(At(dst, 9, 4), 0xFF000000u);
    EXPECT_EQ(At(dst, 0, 9), 0xFFFFFFFFu);
    EXPECT_EQ(At(dst, 2, 8), 0xFFFFFFFFu);
    EXPECT_EQ(At(dst, 3, 9), 0xFF000000u);
    EXPECT_EQ(At(dst, 0, 7), 0xFF000000u);
    EXPECT_TRUE(dst.GuardIntact());
}

TEST(Blt, MirroredFlipsHorizontally) {
    const uint32_t px[3] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
    MemoryImage src;
    src.SetBits(px, 3, 1);
    MemoryImage dst = Solid(3, 1, 0xFF000000);
    dst.BltMirrored(&src, 0, 0, src.GetRect(), Color::White, 0);
    EXPECT_EQ(At(dst, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(At(dst, 2, 0), 0xFF0000FFu);
}

TEST(Blt, PaletteSourcesDrawLikeTheirBits) {
    auto px = RandomPixels(40, 3);
    for (size_t i = 0; i < px.size(); ++i) {
        px[i] = px[i % 7];  // few colours
    }
    MemoryImage plain;
    plain.SetBits(px.data(), 8, 5);
    MemoryImage pal;
    pal.SetBits(px.data(), 8, 5);
    ASSERT_TRUE(pal.Palettize());
    ASSERT_TRUE(pal.IsPalettized());
    MemoryImage a = Solid(8, 5, 0xFF405060);
    MemoryImage b = Solid(8, 5, 0xFF405060);
    a.Blt(&plain, 0, 0, plain.GetRect(), Color::White, 0);
    b.Blt(&pal, 0, 0, pal.GetRect(), Color::White, 0);
    EXPECT_EQ(std::vector<uint32_t>(a.GetBits(), a.GetBits() + 40),
              std::vector<uint32_t>(b.GetBits(), b.GetBits() + 40));
    EXPECT_TRUE(pal.IsPalettized());  // drawn through the palette, not expanded
}

TEST(Palettize, TwoHundredFiftySixColoursFitAndOneMoreDoesNot) {
    std::vector<uint32_t> px(257);
    for (uint32_t i = 0; i < 257; ++i) {
        px[i] = 0xFF000000u | i * 0x010101u;
    }
    MemoryImage fits;
    fits.SetBits(px.data(), 256, 1);
    ASSERT_TRUE(fits.Palettize());
    EXPECT_TRUE(fits.IsPalettized());
    EXPECT_EQ(std::vector<uint32_t>(fits.GetBits(), fits.GetBits() + 256),
              std::vector<uint32_t>(px.begin(), px.begin() + 256));

    MemoryImage tooMany;
    tooMany.SetBits(px.data(), 257, 1);
    EXPECT_FALSE(tooMany.Palettize());
    EXPECT_FALSE(tooMany.IsPalettized());
    EXPECT_EQ(std::vector<uint32_t>(tooMany.GetBits(), tooMany.GetBits() + 257), px);
}

TEST(NativeData, PremultipliesAndRoundTrips) {
    const Brisk::NativeDisplay& format = Brisk::NativeDisplay::Default();
    const uint32_t px[4] = {0xFFFF8040, 0x80FF8040, 0x00123456, 0x01FFFFFF};
    MemoryImage img;
    img.SetBits(px, 4, 1);
    const uint32_t* native = img.GetNativeData(format);
    for (int i = 0; i < 4; ++i) {
        const uint32_t a = A(px[i]);
        EXPECT_EQ(native[i], Pack(a, (Ch(px[i], 0) * (a + 1)) >> 8, (Ch(px[i], 1) * (a + 1)) >> 8,
                                  (Ch(px[i], 2) * (a + 1)) >> 8));
    }
    // Rebuilt from the native data alone, opaque pixels come back exactly and
    // others within the precision the premultiplication keeps.
    const uint32_t back = format.FromNative(native[1]);
    EXPECT_EQ(format.FromNative(native[0]), px[0]);
    EXPECT_EQ(A(back), 0x80u);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(static_cast<int>(Ch(back, c)), static_cast<int>(Ch(px[1], c)), 2);
    }
}

TEST(DisplayImage, BlitsPremultipliedSourcesOntoTheOpaqueBackBuffer) {
    const auto srcPx = RandomPixels(50 * 6, 5);
    MemoryImage src;
    src.SetBits(srcPx.data(), 50, 6);
    Brisk::DDImage screen;
    std::vector<uint32_t> bg(60 * 8, 0xFF7F3F1F);
    screen.SetBits(bg.data(), 60, 8);
    screen.SetImageFlags(false, false);
    screen.Blt(&src, 3, 1, src.GetRect(), Color::White, 0);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 50; ++x) {
            // The back buffer's top byte is not shown: compare the colour.
            ASSERT_EQ(screen.GetBits()[(y + 1) * 60 + x + 3] & 0xFFFFFF,
                      RefNative(0xFF7F3F1F, srcPx[static_cast<size_t>(y * 50 + x)]) & 0xFFFFFF);
        }
    }
    EXPECT_EQ(screen.GetBits()[0], 0xFF7F3F1Fu);
}

TEST(PixelOps, VectorRowsEqualTheScalarFormulas) {
    for (int n : {1, 3, 4, 7, 64, 257}) {
        const auto dst = RandomPixels(static_cast<size_t>(n), static_cast<uint32_t>(n));
        const auto src = RandomPixels(static_cast<size_t>(n), static_cast<uint32_t>(n) + 100);
        std::vector<uint32_t> opaque(dst);
        for (auto& p : opaque) {
            p |= 0xFF000000;
        }
        auto a = opaque, b = opaque;
        Brisk::detail::BlendRowOverOpaque(a.data(), src.data(), n);
        Brisk::detail::BlendRowOverOpaqueScalar(b.data(), src.data(), n);
        ASSERT_EQ(a, b) << n;
        for (uint32_t alpha : {1u, 77u, 128u, 254u}) {
            auto c = opaque, d = opaque;
            Brisk::detail::FillRowOverOpaque(c.data(), n, 0x00A1B2C3, alpha);
            Brisk::detail::FillRowOverOpaqueScalar(d.data(), n, 0x00A1B2C3, alpha);
            ASSERT_EQ(c, d) << n << " alpha " << alpha;
        }
        std::vector<uint32_t> native(src.size());
        for (size_t i = 0; i < src.size(); ++i) {
            native[i] = Brisk::NativeDisplay::Default().ToNative(src[i]);
        }
        auto g = opaque, h = opaque;
        Brisk::detail::StretchRowOverOpaque(g.data(), src.data(), n);
        Brisk::detail::StretchRowOverOpaqueScalar(h.data(), src.data(), n);
        ASSERT_EQ(g, h) << n;
        auto e = dst, f = dst, k = dst;
        Brisk::detail::BlendRowNative(e.data(), native.data(), n);
        Brisk::detail::BlendRowNativeScalar(f.data(), native.data(), n);
        Brisk::detail::BlendRowNativeGroups(k.data(), native.data(), n);
        ASSERT_EQ(e, f) << n;
        ASSERT_EQ(k, f) << n;
        for (size_t i = 0; i < f.size(); ++i) {
            ASSERT_EQ(f[i] & 0xFFFFFF, RefNative(dst[i], src[i]) & 0xFFFFFF);
        }
    }
}

TEST(CommitBits, FlagsFollowTheAlphaValues) {
    MemoryImage opaque = Solid(2, 2, 0xFF000000);
    EXPECT_FALSE(opaque.HasTransparency());
    EXPECT_FALSE(opaque.HasAlpha());
    opaque.FillRect({0, 0, 1, 1}, Color(0, 0, 0, 255), 0);
    opaque.ClearRect({1, 1, 1, 1});
    EXPECT_TRUE(opaque.HasTransparency());
    EXPECT_FALSE(opaque.HasAlpha());
    MemoryImage partial = Solid(2, 2, 0x80000000);
    EXPECT_TRUE(partial.HasAlpha());
    MemoryImage empty;
    EXPECT_TRUE(empty.HasTransparency());  // no pixel data at all
    partial.SetImageFlags(false, false);
    EXPECT_FALSE(partial.HasAlpha());  // forced
}

}  // namespace
