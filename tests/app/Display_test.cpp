// The application with its real window and display on the headless driver.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/AppStateAccess.h"
#include "support/TestApp.h"

using Brisk::Color;
using Brisk::Platform::MessageId;
using TestSupport::TestApp;

namespace {

// Paints its whole area in one colour.
class PaintWidget : public TestSupport::RecordingWidget {
public:
    void Draw(Brisk::Graphics* g) override {
        g->SetColor(Color(10, 20, 30));
        g->FillRect(0, 0, m_width, m_height);
        ++draws;
    }
    int draws = 0;
};

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppStateAccess::Window(app).width = 320;
        AppStateAccess::Window(app).height = 240;
        app.Init();
        ASSERT_NE(app.GetDisplay(), nullptr);
        ASSERT_NE(app.GetDisplay()->GetScreenImage(), nullptr);
    }
    uint32_t ScreenPixel(int x, int y) {
        Brisk::DDImage* screen = app.GetDisplay()->GetScreenImage();
        return screen->GetBits()[y * screen->GetWidth() + x];
    }
    TestApp app;
};

TEST_F(DisplayTest, DirtyWidgetsAreDrawnIntoTheBackBufferAndPresented) {
    PaintWidget widget;
    widget.Resize(10, 10, 50, 40);
    app.GetWidgetManager()->AddWidget(&widget);
    AppStateAccess::Timing(app).drawPending = true;
    const int presents = AppStateAccess::Counters(app).presents;
    ASSERT_TRUE(app.DrawFrame());
    EXPECT_EQ(widget.draws, 1);
    EXPECT_EQ(AppStateAccess::Counters(app).presents, presents + 1);
    EXPECT_EQ(ScreenPixel(10, 10), 0xFF0A141Eu);
    EXPECT_EQ(ScreenPixel(59, 49), 0xFF0A141Eu);
    EXPECT_EQ(ScreenPixel(60, 49) & 0xFFFFFF, 0u);  // clipped to the widget

    // Nothing dirty and less than a second since the last present: no draw.
    AppStateAccess::Timing(app).drawPending = true;
    EXPECT_FALSE(app.DrawFrame());
    EXPECT_EQ(widget.draws, 1);
    EXPECT_EQ(AppStateAccess::Counters(app).presents, presents + 1);
    // A second later the frame is shown again even though nothing changed.
    app.clock.Advance(1000);
    AppStateAccess::Timing(app).drawPending = true;
    EXPECT_TRUE(app.DrawFrame());
    EXPECT_EQ(widget.draws, 1);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

// The once-a-second present of an unchanged frame shows it again without
// handing the pixels over; any change to the back buffer, or a software
// cursor drawn into the frame, hands them over.
TEST_F(DisplayTest, AnUnchangedFrameIsShownAgainWithoutHandingItOver) {
    PaintWidget widget;
    widget.Resize(10, 10, 50, 40);
    app.GetWidgetManager()->AddWidget(&widget);
    Brisk::DDInterface* display = app.GetDisplay();
    auto present = [&] {
        app.clock.Advance(1000);
        AppStateAccess::Timing(app).drawPending = true;
        return app.DrawFrame();
    };
    ASSERT_TRUE(present());
    const int uploads = display->GetUploadCount();
    ASSERT_TRUE(present());
    ASSERT_TRUE(present());
    EXPECT_EQ(display->GetUploadCount(), uploads);

    widget.MarkDirty();
    ASSERT_TRUE(present());
    EXPECT_EQ(widget.draws, 2);
    EXPECT_EQ(display->GetUploadCount(), uploads + 1);
    // A change made straight to the back buffer counts as well.
    display->GetScreenImage()->FillRect({0, 0, 4, 4}, Color(255, 0, 0), 0);
    ASSERT_TRUE(present());
    EXPECT_EQ(display->GetUploadCount(), uploads + 2);

    std::vector<uint32_t> px(8 * 8, 0xFFFFFFFF);
    Brisk::MemoryImage cursor;
    cursor.SetBits(px.data(), 8, 8);
    display->SetCursorImage(&cursor);
    ASSERT_TRUE(present());
    ASSERT_TRUE(present());
    EXPECT_EQ(display->GetUploadCount(), uploads + 4);
    // The last frame handed over has the cursor drawn in: once the cursor
    // is gone, showing that frame again would leave it on screen.
    display->SetCursorImage(nullptr);
    ASSERT_TRUE(present());
    EXPECT_EQ(display->GetUploadCount(), uploads + 5);
    ASSERT_TRUE(present());
    EXPECT_EQ(display->GetUploadCount(), uploads + 5);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST_F(DisplayTest, SoftwareCursorIsDrawnOnlyIntoThePresentedFrame) {
    std::vector<uint32_t> px(8 * 8, 0xFFFFFFFF);
    Brisk::MemoryImage cursor;
    cursor.SetBits(px.data(), 8, 8);
    AppStateAccess::Input(app).mouseInWindow = true;
    AppStateAccess::Cursor(app).number = Brisk::CursorNumber::Software;
    app.SetCursorImage(Brisk::CursorNumber::Software, &cursor, 0, 0);
    EXPECT_EQ(app.GetDisplay()->GetCursorImage(), &cursor);
    EXPECT_TRUE(AppStateAccess::Cursor(app).changed);

    // Moving the pointer asks for a present although nothing is dirty.
    app.DrawFrame();
    AppStateAccess::Cursor(app).changed = false;
    app.HandleWindowMessage(
        {app.GetMainWindowId(), MessageId::MouseMove, 0, Brisk::Platform::MakePointParam(20, 30)});
    app.ProcessDeferredMessages(false);
    EXPECT_TRUE(AppStateAccess::Cursor(app).changed);
    const int presents = AppStateAccess::Counters(app).presents;
    AppStateAccess::Timing(app).drawPending = true;
    EXPECT_TRUE(app.DrawFrame());
    EXPECT_EQ(AppStateAccess::Counters(app).presents, presents + 1);
    // The back buffer itself is left as it was under the cursor.
    EXPECT_EQ(ScreenPixel(20, 30) & 0xFFFFFF, 0u);

    // Another cursor number without a picture goes back to the system cursor.
    AppStateAccess::Cursor(app).number = Brisk::CursorNumber::Arrow;
    app.ApplyCursor();
    EXPECT_EQ(app.GetDisplay()->GetCursorImage(), nullptr);
}

}  // namespace

#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"

namespace {

TEST_F(DisplayTest, SoundFollowsTheVolumesAndMuting) {
    auto* sound = dynamic_cast<Brisk::DSoundManager*>(app.GetSoundManager());
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->IsInitialized());  // the headless audio driver plays into nothing
    ASSERT_NE(app.GetMusicInterface(), nullptr);
    EXPECT_DOUBLE_EQ(sound->GetMasterVolume(), 0.85);
    app.Mute(false);
    EXPECT_DOUBLE_EQ(sound->GetMasterVolume(), 0.0);
    app.Unmute(false);
    EXPECT_DOUBLE_EQ(sound->GetMasterVolume(), 0.85);
    app.SetSfxVolume(0.4);
    EXPECT_DOUBLE_EQ(sound->GetMasterVolume(), 0.4);
    app.PlaySample(7);  // nothing loaded there: no instance, no crash
}

// A lost display that comes back smaller than the window: the game goes full
// screen, or, held to a window, says so and shuts down.
TEST_F(DisplayTest, ARecoveredDisplayTooSmallForTheWindowLeadsToFullScreenOrShutdown) {
    for (bool forceWindowed : {false, true}) {
        ASSERT_TRUE(AppStateAccess::Window(app).windowIsWindowed);
        AppStateAccess::Window(app).forceWindowed = forceWindowed;
        AppStateAccess::Window(app).width =
            4000;  // wider than the 1024 x 768 desktop of the headless driver
        AppStateAccess::Window(app).height = 3000;
        AppStateAccess::Life(app).displayLost = true;
        AppStateAccess::Life(app).active = true;
        testing::internal::CaptureStderr();
        app.PresentFrame(nullptr);
        const std::string said = testing::internal::GetCapturedStderr();
        if (!forceWindowed) {
            EXPECT_FALSE(AppStateAccess::Window(app).windowIsWindowed);
            EXPECT_FALSE(app.IsShutdown());
            AppStateAccess::Window(app).forceFullscreen = false;
            AppStateAccess::Window(app).width = 320;
            AppStateAccess::Window(app).height = 240;
            app.SwitchScreenMode(true);  // back to a window for the second case
        } else {
            EXPECT_TRUE(app.IsShutdown());
            EXPECT_NE(said.find("color depth"), std::string::npos) << said;
        }
    }
}

}  // namespace
