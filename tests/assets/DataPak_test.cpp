// The generated "data.pak": every file the game reads is there and loads
// with our own loaders at the size the game expects.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/Utf8.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"
#include "framework/sound/SoundManager.h"
#include "support/Contrast.h"
#include "support/PoFile.h"

namespace {

class DataPakTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(Brisk::PakInterface::Get()->AddArchive(VQ_DATA_PAK)) << VQ_DATA_PAK;
    }
};

struct PictureCase {
    const char* name;
    int width;
    int height;
};

class PictureTest : public DataPakTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PictureTest, DecodesAtItsSize) {
    const PictureCase c = GetParam();
    // Loaded from the archive, not from loose files beside the test.
    ASSERT_NE(
        Brisk::PakInterface::Get()->Entries().count(Brisk::PakInterface::NormalizePakName(c.name)),
        0u);
    auto img = ImageLib::DecodeImageFile(c.name, true);
    ASSERT_NE(img, nullptr) << c.name;
    EXPECT_EQ(img->GetWidth(), c.width) << c.name;
    EXPECT_EQ(img->GetHeight(), c.height) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureTest,
                         ::testing::Values(PictureCase{"images/vis_pairs/01.png", 96, 96},
                                           PictureCase{"images/vis_pairs/02.png", 96, 96},
                                           PictureCase{"images/vis_pairs/03.png", 96, 96},
                                           PictureCase{"images/vis_pairs/04.png", 96, 96},
                                           PictureCase{"images/vis_pairs/05.png", 96, 96},
                                           PictureCase{"images/vis_pairs/06.png", 96, 96},
                                           PictureCase{"images/vis_pairs/07.png", 96, 96},
                                           PictureCase{"images/vis_pairs/08.png", 96, 96},
                                           PictureCase{"images/vis_pairs/09.png", 96, 96},
                                           PictureCase{"images/vis_pairs/10.png", 96, 96},
                                           PictureCase{"images/vis_cover/01.jpg", 96, 96},
                                           PictureCase{"images/start_fon.jpg", 1024, 768},
                                           PictureCase{"images/game_fon/1.jpg", 1024, 768},
                                           PictureCase{"images/dialog/new_player.png", 400, 200},
                                           PictureCase{"images/dialog_add_del.png", 400, 200},
                                           PictureCase{"images/dialog/dlg_menu.jpg", 200, 200},
                                           PictureCase{"images/dialog/dlg_finish.png", 400, 400},
                                           PictureCase{"images/dialog/exit_window.jpg", 400, 200},
                                           PictureCase{"images/dialog/black_under_exit.png", 1024,
                                                       768},
                                           PictureCase{"images/btn_def.png", 108, 108},
                                           PictureCase{"images/btn_default.png", 100, 104},
                                           PictureCase{"images/dialog/btn_def.png", 114, 132},
                                           PictureCase{"images/dialog/btn_yes.png", 108, 220},
                                           PictureCase{"images/dialog/btn_no.png", 108, 220},
                                           PictureCase{"icon.png", 64, 64}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& ch : n) {
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return n;
                         });

TEST_F(DataPakTest, CardPicturesAreDistinctAndHaveTransparentCorners) {
    std::vector<std::vector<uint32_t>> cards;
    for (int i = 1; i <= 10; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "images/vis_pairs/%02d.png", i);
        auto img = ImageLib::DecodeImageFile(name, true);
        ASSERT_NE(img, nullptr);
        EXPECT_EQ(img->m_bits[0] >> 24, 0u) << name;               // a rounded corner
        EXPECT_EQ(img->m_bits[48 * 96 + 48] >> 24, 255u) << name;  // an opaque middle
        cards.push_back(img->m_bits);
    }
    for (size_t a = 0; a < cards.size(); ++a) {
        for (size_t b = a + 1; b < cards.size(); ++b) {
            EXPECT_NE(cards[a], cards[b]) << a + 1 << " and " << b + 1;
        }
    }
}

// The button strips whose looks are drawn (the controls gallery's buttons,
// "Play"): each look's plate carries the caption colour the game gives that
// look, 4.5:1 or more, a disabled one 3:1 or more. Measured at the plate's
// middle row, where the caption stands.
struct StripCase {
    const char* name;
    int frameHeight;
    std::vector<std::pair<int, uint32_t>> looks;  // frame index, caption colour 0xRRGGBB
    std::vector<double> least;                    // the ratio each look needs
};

class StripContrastTest : public DataPakTest, public ::testing::WithParamInterface<StripCase> {};

TEST_P(StripContrastTest, EveryLooksPlateCarriesItsCaption) {
    const StripCase c = GetParam();
    auto img = ImageLib::DecodeImageFile(c.name, true);
    ASSERT_NE(img, nullptr) << c.name;
    for (size_t i = 0; i < c.looks.size(); ++i) {
        const auto [frame, caption] = c.looks[i];
        const int row = frame * c.frameHeight + c.frameHeight / 2;
        std::vector<double> plate;
        for (int x = img->GetWidth() / 4; x < img->GetWidth() * 3 / 4; ++x) {
            plate.push_back(TestSupport::Luminance(
                img->m_bits[static_cast<size_t>(row * img->GetWidth() + x)] & 0xFFFFFFu));
        }
        std::sort(plate.begin(), plate.end());
        const double ratio =
            TestSupport::ContrastRatio(TestSupport::Luminance(caption), plate[plate.size() / 2]);
        EXPECT_GE(ratio, c.least[i]) << c.name << " look " << frame;
    }
}

// Captions: the menus' style (white, pale yellow, black when disabled) and
// the start screen's (black, pale yellow, black).
INSTANTIATE_TEST_SUITE_P(Strips, StripContrastTest,
                         ::testing::Values(StripCase{"images/btn_def.png",
                                                     27,
                                                     {{0, 0xFFFFFF}, {1, 0xFFFF80}, {3, 0x000000}},
                                                     {4.5, 4.5, 3.0}},
                                           StripCase{"images/dialog/btn_def.png",
                                                     44,
                                                     {{0, 0x000000}, {2, 0xFFFF80}, {1, 0x000000}},
                                                     {4.5, 4.5, 3.0}}));

class FontTest : public DataPakTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FontTest, LoadsWithoutErrorsAndMeasuresText) {
    Brisk::DecodingFontHost host;
    Brisk::ImageFont font(&host, GetParam());
    ASSERT_TRUE(font.IsLoaded()) << host.errors;
    EXPECT_TRUE(host.errors.empty()) << host.errors;
    EXPECT_GT(font.GetHeight(), 0);
    EXPECT_GT(font.GetAscent(), 0);
    EXPECT_GT(font.StringWidth("Welcom, Player 1:23"), 0);
    for (int c = 33; c <= 126; ++c) {
        EXPECT_GT(font.CharWidth(static_cast<char>(c)), 0)
            << GetParam() << " " << static_cast<char>(c);
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, FontTest,
                         ::testing::Values("fonts/KBChopinScript28.txt",
                                           "fonts/KBChopinScript36.txt",
                                           "fonts/KBChopinScript72.txt",
                                           "fonts/MonotypeCorsiva14Italics.txt",
                                           "fonts/Pristina18.txt", "fonts/a_BosaNova14.txt",
                                           "fonts/UiSans13.txt", "fonts/UiSansBold16.txt"));

// Every character a player may meet in the game's fonts: printable Latin-1,
// Latin Extended-A, and every character of every translation in po/*.po of
// the sources and of the build (the stretch catalogue is made there).
std::set<char32_t> NeededCharacters(std::string* sources) {
    std::set<char32_t> chars;
    for (char32_t c = 0xA1; c <= 0x17F; ++c) {
        if (c != 0xAD) {  // the soft hyphen is never drawn
            chars.insert(c);
        }
    }
    auto files = TestSupport::PoFiles(VQ_SOURCE_DIR);
    for (const auto& file : TestSupport::PoFiles(VQ_BUILD_DIR)) {
        files.push_back(file);
    }
    for (const auto& file : files) {
        *sources += " " + file.filename().string();
        for (const TestSupport::PoEntry& entry : TestSupport::ReadPoFile(file)) {
            if (entry.id.empty()) {
                continue;  // the header
            }
            for (const std::string& text : entry.translations) {
                for (const char32_t c : Brisk::DecodeText(text)) {
                    if (c >= 0x20) {
                        chars.insert(c);
                    }
                }
            }
        }
    }
    return chars;
}

std::vector<std::string> ShippedFonts() {
    std::vector<std::string> fonts;
    for (const auto& [key, entry] : Brisk::PakInterface::Get()->Entries()) {
        std::string name = entry.name;
        std::replace(name.begin(), name.end(), '\\', '/');
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name.rfind("fonts/", 0) == 0 && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".txt") == 0) {
            fonts.push_back(entry.name);
        }
    }
    return fonts;
}

TEST_F(DataPakTest, EveryShippedFontDrawsEveryCharacterOfLatin1ExtendedAAndTheCatalogues) {
    std::string sources;
    const std::set<char32_t> needed = NeededCharacters(&sources);
    const std::vector<std::string> fonts = ShippedFonts();
    ASSERT_GE(fonts.size(), 8u);
    for (const std::string& path : fonts) {
        Brisk::DecodingFontHost host;
        Brisk::ImageFont font(&host, path);
        ASSERT_TRUE(font.IsLoaded()) << path << ": " << host.errors;
        std::string missing;
        for (const char32_t c : needed) {
            if (!font.HasGlyph(c) || font.CharWidth(c) <= 0) {
                Brisk::AppendUtf8(&missing, c);
                missing += ' ';
            }
        }
        EXPECT_TRUE(missing.empty())
            << path << " has no glyph for " << missing << "(catalogues:" << sources << ")";
    }
}

TEST(PoFile, ReadsEntriesContextsPluralsAndContinuedStrings) {
    const auto entries = TestSupport::ParsePo(
        "# translator comment\n"
        "msgid \"\"\n"
        "msgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n"
        "\n"
        "#: src/game/StartMgr.cpp:12\n"
        "msgid \"Play\"\n"
        "msgstr \"Spie\"\n"
        "\"len\"\n"
        "\n"
        "msgctxt \"menu\"\n"
        "msgid \"Say \\\"hi\\\"\"\n"
        "msgid_plural \"Says\"\n"
        "msgstr[0] \"\xC2\xABSalut\xC2\xBB\"\n"
        "msgstr[1] \"a\\tb\"\n"
        "#~ msgid \"Old\"\n"
        "#~ msgstr \"Alt\"\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].id, "");
    EXPECT_EQ(entries[1].id, "Play");
    EXPECT_EQ(entries[1].translations, std::vector<std::string>{"Spielen"});
    EXPECT_EQ(entries[2].context, "menu");
    EXPECT_EQ(entries[2].id, "Say \"hi\"");
    EXPECT_EQ(entries[2].idPlural, "Says");
    EXPECT_EQ(entries[2].translations, (std::vector<std::string>{"\xC2\xABSalut\xC2\xBB", "a\tb"}));
}

TEST_F(DataPakTest, SoundsDecodeWithTheSoundLoaders) {
    for (const char* name : {"sounds/click.ogg", "sounds/menu.ogg", "sounds/back.ogg",
                             "sounds/pair_found.ogg", "sounds/pair_unequal.ogg"}) {
        auto samples = Brisk::DecodeOggFile(name);
        ASSERT_NE(samples, nullptr) << name;
        EXPECT_EQ(samples->format.rate, 44100);
        EXPECT_GT(samples->Frames(), 1000u) << name;
    }
    auto light = Brisk::ReadWaveFile("sounds/menulight.wav");
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->format.bits, 16);
    // The melody lasts between 30 and 90 seconds.
    auto music = Brisk::DecodeOggFile("sounds/back.ogg");
    const double seconds = static_cast<double>(music->Frames()) / music->format.rate;
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 90.0);
    // It loops without a click: the jump from the last frame back to the
    // first is no larger than the steps inside the melody.
    auto sample = [&](size_t frame, int channel) {
        const size_t i = (frame * 2 + static_cast<size_t>(channel)) * 2;
        return static_cast<int16_t>(music->data[i] | (music->data[i + 1] << 8));
    };
    std::vector<int> steps;
    for (size_t f = 1; f < music->Frames(); f += 7) {
        steps.push_back(std::abs(sample(f, 0) - sample(f - 1, 0)));
    }
    std::sort(steps.begin(), steps.end());
    const int p99 = steps[steps.size() * 99 / 100];
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_LE(std::abs(sample(0, ch) - sample(music->Frames() - 1, ch)), std::max(p99, 200))
            << ch;
    }
}

}  // namespace
