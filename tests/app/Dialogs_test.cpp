// Framework buttons and message dialogs, and the application's registry of
// dialogs, driven through the widget manager (and the window procedure for
// the waiting loop) on an application without a window.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/app/ButtonWidget.h"
#include "framework/app/Dialog.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/platform/Messages.h"
#include "support/AppStateAccess.h"
#include "support/Canvas.h"
#include "support/TestApp.h"

using Brisk::Dialog;
using Brisk::Platform::MessageId;
using TestSupport::RecordingWidget;

namespace {

// A dialog that says when it is deleted.
class TrackedDialog : public Dialog {
public:
    TrackedDialog(int id, bool modal, int buttonMode, Brisk::DialogListener* listener,
                  bool* deleted)
        : Dialog(nullptr, nullptr, id, modal, "Header", "Some lines", "", buttonMode, listener),
          m_deleted(deleted) {}
    ~TrackedDialog() override {
        if (m_deleted != nullptr) {
            *m_deleted = true;
        }
    }

private:
    bool* m_deleted;
};

// Records the button ids the application hears, and the modal hooks.
class DialogApp : public TestSupport::TestApp {
public:
    DialogApp() { GetWidgetManager()->Resize({0, 0, 640, 480}, {0, 0, 640, 480}); }

    std::unique_ptr<Dialog> NewDialog(int id, bool modal, const std::string& header,
                                      const std::string& lines, const std::string& footer,
                                      int buttonMode) override {
        if (trackNext == nullptr) {
            return BriskAppBase::NewDialog(id, modal, header, lines, footer, buttonMode);
        }
        bool* deleted = trackNext;
        trackNext = nullptr;
        return std::make_unique<TrackedDialog>(id, modal, buttonMode, this, deleted);
    }
    using BriskAppBase::OnButtonDown;
    void OnButtonDown(int id) override { downs.push_back(id); }
    void OnButtonClick(int id) override {
        clicks.push_back(id);
        if (onClick) {
            onClick(id);
        }
    }
    void OnModalOpen() override { ++modalOpens; }
    void OnModalClose() override { ++modalCloses; }

    bool* trackNext = nullptr;  // the next NewDialog makes a TrackedDialog
    std::vector<int> downs;
    std::vector<int> clicks;
    std::function<void(int)> onClick;
    int modalOpens = 0;
    int modalCloses = 0;
};

// A full press and release at a widget's centre, through the widget manager.
void ClickCentre(Brisk::WidgetManager* wm, Brisk::Widget* w) {
    const int x = w->m_x + w->m_width / 2;
    const int y = w->m_y + w->m_height / 2;
    wm->MouseMove(x, y);
    wm->MouseDown(x, y, 1);
    wm->MouseUp(x, y, 1);
}

class RecordingListener : public Brisk::ButtonListener {
public:
    using ButtonListener::OnButtonDown;
    void OnButtonDown(int id) override { events.push_back("down " + std::to_string(id)); }
    void OnButtonClick(int id) override { events.push_back("click " + std::to_string(id)); }
    void OnButtonHeld(int id) override { events.push_back("held " + std::to_string(id)); }
    void OnButtonEnter(int id) override { events.push_back("enter " + std::to_string(id)); }
    void OnButtonLeave(int id) override { events.push_back("leave " + std::to_string(id)); }
    std::string Take() { return TestSupport::TakeJoined(&events); }
    std::vector<std::string> events;
};

// Every character 10 wide; 20 high with the baseline at 16.
class FixedFont : public Brisk::Font {
public:
    FixedFont() {
        m_ascent = 16;
        m_height = 20;
    }
    int CharWidthKern(char32_t /*ch*/, char32_t /*previous*/) override { return 10; }
    std::unique_ptr<Font> Duplicate() override { return std::make_unique<FixedFont>(); }
};

}  // namespace

TEST(FrameworkButton, ClickNeedsTheReleaseOverTheButtonWhileTheAppHasFocus) {
    DialogApp app;
    Brisk::WidgetManager* wm = app.GetWidgetManager();
    RecordingListener listener;
    Brisk::ButtonWidget button(7, &listener);
    button.Resize(100, 100, 80, 30);
    wm->AddWidget(&button);

    // Pressed, dragged off and released outside: no click.
    wm->MouseMove(140, 115);
    wm->MouseDown(140, 115, 1);
    wm->UpdateFrame();  // held while pressed and hovered
    wm->MouseMove(300, 300);
    wm->UpdateFrame();  // not hovered: not held
    wm->MouseUp(300, 300, 1);
    EXPECT_EQ(listener.Take(), "enter 7,down 7,held 7,leave 7");

    // Released over it: a click.
    ClickCentre(wm, &button);
    EXPECT_EQ(listener.Take(), "enter 7,down 7,click 7");

    // Without the application's focus the release is no click.
    wm->LoseFocus();
    wm->MouseDown(140, 115, 1);
    wm->MouseUp(140, 115, 1);
    EXPECT_EQ(listener.Take(), "down 7");
    wm->RemoveWidget(&button);
}

TEST(FrameworkButton, BevelledLookSwapsItsEdgesWhilePressed) {
    DialogApp app;
    Brisk::WidgetManager* wm = app.GetWidgetManager();
    Brisk::ButtonWidget button(1, nullptr);
    button.Resize(0, 0, 40, 20);
    wm->AddWidget(&button);
    auto drawn = [&] {
        Brisk::MemoryImage canvas = TestSupport::Canvas(40, 20, 0xFF0000FF);
        Brisk::Graphics g(&canvas);
        button.Draw(&g);
        const uint32_t* p = canvas.GetBits();
        // top-left, the pixel inside it, the face, bottom-right
        return std::vector<uint32_t>{p[0], p[41], p[20 * 40 / 2 + 20], p[40 * 20 - 1]};
    };
    constexpr uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kDark = 0xFF848484,
                       kFace = 0xFFD4D4D4;
    EXPECT_EQ(drawn(), (std::vector<uint32_t>{kWhite, kFace, kFace, kBlack}));

    wm->MouseMove(20, 10);
    wm->MouseDown(20, 10, 1);
    EXPECT_TRUE(button.IsButtonDown());
    EXPECT_EQ(drawn(), (std::vector<uint32_t>{kBlack, kDark, kFace, kWhite}));
    wm->MouseUp(20, 10, 1);

    // Inverted: drawn pressed while up.
    button.m_inverted = true;
    EXPECT_EQ(drawn(), (std::vector<uint32_t>{kBlack, kDark, kFace, kWhite}));
    wm->RemoveWidget(&button);
}

TEST(FrameworkButton, HoverLookFadesInAndOutByItsSteps) {
    DialogApp app;
    Brisk::WidgetManager* wm = app.GetWidgetManager();
    Brisk::ButtonWidget button(1, nullptr);
    button.Resize(0, 0, 40, 20);
    button.m_overRect = {0, 0, 40, 20};
    button.m_overAlphaFadeInSpeed = 0.25;
    button.m_overAlphaSpeed = 0.5;
    wm->AddWidget(&button);

    wm->MouseMove(10, 10);
    std::vector<double> alphas;
    for (int i = 0; i < 5; ++i) {
        wm->UpdateFrame();
        alphas.push_back(button.m_overAlpha);
    }
    wm->MouseMove(300, 300);
    for (int i = 0; i < 3; ++i) {
        wm->UpdateFrame();
        alphas.push_back(button.m_overAlpha);
    }
    EXPECT_EQ(alphas, (std::vector<double>{0.25, 0.5, 0.75, 1, 1, 0.5, 0, 0}));

    // Without steps the hover look comes and goes at once.
    button.m_overAlphaFadeInSpeed = 0;
    button.m_overAlphaSpeed = 0;
    button.m_overAlpha = 0.5;
    wm->MouseMove(10, 10);
    EXPECT_EQ(button.m_overAlpha, 0);
    wm->RemoveWidget(&button);
}

TEST(FrameworkDialog, DoDialogWithAnIdInUseReplacesTheOldDialog) {
    DialogApp app;
    bool firstDeleted = false;
    app.trackNext = &firstDeleted;
    Dialog* first = app.DoDialog(5, false, "First", "one", "", Dialog::BUTTONS_YES_NO);
    Dialog* second = app.DoDialog(5, false, "Second", "two", "", Dialog::BUTTONS_YES_NO);

    EXPECT_NE(first, second);
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_EQ(app.GetDialog(5), second);
    EXPECT_EQ(first->GetResult(), 0);  // killed without an answer
    // Only the new dialog and its two buttons are left in the manager.
    const auto& children = app.GetWidgetManager()->GetChildren();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(std::vector<Brisk::Widget*>(children.begin(), children.end()),
              (std::vector<Brisk::Widget*>{second, second->GetYesButton(), second->GetNoButton()}));
    app.ProcessSafeDeleteList();
    EXPECT_TRUE(firstDeleted);
    EXPECT_EQ(app.GetWidgetManager()->GetChildren().size(), 3u);
}

TEST(FrameworkDialog, ButtonsReachTheApplicationAsDialogIdPlus2000Or3000) {
    struct Case {
        int mode;
        bool second;
        int result;
        int appId;
        const char* label;
    };
    for (const Case& c : {Case{Dialog::BUTTONS_YES_NO, true, 1001, 3005, "NO"},
                          Case{Dialog::BUTTONS_YES_NO, false, 1000, 2005, "YES"},
                          Case{Dialog::BUTTONS_OK_CANCEL, true, 1001, 3005, "CANCEL"},
                          Case{Dialog::BUTTONS_FOOTER, false, 1000, 2005, "Close"}}) {
        DialogApp app;
        Dialog* d = app.DoDialog(5, true, "Question", "Really?", "Close", c.mode);
        Brisk::DialogButton* button = c.second ? d->GetNoButton() : d->GetYesButton();
        ASSERT_NE(button, nullptr) << c.label;
        EXPECT_EQ(button->m_label, c.label);
        EXPECT_EQ(c.mode == Dialog::BUTTONS_FOOTER, d->GetNoButton() == nullptr);

        ClickCentre(app.GetWidgetManager(), button);

        EXPECT_EQ(app.downs, std::vector<int>{c.appId}) << c.label;
        EXPECT_EQ(app.clicks, std::vector<int>{c.appId}) << c.label;
        EXPECT_EQ(d->GetResult(), c.result);
    }
}

TEST(FrameworkDialog, AddDialogSizesAndPlacesAZeroWidthDialogBetweenItsButtons) {
    DialogApp app;
    Dialog* d = app.DoDialog(1, false, "Header", "Lines", "", Dialog::BUTTONS_YES_NO);
    EXPECT_EQ(d->m_width, 320);
    EXPECT_EQ(d->m_x, 160);
    EXPECT_EQ(d->m_y, 96);
    EXPECT_EQ(d->m_height, d->GetPreferredHeight(320));
    // Two buttons of (272 - 8) / 2 at the bottom inside the insets.
    Brisk::DialogButton* yes = d->GetYesButton();
    Brisk::DialogButton* no = d->GetNoButton();
    EXPECT_EQ(yes->GetRect(), (Brisk::Rect{184, d->m_y + d->m_height - 48, 132, 24}));
    EXPECT_EQ(no->GetRect(), (Brisk::Rect{324, d->m_y + d->m_height - 48, 132, 24}));

    // A one-button dialog's button takes the whole inner width.
    Dialog* one = app.DoDialog(2, false, "Header", "Lines", "Ok", Dialog::BUTTONS_FOOTER);
    EXPECT_EQ(one->GetYesButton()->m_width, 272);
}

TEST(FrameworkDialog, PreferredHeightAddsHeaderLinesFooterAndButtons) {
    FixedFont font;
    auto height = [&](const std::string& header, const std::string& lines,
                      const std::string& footer, int mode) {
        Dialog d(nullptr, nullptr, 1, false, header, lines, footer, mode, nullptr);
        d.SetHeaderFont(&font);
        d.SetLinesFont(&font);
        return d.GetPreferredHeight(300);
    };
    const int bare = height("", "", "", Dialog::BUTTONS_NONE);
    EXPECT_EQ(bare, 48);  // the content insets alone
    EXPECT_EQ(height("Title", "", "", Dialog::BUTTONS_NONE) - bare, 20 + 10);
    EXPECT_EQ(height("", "", "Footer", Dialog::BUTTONS_NONE) - bare, 8 + 20);
    EXPECT_EQ(height("", "", "", Dialog::BUTTONS_YES_NO) - bare, 8 + 24 + 8);
    // With one button the footer is its label, not a line of its own.
    EXPECT_EQ(height("", "", "Footer", Dialog::BUTTONS_FOOTER) - bare, 8 + 24 + 8);
    // 30 ten-pixel characters wrap within 300 - 48 - 4 = 248 pixels: two lines.
    const int oneLine = height("", "word", "", Dialog::BUTTONS_NONE) - bare;
    const int twoLines =
        height("", "aaaaaaaaaa bbbbbbbbbb cccccccccc", "", Dialog::BUTTONS_NONE) - bare;
    EXPECT_GT(oneLine, 0);
    EXPECT_EQ(twoLines - oneLine, 20);
}

TEST(FrameworkDialog, DraggingKeepsTheDialogWithin8PixelsOfTheEdges) {
    DialogApp app;
    Brisk::WidgetManager* wm = app.GetWidgetManager();
    Dialog* d = app.DoDialog(3, false, "Drag me", "", "", Dialog::BUTTONS_YES_NO);
    d->Resize(100, 100, 200, 150);

    wm->MouseMove(150, 130);
    wm->MouseDown(150, 130, 1);
    EXPECT_TRUE(d->IsDragging());
    EXPECT_EQ(AppStateAccess::Cursor(app).number, Brisk::CursorNumber::Dragging);

    wm->MouseMove(170, 140);  // follows the pointer
    EXPECT_EQ(d->GetRect(), (Brisk::Rect{120, 110, 200, 150}));
    EXPECT_EQ(d->GetYesButton()->m_x, 120 + 24);  // the buttons go along

    wm->MouseMove(5000, 140);  // far right: 8 pixels past the edge
    EXPECT_EQ(d->m_x + d->m_width, 640 + 8);
    wm->MouseMove(-5000, -5000);
    EXPECT_EQ(d->m_x, -8);
    EXPECT_EQ(d->m_y, -8);
    wm->MouseMove(5000, 5000);
    EXPECT_EQ(d->m_y + d->m_height, 480 + 8);

    wm->MouseUp(5000, 5000, 1);
    EXPECT_FALSE(d->IsDragging());
    EXPECT_EQ(AppStateAccess::Cursor(app).number, Brisk::CursorNumber::Arrow);
    const Brisk::Rect dropped = d->GetRect();
    wm->MouseMove(300, 300);
    EXPECT_EQ(d->GetRect(), dropped);
    EXPECT_TRUE(app.clicks.empty());
}

TEST(FrameworkDialog, ModalDialogKeepsTheMouseFromWidgetsBelowUntilKilled) {
    DialogApp app;
    Brisk::WidgetManager* wm = app.GetWidgetManager();
    RecordingWidget below;
    below.Resize(0, 0, 640, 480);
    wm->AddWidget(&below);

    app.DoDialog(9, true, "Modal", "Answer first", "", Dialog::BUTTONS_YES_NO);
    EXPECT_EQ(app.modalOpens, 1);
    wm->MouseDown(5, 5, 1);
    wm->MouseUp(5, 5, 1);
    EXPECT_TRUE(below.events.empty());

    EXPECT_TRUE(app.KillDialog(9));
    EXPECT_EQ(app.modalCloses, 1);
    EXPECT_FALSE(app.KillDialog(9));  // no longer registered
    wm->MouseDown(5, 5, 1);
    wm->MouseUp(5, 5, 1);
    EXPECT_EQ(below.events.size(), 2u);
    app.ProcessSafeDeleteList();
    wm->RemoveWidget(&below);
}

TEST(FrameworkDialog, KillDialogWithoutDeletingHandsTheDialogOver) {
    DialogApp app;
    Dialog* d = app.DoDialog(4, false, "Kept", "", "", Dialog::BUTTONS_OK_CANCEL);
    std::unique_ptr<Dialog> kept;
    EXPECT_TRUE(app.KillDialog(4, true, false, &kept));
    EXPECT_EQ(kept.get(), d);
    EXPECT_EQ(app.GetDialogCount(), 0);
    EXPECT_TRUE(app.GetWidgetManager()->GetChildren().empty());  // the buttons left too
    EXPECT_EQ(kept->GetResult(), 0);

    // Added again it works as before.
    Dialog* again = app.AddDialog(std::move(kept));
    EXPECT_EQ(again, d);
    ClickCentre(app.GetWidgetManager(), again->GetYesButton());
    EXPECT_EQ(app.clicks, std::vector<int>{2004});
}

TEST(FrameworkDialog, WaitForResultRunsTheLoopUntilAnAnswerEvenWhenTheHandlerKillsIt) {
    DialogApp app;
    AppStateAccess::Timing(app).updateState = Brisk::UpdateState::Decide;
    Dialog* d = app.DoDialog(5, true, "Quit?", "", "", Dialog::BUTTONS_YES_NO);
    // The answer's handler kills the dialog at once (its deletion waits for
    // the loop to unwind, but the wait must not touch it afterwards).
    app.onClick = [&](int id) {
        if (id == 3005) {
            app.KillDialog(5);
        }
    };
    Brisk::DialogButton* no = d->GetNoButton();
    const int64_t pos =
        Brisk::Platform::MakePointParam(no->m_x + no->m_width / 2, no->m_y + no->m_height / 2);
    app.HandleWindowMessage({0, MessageId::MouseMove, 0, pos});
    app.HandleWindowMessage({0, MessageId::LButtonDown, Brisk::Platform::kMouseLeft, pos});
    app.HandleWindowMessage({0, MessageId::LButtonUp, 0, pos});

    EXPECT_EQ(d->WaitForResult(true), 1001);
    EXPECT_EQ(app.clicks, std::vector<int>{3005});
    EXPECT_EQ(app.GetDialogCount(), 0);
    EXPECT_EQ(app.modalCloses, 1);
    app.ProcessSafeDeleteList();

    // A dialog that leaves the manager without an answer ends the wait with 0.
    Dialog* gone = app.DoDialog(6, false, "Gone", "", "", Dialog::BUTTONS_YES_NO);
    app.GetWidgetManager()->RemoveWidget(gone);
    EXPECT_EQ(gone->WaitForResult(true), 0);
    EXPECT_EQ(app.GetDialogCount(), 0);
}

TEST(FrameworkDialog, PlainDialogDrawsOutlineFaceAndShadow) {
    DialogApp app;
    Dialog d(nullptr, nullptr, 1, false, "", "", "", Dialog::BUTTONS_NONE, nullptr);
    d.Resize(0, 0, 100, 80);
    Brisk::MemoryImage canvas = TestSupport::Canvas(100, 80, 0xFF0000FF);
    Brisk::Graphics g(&canvas);
    d.Draw(&g);
    const uint32_t* p = canvas.GetBits();
    auto at = [&](int x, int y) { return p[y * 100 + x]; };
    EXPECT_EQ(at(5, 5), 0xFF0000FFu);    // outside the box
    EXPECT_EQ(at(12, 12), 0xFFFFFFFFu);  // outline
    EXPECT_EQ(at(87, 67), 0xFFFFFFFFu);  // its far corner
    EXPECT_EQ(at(50, 40), 0xFF505050u);  // face
    // The shadow: half black over the blue background.
    auto halfBlue = [](uint32_t px) {
        return (px & 0xFFFFFF00u) == 0xFF000000u && (px & 0xFF) >= 0x7E && (px & 0xFF) <= 0x81;
    };
    EXPECT_TRUE(halfBlue(at(94, 40))) << std::hex << at(94, 40);  // right
    EXPECT_TRUE(halfBlue(at(50, 74))) << std::hex << at(50, 74);  // bottom
    EXPECT_EQ(at(94, 15), 0xFF0000FFu);                           // the shadow starts 24 down
}
