// The factory's image and font caches, its drawing services, and the sound
// routing between the sound manager and the music interface.

#include "controls/ControlsFixture.h"

#include "support/SoundFiles.h"

#include <filesystem>
#include <fstream>

#include "controls/ImageVO.h"
#include "controls/ResourceObjects.h"
#include "framework/platform/Audio.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"

using ControlLibrary::Factory_impl;
using ControlLibrary::IImageVO;
using ControlLibrary::ISound;
using ControlLibrary::Size;
using TestSupport::ControlsTest;
namespace fs = std::filesystem;

namespace {

// Left half red, right half blue.
uint32_t Halves(int x, int) {
    return x < 30 ? 0xFF0000u : 0x0000FFu;
}

TEST_F(ControlsTest, TheImageCacheCountsUsesAndComparesPathsExactly) {
    WritePicture("pic.png", 4, 4, [](int, int) { return 0xFFFFFFu; });
    WritePicture("Pic.png", 4, 4, [](int, int) { return 0xFFFFFFu; });
    int32_t first = -1, second = -1, other = -1;
    ASSERT_TRUE(factory->LoadImage("pic.png", &first));
    ASSERT_TRUE(factory->LoadImage("pic.png", &second));
    EXPECT_EQ(first, second);
    EXPECT_EQ(factory->GetImageUseCount(first), 2);
    ASSERT_TRUE(factory->LoadImage("Pic.png", &other));
    EXPECT_NE(other, first);
    EXPECT_EQ(factory->CountCachedImages(), 2);

    EXPECT_TRUE(factory->ReleaseImage(&second));
    EXPECT_EQ(second, -1);
    EXPECT_EQ(factory->CountCachedImages(), 2);
    const int32_t kept = first;
    EXPECT_TRUE(factory->ReleaseImage(&first));
    EXPECT_EQ(factory->CountCachedImages(), 1);
    int32_t again = kept;
    EXPECT_FALSE(factory->ReleaseImage(&again));  // emptied entry
    EXPECT_EQ(again, -1);

    int32_t none = -1;
    EXPECT_FALSE(factory->ReleaseImage(&none));
    EXPECT_EQ(none, -1);
    int32_t unchanged = 7;
    EXPECT_FALSE(factory->LoadImage("missing.png", &unchanged));
    EXPECT_FALSE(factory->LoadImage("", &unchanged));
    EXPECT_EQ(unchanged, 7);
    int32_t outside = 6000;
    EXPECT_FALSE(factory->ReleaseImage(&outside));
    EXPECT_EQ(outside, 6000);
}

TEST_F(ControlsTest, AnImageObjectWithoutAPictureIsATwentyPixelWhiteSquare) {
    IImageVO* image = factory->CreateImageVO();
    image->SetPosition(10, 10);
    image->SetShown(true);
    EXPECT_FALSE(image->LoadImage("missing.png", true));
    Draw();
    EXPECT_EQ(Pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(Pixel(29, 29), 0xFFFFFFu);
    EXPECT_EQ(Pixel(30, 30), 0u);
    EXPECT_EQ(Pixel(9, 9), 0u);
}

TEST_F(ControlsTest, FittingTakesThePictureSizeElseThePictureIsStretched) {
    WritePicture("wide.png", 64, 48, [](int x, int) { return x < 32 ? 0xFF0000u : 0x0000FFu; });
    IImageVO* fitted = factory->CreateImageVO();
    ASSERT_TRUE(fitted->LoadImage("wide.png", true));
    EXPECT_EQ(fitted->GetSize(), (Size{64, 48}));
    std::string path;
    fitted->GetImagePath(path);
    EXPECT_EQ(path, "wide.png");

    IImageVO* stretched = factory->CreateImageVO();
    stretched->SetSize(128, 10);
    ASSERT_TRUE(stretched->LoadImage("wide.png", false));
    EXPECT_EQ(stretched->GetSize(), (Size{128, 10}));
    stretched->SetShown(true);
    Draw();
    EXPECT_EQ(Pixel(60, 5), 0xFF0000u);
    EXPECT_EQ(Pixel(68, 5), 0x0000FFu);
    EXPECT_EQ(Pixel(127, 9), 0x0000FFu);
    EXPECT_EQ(Pixel(128, 5), 0u);
}

TEST_F(ControlsTest, ASourceRectanglePicksTheSecondFrameOfAStrip) {
    WritePicture("strip.png", 60, 30, Halves);
    IImageVO* image = factory->CreateImageVO();
    ASSERT_TRUE(image->LoadImage("strip.png", false));
    image->SetSize(30, 30);
    image->SetSourceRect({30, 0, 30, 30});
    image->SetShown(true);
    Draw();
    EXPECT_EQ(Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(Pixel(29, 29), 0x0000FFu);
    EXPECT_EQ(Pixel(30, 0), 0u);
}

// A picture is decoded when it is first drawn, not when it is loaded: a
// screen not yet shown costs no decoding. Its size is known at once, and what
// is drawn is what loading it whole gave (its alpha image applied).
TEST_F(ControlsTest, APictureIsDecodedWhenFirstDrawn) {
    WritePicture("shown.png", 60, 30, Halves);
    WritePictureArgb("_shown.png", 60, 30,
                     [](int x, int) { return x < 10 ? 0xFF000000u : 0xFFFFFFFFu; });
    WritePicture("hidden.png", 40, 20, Halves);
    IImageVO* shown = factory->CreateImageVO();
    IImageVO* hidden = factory->CreateImageVO();
    ASSERT_TRUE(shown->LoadImage("shown.png", true));
    ASSERT_TRUE(hidden->LoadImage("hidden.png", true));
    EXPECT_EQ(shown->GetSize(), (Size{60, 30}));
    EXPECT_EQ(hidden->GetSize(), (Size{40, 20}));
    EXPECT_EQ(factory->CountCachedImages(), 2);
    EXPECT_EQ(factory->CountDecodedImages(), 0);

    shown->SetShown(true);
    Draw();
    EXPECT_EQ(factory->CountDecodedImages(), 1);
    EXPECT_EQ(Pixel(5, 5), 0u);  // transparent there: the alpha image was applied
    EXPECT_EQ(Pixel(20, 5), 0xFF0000u);
    EXPECT_EQ(Pixel(40, 5), 0x0000FFu);
}

// A picture whose header was sound but whose pixels are not is held (its size
// given out) and draws nothing, instead of failing the screen that loaded it.
TEST_F(ControlsTest, APictureDamagedPastItsHeaderDrawsNothing) {
    WritePicture("damaged.png", 60, 30, Halves);
    fs::resize_file("damaged.png", 40);
    IImageVO* image = factory->CreateImageVO();
    ASSERT_TRUE(image->LoadImage("damaged.png", true));
    EXPECT_EQ(image->GetSize(), (Size{60, 30}));
    image->SetShown(true);
    Draw();
    Draw();
    EXPECT_EQ(factory->CountDecodedImages(), 0);
    EXPECT_EQ(Pixel(20, 5), 0u);
}

TEST_F(ControlsTest, RectanglesOutlineOneMorePixelFillOrHideYetStillCatchTheMouse) {
    ControlLibrary::IRectVO* outline = factory->CreateRectVO();
    outline->SetPosition(10, 10);
    outline->SetSize(10, 10);
    outline->SetShown(true);
    Draw();
    EXPECT_EQ(Pixel(10, 10), 0xFFFFFFu);
    EXPECT_EQ(Pixel(20, 20), 0xFFFFFFu);  // width + 1
    EXPECT_EQ(Pixel(15, 15), 0u);
    outline->SetStyle(2);
    Draw();
    EXPECT_EQ(Pixel(10, 10), 0u);
    EXPECT_EQ(factory->CountListed(), 1);
    factory->MouseMove(15, 15);
    EXPECT_EQ(factory->GetHover()->GetId(), outline->GetId());
}

TEST_F(ControlsTest, DrawingServicesRefuseIndicesOutsideTheCache) {
    Draw();
    Brisk::Graphics g(&canvas);
    factory->DrawAll(&g);
    for (int32_t index : {-1, 0, 5119, 5120}) {
        EXPECT_FALSE(factory->DrawImage(index, {}, {0, 0, 10, 10})) << index;
        EXPECT_FALSE(factory->DrawImageRotated(index, {}, {}, 1.0, {}, {})) << index;
    }
}

TEST_F(ControlsTest, FontsMeasureAndPlaceTextByItsAlignment) {
    std::filesystem::create_directories("fonts");
    WritePicture("fonts/glyphs.png", 20, 10, [](int, int) { return 0xFFFFFFu; });
    std::ofstream("fonts/test.txt") << "CreateLayer Main; LayerSetImage Main 'glyphs.png';\n"
                                       "LayerSetAscent Main 8;\n"
                                       "LayerSetImageMap Main ('a', 'b') ((0,0,10,10), "
                                       "(10,0,10,10));\n"
                                       "LayerSetCharWidths Main (a, b) (10, 12);\n";
    ControlLibrary::IFont* font = factory->CreateFont();
    EXPECT_FALSE(font->Load("fonts/missing.txt"));
    EXPECT_EQ(font->GetHeight(), 0);
    ASSERT_TRUE(font->Load("fonts/test.txt"));
    EXPECT_EQ(font->GetTextWidth("ab"), 22);
    const int height = font->GetHeight();
    ASSERT_GT(height, 0);

    // Centred on (100, 100): the glyphs start 11 pixels left of it; the text
    // sits with its baseline at the top plus the font's height.
    Draw();
    Brisk::Graphics g(&canvas);
    factory->DrawAll(&g);
    factory->DrawText(font, "ab", {100, 100}, {255, 255, 255}, 1, 1);
    // 'a' is 10 wide; 'b' starts after its advance of 10 and is 10 wide.
    EXPECT_EQ(InkColumns(), (std::pair{89, 108}));
    factory->ReleaseFont(font);
}

// A font loaded through the factory reads its sheet when a text in it is
// first drawn, not when it loads or measures: the sheet replaced on disk in
// between is the one drawn.
TEST_F(ControlsTest, AFontSheetIsReadWhenATextInItIsFirstDrawn) {
    std::filesystem::create_directories("fonts");
    WritePicture("fonts/sheet.png", 10, 10, [](int, int) { return 0xFFFFFFu; });
    std::ofstream("fonts/late.txt") << "CreateLayer Main; LayerSetImage Main 'sheet.png';\n"
                                       "LayerSetAscent Main 8; LayerSetImageMap Main ('a') "
                                       "((0,0,10,10)); LayerSetCharWidths Main (a) (10);\n";
    ControlLibrary::IFont* font = factory->CreateFont();
    ASSERT_TRUE(font->Load("fonts/late.txt"));
    EXPECT_EQ(font->GetTextWidth("a"), 10);
    WritePicture("fonts/sheet.png", 10, 10, [](int, int) { return 0x00FF00u; });

    Draw();
    Brisk::Graphics g(&canvas);
    factory->DrawAll(&g);
    factory->DrawText(font, "a", {100, 100}, {255, 255, 255}, 1, 1);
    const auto [left, right] = InkColumns();
    const auto [top, bottom] = InkRows();
    ASSERT_EQ(right - left, 9);
    ASSERT_EQ(bottom - top, 9);
    EXPECT_TRUE(PixelNear(left, top, 0x00FF00u)) << std::hex << Pixel(left, top);
    factory->ReleaseFont(font);
}

// Sounds: players that render into memory instead of a sound card.
class SoundRoutingTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        auto sounds = std::make_unique<Brisk::DSoundManager>(&mixer, &app.clock);
        soundManager = sounds.get();
        auto songs = std::make_unique<Brisk::StreamMusicInterface>(&mixer);
        music = songs.get();
        app.UseSoundPlayers(std::move(sounds), std::move(songs));
        TestSupport::Write("sounds/click.wav", TestSupport::Wave(441, 12000));
        TestSupport::Write("sounds/long.wav", TestSupport::Wave(44100, 12000));
        TestSupport::Write("music/song.mod", TestSupport::TinyModule());
    }
    void TearDown() override {
        ControlsTest::TearDown();
        app.UseSoundPlayers(nullptr, nullptr);
    }
    int Peak(int frames) { return TestSupport::Peak(mixer, frames); }

    Brisk::Platform::Mixer mixer;
    Brisk::DSoundManager* soundManager = nullptr;
    Brisk::StreamMusicInterface* music = nullptr;
};

// The sound manager takes names without extension and tries its formats;
// anything else (a module, or a name given with its extension) goes to the
// music interface. Either way a deal's click sound must leave nothing behind.
struct DealCase {
    const char* path;
    bool soundManager;
};

class ClickSoundTest : public SoundRoutingTest, public ::testing::WithParamInterface<DealCase> {};

TEST_P(ClickSoundTest, AThousandDealsOfClickSoundsLeakNothing) {
    const size_t idsBefore = factory->CountSoundIdsInUse();
    for (int deal = 0; deal < 1000; ++deal) {
        ISound* click = factory->CreateSound();
        ASSERT_NE(click->Load(GetParam().path), -1) << deal;
        click->Play(false);
        factory->ReleaseSound(click);
    }
    EXPECT_EQ(soundManager->CountLoadedSounds(), 0);
    EXPECT_EQ(music->CountLoadedSongs(), 0u);
    EXPECT_EQ(factory->CountSoundIdsInUse(), idsBefore);

    ISound* click = factory->CreateSound();
    ASSERT_GE(click->Load(GetParam().path), 0);
    EXPECT_EQ(soundManager->CountLoadedSounds(), GetParam().soundManager ? 1 : 0);
    EXPECT_EQ(music->CountLoadedSongs(), GetParam().soundManager ? 0u : 1u);
    click->Play(false);
    EXPECT_TRUE(click->IsPlaying());
    EXPECT_GT(Peak(100), 0);
    factory->ReleaseSound(click);
}

INSTANTIATE_TEST_SUITE_P(Players, ClickSoundTest,
                         ::testing::Values(DealCase{"sounds/click", true},
                                           DealCase{"sounds/click.wav", false}));

TEST_F(SoundRoutingTest, ASoundTheSoundManagerRejectsPlaysAsLoopingMusic) {
    ISound* song = factory->CreateSound();
    const int32_t id = song->Load("music/song.mod");
    ASSERT_GE(id, 0);
    EXPECT_EQ(soundManager->CountLoadedSounds(), 0);
    song->Play(true);
    EXPECT_TRUE(song->IsPlaying());
    EXPECT_GT(Peak(4410), 0);
    Peak(44100 * 3);  // longer than the song: looping keeps it going
    EXPECT_TRUE(song->IsPlaying());
    song->Stop();
    EXPECT_FALSE(song->IsPlaying());

    ISound* missing = factory->CreateSound();
    EXPECT_EQ(missing->Load("sounds/none.wav"), -1);
    missing->Play(false);  // does nothing
    EXPECT_FALSE(missing->IsPlaying());
    factory->ReleaseSound(song);
    factory->ReleaseSound(missing);
}

TEST_F(SoundRoutingTest, AFreedOneShotInstanceIsNeverTouchedAgain) {
    ISound* click = factory->CreateSound();
    ISound* longer = factory->CreateSound();
    ASSERT_GE(click->Load("sounds/click"), 0);
    ASSERT_GE(longer->Load("sounds/long"), 0);
    ASSERT_EQ(soundManager->CountLoadedSounds(), 2);
    click->Play(false);
    Peak(2000);  // the click has ended: its instance frees itself
    EXPECT_FALSE(click->IsPlaying());
    longer->Play(false);  // may take the freed instance's slot
    click->Stop();
    click->SetVolume(0.0);
    EXPECT_TRUE(longer->IsPlaying());
    EXPECT_GT(Peak(100), 0);
    factory->ReleaseSound(click);
    factory->ReleaseSound(longer);
}

TEST_F(SoundRoutingTest, StoppingAndPlayingAgainNeverRunsOutOfInstances) {
    ISound* click = factory->CreateSound();
    ASSERT_GE(click->Load("sounds/long"), 0);
    for (int i = 0; i < 3 * Brisk::SoundManager::kMaxInstances; ++i) {
        click->Play(false);
        ASSERT_TRUE(click->IsPlaying()) << i;
        click->Stop();
        EXPECT_FALSE(click->IsPlaying());
    }
    factory->ReleaseSound(click);
}

TEST_F(SoundRoutingTest, OwnIdsDifferAndLoadedIdsStayInsideTheTable) {
    ISound* a = factory->CreateSound();
    ISound* b = factory->CreateSound();
    EXPECT_NE(a->GetId(), b->GetId());
    const int32_t loaded = a->Load("sounds/click");
    EXPECT_NE(loaded, a->GetId());
    EXPECT_NE(loaded, b->GetId());

    std::vector<int32_t> taken;
    while (taken.empty() || taken.back() < Factory_impl::kSoundTableSize) {
        taken.push_back(factory->TakeSoundId());
    }
    EXPECT_EQ(factory->LoadSound("sounds/click"), -1);
    factory->PlaySound(600, false);
    factory->StopSound(600);
    EXPECT_FALSE(factory->IsSoundPlaying(600));
    for (int32_t id : taken) {
        factory->ReturnSoundId(id);
    }
    EXPECT_GE(factory->LoadSound("sounds/click"), 0);
    factory->ReleaseSound(a);
    factory->ReleaseSound(b);
}

}  // namespace
