// Buttons and check boxes: looks, captions, sounds and pressing.

#include "controls/ControlsFixture.h"

#include "controls/ButtonVO.h"
#include "controls/IButtonVO.h"
#include "controls/ResourceObjects.h"

using ControlLibrary::Colour;
using ControlLibrary::IButtonVO;
using ControlLibrary::ICheckBoxVO;
using ControlLibrary::IFont;
using TestSupport::ControlsTest;
using TestSupport::RecordingObserver;

namespace {

// Four 40 x 20 frames stacked in one strip: red, green, blue, grey.
constexpr uint32_t kFrames[] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0x808080u};

class ButtonTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        WritePicture("frames.png", 40, 80, [](int, int y) { return kFrames[y / 20]; });
        button = factory->CreateButtonVO();
        button->SetPosition(10, 10);
        button->SetSize(40, 20);
        button->AddMouseObserver(&observer);
        button->SetShown(true);
    }
    ControlLibrary::ButtonVO_impl* Impl() {
        return static_cast<ControlLibrary::ButtonVO_impl*>(
            static_cast<ControlLibrary::ButtonVO_bridge*>(button)->GetImpl());
    }
    IButtonVO* button = nullptr;
    RecordingObserver observer;
};

TEST_F(ButtonTest, TheLookFollowsPressAndPointerAndOnlyTheNormalImageServesAll) {
    button->SetImages({"frames.png", "", "", ""});
    for (int look = 0; look < 4; ++look) {
        EXPECT_EQ(Impl()->GetImageIndex(look), Impl()->GetImageIndex(0)) << look;
    }
    button->SetImages({"frames.png", "frames.png", "frames.png", "frames.png"});
    button->SetSourceRects({{{0, 0, 40, 20}, {0, 20, 40, 20}, {0, 40, 40, 20}, {0, 60, 40, 20}}});
    auto look = [&] {
        Draw();
        return Pixel(20, 15);
    };
    EXPECT_EQ(look(), kFrames[0]);
    factory->MouseMove(20, 15);
    EXPECT_EQ(look(), kFrames[1]);
    factory->MouseDown(20, 15, 1);
    EXPECT_EQ(look(), kFrames[2]);
    factory->MouseMove(100, 100);  // off while held: normal
    EXPECT_EQ(look(), kFrames[0]);
    factory->MouseUp(100, 100, 1);
    button->SetEnabled(false);
    EXPECT_EQ(look(), kFrames[3]);

    button->SetImages({"missing.png", "", "", ""});  // every look keeps its picture
    EXPECT_EQ(look(), kFrames[3]);
    button->SetBackgroundHidden(true);
    EXPECT_EQ(look(), 0u);
}

TEST_F(ButtonTest, WithoutPicturesTheLooksAreColoursAndTheCaptionIsCentred) {
    Draw();
    EXPECT_EQ(Pixel(10, 10), 0x804000u);  // normal background colour
    IFont* font = MonoFont();
    button->SetFonts({font, nullptr, nullptr, nullptr});
    button->SetBackgroundHidden(true);
    button->SetText("ab");
    button->SetTextColours({Colour{255, 255, 255}, Colour{0, 255, 0}, Colour{0, 0, 255},
                            Colour{1, 1, 1}, Colour{2, 2, 2}});
    Draw();
    EXPECT_EQ(InkColumns(), (std::pair{20, 39}));  // centred on x 30
    const auto rows = InkRows();
    button->SetTextOffset({0, -2});
    Draw();
    EXPECT_EQ(InkRows(), (std::pair{rows.first - 2, rows.second - 2}));
    factory->MouseMove(20, 15);  // the over look takes the first font too
    Draw();
    EXPECT_TRUE(PixelNear(25, rows.first, 0x00FF00u));
    factory->ReleaseFont(font);
}

TEST_F(ButtonTest, ADisabledButtonIsSilentAndSendsNothing) {
    // Sounds that count their plays instead of playing.
    struct CountingSound : ControlLibrary::ISound {
        int32_t GetId() override { return 0; }
        int32_t Load(const std::string&) override { return 0; }
        void Play(bool) override { ++plays; }
        void Stop() override {}
        bool IsPlaying() override { return false; }
        void SetVolume(double) override {}
        void SetMusic(bool) override {}
        int plays = 0;
    } enter, press, release;
    button->SetSounds({&enter, &press, &release});
    factory->MouseMove(20, 15);
    factory->MouseDown(20, 15, 1);
    factory->MouseUp(20, 15, 1);
    const auto id = std::to_string(button->GetId());
    EXPECT_EQ(observer.Take(), "enter " + id + ",down " + id + ",click " + id);
    EXPECT_EQ(enter.plays + press.plays + release.plays, 3);

    button->SetEnabled(false);
    factory->MouseMove(100, 100);
    factory->MouseMove(20, 15);
    observer.Take();  // leave and enter reach observers whatever the state
    factory->MouseDown(20, 15, 1);
    factory->MouseUp(20, 15, 1);
    button->Press();  // Enter or Space aimed at a disabled button
    EXPECT_EQ(observer.Take(), "");
    EXPECT_EQ(enter.plays + press.plays + release.plays, 3);

    button->SetEnabled(true);
    factory->MouseMove(100, 100);
    observer.Take();
    button->Press();  // as if clicked, whatever the pointer does
    EXPECT_EQ(observer.Take(), "down " + id + ",click " + id);
    EXPECT_EQ(press.plays, 2);
    EXPECT_EQ(release.plays, 2);
    EXPECT_FALSE(Impl()->IsOver());
    button->SetSounds({});  // gives the foreign sounds back untouched
}

TEST_F(ControlsTest, ACheckBoxTogglesOnEveryPressEvenDisabled) {
    RecordingObserver observer;
    ICheckBoxVO* box = factory->CreateCheckBoxVO();
    box->SetSize(100, 20);
    box->AddMouseObserver(&observer);
    box->SetShown(true);
    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);
    factory->MouseUp(5, 5, 1);
    EXPECT_TRUE(box->IsChecked());
    box->Press();
    EXPECT_FALSE(box->IsChecked());
    box->SetEnabled(false);
    box->Press();
    EXPECT_TRUE(box->IsChecked());
    box->SetEnabled(true);

    auto* impl = static_cast<ControlLibrary::CheckBoxVO_bridge*>(box)->GetImpl();
    impl->ClearDirty();
    box->SetChecked(true);  // unchanged: nothing
    EXPECT_FALSE(impl->IsDirty());
    box->SetChecked(false);
    EXPECT_TRUE(impl->IsDirty());

    Draw();  // the 20 x 20 box in the unchecked colour
    EXPECT_EQ(Pixel(0, 0), 0xFC8585u);
    EXPECT_EQ(Pixel(19, 19), 0xFC8585u);
    EXPECT_EQ(Pixel(20, 10), 0u);
    box->SetChecked(true);
    Draw();
    EXPECT_EQ(Pixel(0, 0), 0xFFFFFFu);

    IFont* font = MonoFont();
    box->SetFonts({font, nullptr, nullptr, nullptr});
    box->SetText("a");
    box->SetBoxHidden(true);
    factory->MouseMove(150, 150);
    Draw();
    EXPECT_EQ(InkColumns(), (std::pair{4, 13}));  // 4 pixels right of its screen x
    box->SetBoxHidden(false);
    Draw();
    EXPECT_EQ(InkColumns(), (std::pair{0, 33}));  // box 0..19, caption from 24
    factory->ReleaseFont(font);
}

}  // namespace
