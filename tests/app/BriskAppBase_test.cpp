// The application object: placement, string table, listeners, volumes.

#include <gtest/gtest.h>

#include "support/AppStateAccess.h"
#include "support/TestApp.h"

#include <cstdlib>
#include <string>
#include <vector>

using Brisk::Platform::Rect;
using TestSupport::ExitCalled;
using TestSupport::TestApp;

namespace {

struct PlaceCase {
    const char* name;
    Rect work;
    int preferredX, preferredY;
    int expectedX, expectedY;
};

class PlaceWindowTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceWindowTest, WindowLandsInsideTheWorkArea) {
    const PlaceCase c = GetParam();
    const Rect r = Brisk::PlaceWindow(c.work, 1024, 768, c.preferredX, c.preferredY);
    EXPECT_EQ(r.x, c.expectedX);
    EXPECT_EQ(r.y, c.expectedY);
    EXPECT_EQ(r.width, 1024);
    EXPECT_EQ(r.height, 768);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceWindowTest,
    ::testing::Values(
        // Centred horizontally, 0.382 of the free height from the top.
        PlaceCase{"Centred", {0, 0, 1280, 1024}, -1, -1, 128, 97},
        PlaceCase{"CentredInOffsetWorkArea", {0, 30, 1920, 1050}, -1, -1, 448, 137},
        PlaceCase{"PreferredInside", {0, 0, 1920, 1080}, 100, 50, 100, 50},
        PlaceCase{"PulledBackFromTheRight", {0, 0, 1920, 1080}, 1500, 50, 1920 - 1024 - 4, 50},
        PlaceCase{"PulledBackFromTheBottom", {0, 0, 1920, 1080}, 10, 900, 10, 1080 - 768 - 4},
        PlaceCase{"PulledInFromTheTopLeft", {0, 40, 1920, 1040}, -300, 0, 4, 44}),
    [](const auto& info) { return std::string(info.param.name); });

// Two starts at the same moment of their clocks deal differently: the
// generator is not seeded from a clock that starts with the process.
TEST(BriskAppBase, EveryStartSeedsTheGeneratorDifferently) {
    std::vector<unsigned> seeds;
    for (int start = 0; start < 2; ++start) {
        TestApp app;  // the same manual clock reading each time
        AppStateAccess::Identity(app).productName = "Seeded" + std::to_string(start);
        app.Init();
        seeds.push_back(app.GetRandomSeed());
    }
    EXPECT_NE(seeds[0], seeds[1]);
}

// Keys let go while a message box had the input never reach the widgets:
// ending the pop-up forgets every held key, not only Ctrl and Alt.
TEST(BriskAppBase, EndingAPopupReleasesEveryHeldKey) {
    TestApp app;
    Brisk::WidgetManager* manager = app.GetWidgetManager();
    for (int key : {17, 65, 39}) {
        manager->KeyDown(key);
    }
    app.BeginPopup();
    app.EndPopup();
    for (int key : {17, 65, 39}) {
        EXPECT_FALSE(manager->IsKeyDown(key)) << key;
    }
}

TEST(BriskAppBase, OnlyOneApplicationAtATimeIsReachable) {
    EXPECT_EQ(Brisk::BriskAppBase::Get(), nullptr);
    {
        TestApp app;
        EXPECT_EQ(Brisk::BriskAppBase::Get(), &app);
    }
    EXPECT_EQ(Brisk::BriskAppBase::Get(), nullptr);
}

TEST(BriskAppBase, StringTableHasBuiltInTextsAndDefaults) {
    TestApp app;
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK", "x"), "OK");
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_CANCEL", "x"), "CANCEL");
    EXPECT_EQ(app.GetString("FATAL_ERROR", "FATAL ERROR"), "FATAL ERROR");
    app.SetString("FATAL_ERROR", "Fehler");
    EXPECT_EQ(app.GetString("FATAL_ERROR", "FATAL ERROR"), "Fehler");
}

TEST(BriskAppBase, DialogButtonsMapToApplicationButtonIds) {
    struct App : TestApp {
        void OnButtonDown(int id) override { downs.push_back(id); }
        void OnButtonClick(int id) override { clicks.push_back(id); }
        std::vector<int> downs, clicks;
    } app;
    app.OnDialogButtonDown(7, 1000);
    app.OnDialogButtonDown(7, 1001);
    app.OnDialogButtonDown(7, 1002);
    app.OnDialogButtonClick(9, 1000);
    app.OnDialogButtonClick(9, 1001);
    app.OnDialogButtonClick(9, 5);
    EXPECT_EQ(app.downs, (std::vector<int>{2007, 3007}));
    EXPECT_EQ(app.clicks, (std::vector<int>{2009, 3009}));
}

TEST(BriskAppBase, MuteCountsNeverGoBelowZero) {
    TestApp app;
    app.Unmute(false);
    EXPECT_EQ(AppStateAccess::Volumes(app).muteCount, 0);
    app.Mute(false);
    app.Mute(true);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_EQ(AppStateAccess::Volumes(app).autoMuteCount, 1);
    app.Unmute(true);
    app.Unmute(true);  // the explicit mute is taken back by this one
    app.Unmute(true);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_EQ(AppStateAccess::Volumes(app).muteCount, 0);
    EXPECT_EQ(AppStateAccess::Volumes(app).autoMuteCount, 0);
}

TEST(BriskAppBase, LoadingProgress) {
    TestApp app;
    EXPECT_EQ(app.GetLoadingProgress(), 0.0);  // no loading thread
    AppStateAccess::Loading(app).threadStarted = true;
    EXPECT_EQ(app.GetLoadingProgress(), 0.0);  // no tasks known yet
    app.SetLoadingTasks(3, 4);
    EXPECT_DOUBLE_EQ(app.GetLoadingProgress(), 0.75);
    app.SetLoadingTasks(9, 4);
    EXPECT_DOUBLE_EQ(app.GetLoadingProgress(), 1.0);
    AppStateAccess::Loading(app).threadCompleted = true;
    EXPECT_EQ(app.GetLoadingProgress(), 1.0);
}

TEST(BriskAppBase, SaturatingAddTable) {
    TestApp app;
    EXPECT_EQ(AppStateAccess::AddTable(app)[0], 0);
    EXPECT_EQ(AppStateAccess::AddTable(app)[200], 200);
    EXPECT_EQ(AppStateAccess::AddTable(app)[255], 255);
    EXPECT_EQ(AppStateAccess::AddTable(app)[256], 255);
    EXPECT_EQ(AppStateAccess::AddTable(app)[511], 255);
}

TEST(BriskAppBase, UnknownCommandLineSwitchEndsTheProgramWithAFailure) {
    TestApp app;
    AppStateAccess::CommandLine(app).screensaverMode = true;  // log instead of showing a box
    try {
        app.ParseCommandLineText("-changedir=/tmp -nosuchswitch");
        FAIL() << "DoExit was not called";
    } catch (const ExitCalled& e) {
        EXPECT_EQ(e.code, 1);
    }
    EXPECT_EQ(AppStateAccess::Identity(app).startDirectory, "/tmp/");
    std::remove("ScrError.txt");
}

TEST(BriskAppBase, ShutdownActsOnce) {
    struct App : TestApp {
        void OnShutdown() override { ++shutdowns; }
        int shutdowns = 0;
    } app;
    app.Shutdown();
    app.Shutdown();
    EXPECT_EQ(app.shutdowns, 1);
    EXPECT_TRUE(app.IsShutdown());
}

}  // namespace

#include <filesystem>
#include <fstream>

#include "framework/graphics/DDImage.h"
#include "framework/resources/ImageLib.h"

namespace {

TEST(BriskAppBase, ImagesAreDecodedAndSharedByFileAndVariant) {
    TestApp app;
    const std::string file = "shared_image_test.png";
    ImageLib::Image picture(3, 2);
    for (size_t i = 0; i < picture.m_bits.size(); ++i) {
        picture.m_bits[i] = 0xFF000000u | static_cast<uint32_t>(i);
    }
    ASSERT_TRUE(ImageLib::WritePNG(file, picture));

    auto image = app.GetImage(file);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->m_name, file);
    EXPECT_EQ(image->GetWidth(), 3);
    EXPECT_EQ(image->GetBits()[5], 0xFF000005u);
    EXPECT_EQ(app.GetImage("no_such_image.png"), nullptr);

    bool isNew = false;
    Brisk::SharedImageRef first = app.GetSharedImage(file, "", &isNew);
    EXPECT_TRUE(isNew);
    ASSERT_TRUE(first);
    Brisk::SharedImageRef again = app.GetSharedImage(file, "", &isNew);
    EXPECT_FALSE(isNew);
    EXPECT_EQ(again.GetImage(), first.GetImage());
    Brisk::SharedImageRef variant = app.GetSharedImage(file, "tinted", &isNew);
    EXPECT_TRUE(isNew);
    EXPECT_NE(variant.GetImage(), first.GetImage());
    Brisk::SharedImageRef blank = app.GetSharedImage("!buffer", "", &isNew);
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank.GetImage()->GetWidth(), 0);
    EXPECT_FALSE(app.GetSharedImage("no_such_image.png"));

    // Released everywhere: gone after the next update, loaded anew later.
    first = Brisk::SharedImageRef();
    app.UpdateOnce();
    EXPECT_NE(again.GetImage(), nullptr);  // still referenced
    again = Brisk::SharedImageRef();
    app.UpdateOnce();
    app.GetSharedImage(file, "", &isNew);
    EXPECT_TRUE(isNew);
    std::filesystem::remove(file);
}

}  // namespace

#include "framework/resources/PakInterface.h"
#include "support/PakFiles.h"
#include "support/TempDir.h"

namespace {

class PrefetchTest : public TestSupport::TempDirTest {};

// Pictures decoded ahead on the loading thread are the pictures GetImage
// would decode (alpha image applied), taken once; what is not asked for is
// dropped, and GetImage still decodes it.
TEST_F(PrefetchTest, PrefetchedPicturesAreTheDecodedOnesTakenOnce) {
    ImageLib::Image colour(4, 3);
    ImageLib::Image alpha(4, 3);
    ImageLib::Image other(2, 2);
    for (size_t i = 0; i < colour.m_bits.size(); ++i) {
        colour.m_bits[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x010203);
        alpha.m_bits[i] = 0xFF000000u | static_cast<uint32_t>(i * 20);
    }
    for (uint32_t& p : other.m_bits) {
        p = 0xFF112233u;
    }
    auto bytes = [](const ImageLib::Image& image) {
        const std::vector<uint8_t> png = ImageLib::EncodePNG(image);
        return std::string(png.begin(), png.end());
    };
    TestSupport::WriteScrambled("prefetch.pak",
                                TestSupport::PlainArchive({{"images\\card.png", bytes(colour)},
                                                           {"images\\_card.png", bytes(alpha)},
                                                           {"images\\other.png", bytes(other)},
                                                           {"notes.txt", "not a picture"}}));
    ASSERT_TRUE(Brisk::PakInterface::Get()->AddArchive("prefetch.pak"));
    const auto expected = ImageLib::DecodeImageFile("images/card.png", true);
    ASSERT_NE(expected, nullptr);

    TestApp app;
    app.PrefetchPictures("prefetch.pak");
    EXPECT_EQ(app.CountPrefetchedPictures(), 2u);  // the alpha image goes with its picture
    auto image = app.GetImage("Images/Card.PNG");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(app.CountPrefetchedPictures(), 1u);
    ASSERT_EQ(image->GetWidth(), 4);
    EXPECT_TRUE(std::equal(expected->m_bits.begin(), expected->m_bits.end(), image->GetBits()));
    EXPECT_NE(image->GetBits()[5] >> 24, 0xFFu);          // the alpha image was applied
    EXPECT_NE(app.GetImage("images/card.png"), nullptr);  // taken once, decoded again

    app.DropPrefetchedPictures();
    EXPECT_EQ(app.CountPrefetchedPictures(), 0u);
    auto again = app.GetImage("images/other.png");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetBits()[3], 0xFF112233u);
}

// Only the pictures in the folder asked for are decoded ahead, whatever the
// spelling of its name; GetImage decodes the others when they are asked for.
TEST_F(PrefetchTest, OnlyTheFolderAskedForIsDecodedAhead) {
    ImageLib::Image picture(2, 2);
    for (uint32_t& p : picture.m_bits) {
        p = 0xFF445566u;
    }
    const std::vector<uint8_t> png = ImageLib::EncodePNG(picture);
    const std::string bytes(png.begin(), png.end());
    TestSupport::WriteScrambled("folder.pak",
                                TestSupport::PlainArchive({{"fonts\\small.png", bytes},
                                                           {"images\\cards\\01.png", bytes},
                                                           {"images\\start.png", bytes}}));
    ASSERT_TRUE(Brisk::PakInterface::Get()->AddArchive("folder.pak"));

    TestApp app;
    app.PrefetchPictures("folder.pak", "Fonts/");
    EXPECT_EQ(app.CountPrefetchedPictures(), 1u);
    EXPECT_NE(app.GetImage("fonts/small.png"), nullptr);
    EXPECT_EQ(app.CountPrefetchedPictures(), 0u);  // only the font's picture was decoded ahead
    auto card = app.GetImage("images/cards/01.png");
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->GetBits()[3], 0xFF445566u);
}

}  // namespace
