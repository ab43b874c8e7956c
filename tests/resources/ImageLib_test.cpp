// Picture decoding: format order, alpha images, TGA checks, GIF details, and
// PNG/JPEG round trips through our own encoders.

#include <gtest/gtest.h>

#include "support/TempDir.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"

using ImageLib::Image;
namespace fs = std::filesystem;

namespace {

Image Pattern(int w, int h, uint32_t seed) {
    Image img(w, h);
    for (size_t i = 0; i < img.m_bits.size(); ++i) {
        img.m_bits[i] = (static_cast<uint32_t>(i * 2654435761u + seed) & 0x00FFFFFF) |
                        (static_cast<uint32_t>((i * 37 + seed) % 256) << 24);
    }
    return img;
}

void WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
    fs::create_directories(p.parent_path().empty() ? "." : p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Every test uses file names of its own: an archive mounted by one test
// stays mounted in the process-wide file layer.
class ImageFilesTest : public TestSupport::TempDirTest {
protected:
};

TEST(PngCodec, RoundTripKeepsEveryPixelAndAlpha) {
    const Image img = Pattern(37, 23, 5);
    const auto bytes = ImageLib::EncodePNG(img);
    ASSERT_FALSE(bytes.empty());
    auto back = ImageLib::DecodePNG(bytes.data(), bytes.size());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_width, 37);
    EXPECT_EQ(back->m_bits, img.m_bits);
    // A corrupted or cut file gives none, not a crash.
    auto cut = bytes;
    cut.resize(cut.size() / 2);
    EXPECT_EQ(ImageLib::DecodePNG(cut.data(), cut.size()), nullptr);
    EXPECT_EQ(ImageLib::DecodePNG(bytes.data(), 7), nullptr);
}

// A glyph sheet's kind of picture: white with 256 alpha levels plus the
// transparent black around the glyphs (257 colours), and one with a colour
// fewer, which fits a palette.
struct IndexedCase {
    const char* name;
    int colours;
    bool palette;  // written with a palette (colour type 3)
};

class IndexedPngTest : public ::testing::TestWithParam<IndexedCase> {};

TEST_P(IndexedPngTest, KeepsEveryPixelAndUsesAPaletteWhenOneFits) {
    const IndexedCase& c = GetParam();
    Image img(64, 9);
    for (size_t i = 0; i < img.m_bits.size(); ++i) {
        const auto k = static_cast<uint32_t>((i * 7) % static_cast<size_t>(c.colours));
        img.m_bits[i] = k == 256 ? 0u : (k << 24) | 0xFFFFFF;
    }
    const auto bytes = ImageLib::EncodePNGIndexed(img);
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes[25] == 3, c.palette);  // the header's colour type
    auto back = ImageLib::DecodePNG(bytes.data(), bytes.size());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_bits, img.m_bits);
}

INSTANTIATE_TEST_SUITE_P(Sheets, IndexedPngTest,
                         ::testing::Values(IndexedCase{"OneColour", 1, true},
                                           IndexedCase{"AllAlphaLevels", 256, true},
                                           IndexedCase{"OneColourTooMany", 257, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegCodec, RoundTripIsCloseAndOpaque) {
    Image img(32, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            img.m_bits[static_cast<size_t>(y * 32 + x)] =
                0x80000000u | static_cast<uint32_t>(x * 8 << 16) | static_cast<uint32_t>(y * 16);
        }
    }
    const auto bytes = ImageLib::EncodeJPEG(img, 95);
    auto back = ImageLib::DecodeJPEG(bytes.data(), bytes.size());
    ASSERT_NE(back, nullptr);
    for (size_t i = 0; i < img.m_bits.size(); ++i) {
        ASSERT_EQ(back->m_bits[i] >> 24, 0xFFu);
        EXPECT_NEAR(static_cast<int>((back->m_bits[i] >> 16) & 0xFF),
                    static_cast<int>((img.m_bits[i] >> 16) & 0xFF), 12);
    }
    auto cut = bytes;
    cut.resize(20);
    EXPECT_EQ(ImageLib::DecodeJPEG(cut.data(), cut.size()), nullptr);
}

std::vector<uint8_t> Tga(int w, int h, uint8_t type, uint8_t bpp, uint8_t descriptor,
                         uint8_t idLength = 0, size_t pixelBytes = SIZE_MAX) {
    std::vector<uint8_t> t(18, 0);
    t[0] = idLength;
    t[2] = type;
    t[12] = static_cast<uint8_t>(w);
    t[13] = static_cast<uint8_t>(w >> 8);
    t[14] = static_cast<uint8_t>(h);
    t[15] = static_cast<uint8_t>(h >> 8);
    t[16] = bpp;
    t[17] = descriptor;
    const size_t n = pixelBytes == SIZE_MAX ? static_cast<size_t>(w * h * 4) : pixelBytes;
    for (size_t i = 0; i < n; ++i) {
        t.push_back(static_cast<uint8_t>(i));
    }
    return t;
}

TEST(TgaDecoder, AcceptsOnlyRaw32BitTopLeftImages) {
    const auto good = Tga(2, 1, 2, 32, 0x28);
    auto img = ImageLib::DecodeTGA(good.data(), good.size());
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->m_bits[0], 0x03020100u);  // blue, green, red, alpha bytes
    EXPECT_EQ(img->m_bits[1], 0x07060504u);
    const std::vector<std::vector<uint8_t>> rejected = {Tga(2, 1, 2, 24, 0x28),
                                                        Tga(2, 1, 10, 32, 0x28),
                                                        Tga(2, 1, 2, 32, 0x28, 3),
                                                        Tga(2, 1, 2, 32, 0x08),
                                                        Tga(2, 2, 2, 32, 0x28, 0, 15),
                                                        Tga(0, 1, 2, 32, 0x28),
                                                        Tga(65535, 65535, 2, 32, 0x28, 0, 16)};
    for (const auto& bad : rejected) {
        EXPECT_EQ(ImageLib::DecodeTGA(bad.data(), bad.size()), nullptr);
    }
    EXPECT_EQ(ImageLib::DecodeTGA(good.data(), 10), nullptr);
}

// A GIF writer for tests: literal codes only, a clear code before the code
// width would grow, rows optionally in interlace order.
std::vector<uint8_t> Gif(int w, int h, const std::vector<uint8_t>& indices, int transparent,
                         bool interlaced, int colours = 8) {
    std::vector<uint8_t> g = {'G', 'I', 'F', '8', '9', 'a'};
    auto word = [&](int v) {
        g.push_back(static_cast<uint8_t>(v));
        g.push_back(static_cast<uint8_t>(v >> 8));
    };
    word(w);
    word(h);
    int bits = 0;
    while ((1 << (bits + 1)) < colours) {
        ++bits;
    }
    g.push_back(static_cast<uint8_t>(0x80 | bits));
    g.push_back(0);
    g.push_back(0);
    for (int i = 0; i < (1 << (bits + 1)); ++i) {
        g.push_back(static_cast<uint8_t>(i * 30));
        g.push_back(static_cast<uint8_t>(i * 20));
        g.push_back(static_cast<uint8_t>(i * 10));
    }
    g.insert(g.end(), {0x21, 0xFE, 3, 'h', 'i', '!', 0});  // a comment is skipped
    if (transparent >= 0) {
        g.insert(g.end(), {0x21, 0xF9, 4, 1, 0, 0, static_cast<uint8_t>(transparent), 0});
    }
    g.push_back(0x2C);
    word(0);
    word(0);
    word(w);
    word(h);
    g.push_back(interlaced ? 0x40 : 0);
    const int minCode = 8;
    g.push_back(minCode);
    std::vector<int> order;
    for (int y = 0; y < h; ++y) {
        order.push_back(y);
    }
    if (interlaced) {
        order.clear();
        const int starts[4] = {0, 4, 2, 1};
        const int steps[4] = {8, 8, 4, 2};
        for (int p = 0; p < 4; ++p) {
            for (int y = starts[p]; y < h; y += steps[p]) {
                order.push_back(y);
            }
        }
    }
    std::vector<int> codes = {256};
    int sinceClear = 0;
    for (int y : order) {
        for (int x = 0; x < w; ++x) {
            if (sinceClear == 254) {
                codes.push_back(256);
                sinceClear = 0;
            }
            codes.push_back(indices[static_cast<size_t>(y * w + x)]);
            ++sinceClear;
        }
    }
    codes.push_back(257);
    std::vector<uint8_t> stream;
    uint32_t acc = 0;
    int accBits = 0;
    for (int c : codes) {
        acc |= static_cast<uint32_t>(c) << accBits;
        accBits += 9;
        while (accBits >= 8) {
            stream.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            accBits -= 8;
        }
    }
    if (accBits > 0) {
        stream.push_back(static_cast<uint8_t>(acc));
    }
    for (size_t i = 0; i < stream.size(); i += 255) {
        const size_t n = std::min<size_t>(255, stream.size() - i);
        g.push_back(static_cast<uint8_t>(n));
        g.insert(g.end(), stream.begin() + static_cast<long>(i),
                 stream.begin() + static_cast<long>(i + n));
    }
    g.push_back(0);
    g.push_back(0x3B);
    return g;
}

std::vector<uint8_t> Indices(int w, int h) {
    std::vector<uint8_t> v(static_cast<size_t>(w * h));
    for (size_t i = 0; i < v.size(); ++i) {
        v[i] = static_cast<uint8_t>((i * 7 + i / 3) % 8);
    }
    return v;
}

TEST(GifDecoder, TransparentIndexBecomesTransparentBlack) {
    const auto idx = Indices(30, 20);
    const auto gif = Gif(30, 20, idx, 5, false);
    auto img = ImageLib::DecodeGIF(gif.data(), gif.size());
    ASSERT_NE(img, nullptr);
    for (size_t i = 0; i < idx.size(); ++i) {
        const uint32_t want = idx[i] == 5 ? 0u
                                          : 0xFF000000u | static_cast<uint32_t>(idx[i] * 30) << 16 |
                                                static_cast<uint32_t>(idx[i] * 20) << 8 |
                                                static_cast<uint32_t>(idx[i] * 10);
        ASSERT_EQ(img->m_bits[i], want) << i;
    }
}

TEST(GifDecoder, InterlacedEqualsItsStraightTwin) {
    const auto idx = Indices(17, 29);
    const auto straight = Gif(17, 29, idx, -1, false);
    const auto interlaced = Gif(17, 29, idx, -1, true);
    auto a = ImageLib::DecodeGIF(straight.data(), straight.size());
    auto b = ImageLib::DecodeGIF(interlaced.data(), interlaced.size());
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->m_bits, b->m_bits);
}

// Headers that declare 16384 x 4096 pixels, or a chunk of 2 GB, over a few
// bytes of data: refused before anything that large is allocated. A real picture that compresses
// as well as any can still decodes.
TEST(ImageDecoders, ADeclaredSizeTheDataCannotFillIsRefused) {
    const std::pair<const char*, std::unique_ptr<ImageLib::Image> (*)(const uint8_t*, size_t)>
        crafted[] = {{"gif/huge-header-tiny-data.gif", ImageLib::DecodeGIF},
                     {"png/huge-header-tiny-data.png", ImageLib::DecodePNG},
                     // found by fuzzing: a tEXt chunk declaring 2 GB
                     {"png/chunk-longer-than-file.png", ImageLib::DecodePNG}};
    for (const auto& [file, decode] : crafted) {
        std::ifstream in(std::string(VQ_FUZZ_SEEDS) + "/" + file, std::ios::binary);
        const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        ASSERT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(decode(bytes.data(), bytes.size()), nullptr) << file;
    }
    ImageLib::Image plain(2048, 2048);
    std::fill(plain.m_bits.begin(), plain.m_bits.end(), 0xFF102030u);
    const std::vector<uint8_t> png = ImageLib::EncodePNG(plain);
    auto back = ImageLib::DecodePNG(png.data(), png.size());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_bits, plain.m_bits);
    // A GIF of literal codes only still decodes: the bound is never reached by real data.
    const auto idx = std::vector<uint8_t>(400 * 400, 1);
    const auto gif = Gif(400, 400, idx, -1, false);
    auto uniform = ImageLib::DecodeGIF(gif.data(), gif.size());
    ASSERT_NE(uniform, nullptr);
    EXPECT_EQ(uniform->m_width, 400);
}

TEST(GifDecoder, BadInputGivesNoneOrAPartialImage) {
    auto zeroWidth = Gif(4, 4, Indices(4, 4), -1, false);
    // Set the image descriptor's width to 0.
    for (size_t i = 0; i + 9 < zeroWidth.size(); ++i) {
        if (zeroWidth[i] == 0x2C && zeroWidth[i + 5] == 4 && zeroWidth[i + 7] == 4) {
            zeroWidth[i + 5] = 0;
            break;
        }
    }
    EXPECT_EQ(ImageLib::DecodeGIF(zeroWidth.data(), zeroWidth.size()), nullptr);

    const std::string notGif = "GIF90a and more";
    EXPECT_EQ(ImageLib::DecodeGIF(reinterpret_cast<const uint8_t*>(notGif.data()), notGif.size()),
              nullptr);

    // Cut in the middle of the pixel data: the decoded part stays, the rest is transparent.
    const auto idx = Indices(20, 20);
    auto full = Gif(20, 20, idx, -1, false);
    full.resize(full.size() - 200);
    auto partial = ImageLib::DecodeGIF(full.data(), full.size());
    ASSERT_NE(partial, nullptr);
    EXPECT_NE(partial->m_bits[0], 0u);
    EXPECT_EQ(partial->m_bits.back(), 0u);
}

TEST_F(ImageFilesTest, FormatOrderPicksTheFirstFormatThatExists) {
    WriteFile("images/order.png", ImageLib::EncodePNG(Pattern(4, 4, 1)));
    WriteFile("images/order.jpg", ImageLib::EncodeJPEG(Pattern(6, 6, 2)));
    auto any = ImageLib::DecodeImageFile("images/order");
    ASSERT_NE(any, nullptr);
    EXPECT_EQ(any->m_width, 6);  // the JPEG comes before the PNG
    auto png = ImageLib::DecodeImageFile("images/order.PNG");
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->m_width, 4);
    EXPECT_EQ(ImageLib::DecodeImageFile("images/order.bmp"), nullptr);
    EXPECT_EQ(ImageLib::DecodeImageFile("images/none"), nullptr);
}

TEST_F(ImageFilesTest, ArchiveEntriesAreFoundWhateverTheCase) {
    const auto png = ImageLib::EncodePNG(Pattern(3, 2, 9));
    fs::create_directories("pakroot/images");
    WriteFile("pakroot/images/card.png", png);
    // A one-entry archive written byte by byte.
    std::string a;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            a.push_back(static_cast<char>(v >> (8 * i)));
    };
    u32(Brisk::kPakMagic);
    u32(0);
    const std::string name = "images\\card.png";
    a.push_back(0);
    a.push_back(static_cast<char>(name.size()));
    a += name;
    u32(static_cast<uint32_t>(png.size()));
    u32(0);
    u32(0);
    a.push_back(static_cast<char>(0x80));
    a.append(png.begin(), png.end());
    for (char& c : a) {
        c = static_cast<char>(c ^ Brisk::kPakScramble);
    }
    std::ofstream("imgtest.pak", std::ios::binary) << a;
    ASSERT_TRUE(Brisk::PakInterface::Get()->AddArchive("imgtest.pak"));
    auto img = ImageLib::DecodeImageFile("Images/Card.PNG");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->m_bits, Pattern(3, 2, 9).m_bits);
}

TEST_F(ImageFilesTest, SeparateAlphaImagesSupplyTheAlphaChannel) {
    Image colour = Pattern(4, 3, 3);
    Image alpha(4, 3);
    for (size_t i = 0; i < alpha.m_bits.size(); ++i) {
        alpha.m_bits[i] = 0xFF000000u | static_cast<uint32_t>(i * 20);  // blue carries the alpha
    }
    WriteFile("images/tinted.png", ImageLib::EncodePNG(colour));
    WriteFile("images/_tinted.png", ImageLib::EncodePNG(alpha));
    auto img = ImageLib::DecodeImageFile("images/tinted.png");
    ASSERT_NE(img, nullptr);
    for (size_t i = 0; i < img->m_bits.size(); ++i) {
        EXPECT_EQ(img->m_bits[i], (colour.m_bits[i] & 0xFFFFFF) | static_cast<uint32_t>(i * 20)
                                                                      << 24);
    }
    EXPECT_EQ(ImageLib::DecodeImageFile("images/tinted.png", false)->m_bits, colour.m_bits);

    // An alpha image of another size is ignored.
    WriteFile("images/other.png", ImageLib::EncodePNG(colour));
    WriteFile("images/_other.png", ImageLib::EncodePNG(Pattern(2, 2, 1)));
    EXPECT_EQ(ImageLib::DecodeImageFile("images/other.png")->m_bits, colour.m_bits);

    // A lone alpha image is the fill colour with its blue channel as alpha.
    WriteFile("images/_mask.png", ImageLib::EncodePNG(alpha));
    auto mask = ImageLib::DecodeImageFile("images/mask.png");
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->m_bits[1], 0x14FFFFFFu);
}

// A size read from a picture's header alone is the size of the decoded
// picture; a name or file the header reader cannot vouch for gives none.
struct HeaderCase {
    const char* name;
    std::vector<uint8_t> (*bytes)();
    bool known;
};

std::vector<uint8_t> Png37x21() {
    return ImageLib::EncodePNG(Image(37, 21));
}
std::vector<uint8_t> Jpeg37x21() {
    return ImageLib::EncodeJPEG(Image(37, 21));
}
std::vector<uint8_t> TruncatedPng() {
    std::vector<uint8_t> png = Png37x21();
    png.resize(20);
    return png;
}
std::vector<uint8_t> JpegWithoutFrame() {
    std::vector<uint8_t> jpeg = Jpeg37x21();
    return {jpeg.begin(), jpeg.begin() + 20};
}
std::vector<uint8_t> Text() {
    return {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
}

class ImageSizeTest : public TestSupport::TempDirTest,
                      public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(ImageSizeTest, TheHeaderGivesTheDecodedSizeOrNothing) {
    const HeaderCase& c = GetParam();
    const std::vector<uint8_t> bytes = c.bytes();
    std::ofstream(c.name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    int width = -1;
    int height = -1;
    ASSERT_EQ(ImageLib::ReadImageSize(c.name, &width, &height), c.known);
    if (c.known) {
        EXPECT_EQ(width, 37);
        EXPECT_EQ(height, 21);
        const auto decoded = ImageLib::DecodeImageFile(c.name, true);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(decoded->GetWidth(), width);
        EXPECT_EQ(decoded->GetHeight(), height);
    } else {
        EXPECT_EQ(width, -1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ImageSizeTest,
    ::testing::Values(HeaderCase{"a.png", Png37x21, true}, HeaderCase{"a.jpg", Jpeg37x21, true},
                      HeaderCase{"A.PNG", Png37x21, true}, HeaderCase{"a.gif", Png37x21, false},
                      HeaderCase{"a", Png37x21, false}, HeaderCase{"cut.png", TruncatedPng, false},
                      HeaderCase{"cut.jpg", JpegWithoutFrame, false},
                      HeaderCase{"text.png", Text, false}, HeaderCase{"text.jpg", Text, false}));

}  // namespace
