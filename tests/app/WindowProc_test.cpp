// The window procedure and the deferred message queue.

#include <gtest/gtest.h>

#include "support/AppStateAccess.h"
#include "support/TestApp.h"

using Brisk::Platform::MessageId;
using Brisk::Platform::WindowMessage;
using TestSupport::RecordingWidget;
using TestSupport::TestApp;

namespace {

std::vector<MessageId> QueuedIds(const TestApp& app) {
    std::vector<MessageId> ids;
    for (const WindowMessage& m : app.GetDeferredMessages()) {
        ids.push_back(m.message);
    }
    return ids;
}

WindowMessage Msg(MessageId id, int64_t wparam = 0, int64_t lparam = 0) {
    return {0, id, wparam, lparam};
}

struct QueueCase {
    const char* name;
    std::vector<MessageId> sent;
    std::vector<MessageId> queued;
};

class QueueRuleTest : public ::testing::TestWithParam<QueueCase> {};

TEST_P(QueueRuleTest, CoalescesAsDocumented) {
    TestApp app;
    for (MessageId id : GetParam().sent) {
        app.HandleWindowMessage(Msg(id, 'A'));
    }
    EXPECT_EQ(QueuedIds(app), GetParam().queued);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, QueueRuleTest,
    ::testing::Values(
        QueueCase{"OneTimerKept",
                  {MessageId::Timer, MessageId::Timer, MessageId::KeyDown, MessageId::Timer},
                  {MessageId::Timer, MessageId::KeyDown}},
        QueueCase{"NothingAfterClose",
                  {MessageId::KeyDown, MessageId::Close, MessageId::KeyUp, MessageId::Timer,
                   MessageId::Close},
                  {MessageId::KeyDown, MessageId::Close}},
        QueueCase{"SecondDisplayChangeDropped",
                  {MessageId::DisplayChange, MessageId::DisplayChange, MessageId::SysColorChange},
                  {MessageId::DisplayChange}},
        QueueCase{"ColourChangeBlocksDisplayChange",
                  {MessageId::SysColorChange, MessageId::DisplayChange},
                  {MessageId::SysColorChange}},
        QueueCase{"ImmediateMessagesAreNotQueued",
                  {MessageId::Paint, MessageId::SysChar, MessageId::NonClientLButtonDown,
                   MessageId::Notify},
                  {}},
        QueueCase{"MouseAndKeysKeepTheirOrder",
                  {MessageId::MouseMove, MessageId::LButtonDown, MessageId::Char,
                   MessageId::LButtonUp, MessageId::MouseWheel},
                  {MessageId::MouseMove, MessageId::LButtonDown, MessageId::Char,
                   MessageId::LButtonUp, MessageId::MouseWheel}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowProc, NothingIsQueuedDuringAPopup) {
    TestApp app;
    AppStateAccess::Life(app).inPopup = true;
    app.HandleWindowMessage(Msg(MessageId::KeyDown, 'A'));
    app.HandleWindowMessage(Msg(MessageId::Timer));
    EXPECT_TRUE(app.GetDeferredMessages().empty());
}

TEST(WindowProc, KeySwallowedByEarlyHookIsNotQueued) {
    struct App : TestApp {
        bool OnKeyDownEarly(int key, bool ctrl, bool /*alt*/) override {
            return key == 'Q' && ctrl;
        }
    } app;
    app.HandleWindowMessage(Msg(MessageId::KeyDown, 'Q'));
    app.HandleWindowMessage(Msg(MessageId::KeyDown, Brisk::Platform::Vk::Control));
    app.HandleWindowMessage(Msg(MessageId::KeyDown, 'Q'));
    EXPECT_EQ(app.GetDeferredMessages().size(), 2u);  // 'Q' alone and Ctrl
}

TEST(WindowProc, CloseIsHandledInOrderAfterEarlierInput) {
    TestApp app;
    RecordingWidget widget;
    widget.Resize(0, 0, 100, 100);
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->SetFocus(&widget);
    widget.events.clear();

    app.HandleWindowMessage(Msg(MessageId::KeyDown, 'A'));
    app.HandleWindowMessage(Msg(MessageId::Close));
    app.HandleWindowMessage(Msg(MessageId::KeyDown, 'B'));
    // The window procedure itself never closes.
    EXPECT_FALSE(app.IsShutdown());

    EXPECT_TRUE(app.ProcessDeferredMessages(true));
    EXPECT_EQ(widget.events, std::vector<std::string>{"keydown 65"});
    EXPECT_FALSE(app.IsShutdown());
    EXPECT_FALSE(app.ProcessDeferredMessages(true));
    EXPECT_TRUE(app.IsShutdown());
    EXPECT_TRUE(AppStateAccess::Life(app).closeRequested);
    EXPECT_EQ(widget.events.size(), 1u);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

struct ClickCase {
    MessageId down;
    MessageId up;
    int64_t heldDuringDown;
    int downCount;
    int upCount;
};

class ClickCountTest : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ClickCountTest, ButtonsReachWidgetsWithFrameworkClickCounts) {
    const ClickCase c = GetParam();
    TestApp app;
    RecordingWidget widget;
    widget.Resize(10, 20, 100, 100);
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->Resize({0, 0, 640, 480}, {0, 0, 640, 480});

    const int64_t pos = Brisk::Platform::MakePointParam(15, 30);
    app.HandleWindowMessage(Msg(c.down, c.heldDuringDown, pos));
    app.HandleWindowMessage(Msg(c.up, 0, pos));
    app.ProcessDeferredMessages(false);

    ASSERT_EQ(widget.events.size(), 2u);
    EXPECT_EQ(widget.events[0], "down 5,10 " + std::to_string(c.downCount));
    EXPECT_EQ(widget.events[1], "up " + std::to_string(c.upCount));
    app.GetWidgetManager()->RemoveWidget(&widget);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ClickCountTest,
    ::testing::Values(ClickCase{MessageId::LButtonDown, MessageId::LButtonUp, 1, 1, 1},
                      ClickCase{MessageId::LButtonDoubleClick, MessageId::LButtonUp, 1, 2, 1},
                      ClickCase{MessageId::RButtonDown, MessageId::RButtonUp, 2, -1, -1},
                      ClickCase{MessageId::RButtonDoubleClick, MessageId::RButtonUp, 2, -2, -1},
                      ClickCase{MessageId::MButtonDown, MessageId::MButtonUp, 0x10, 3, 3},
                      ClickCase{MessageId::MButtonDoubleClick, MessageId::MButtonUp, 0x10, 3, 3}));

TEST(WindowProc, MousePositionsAreMappedThroughTheLetterbox) {
    TestApp app;
    RecordingWidget widget;
    widget.Resize(0, 0, 1024, 768);
    app.GetWidgetManager()->AddWidget(&widget);
    // The 1024 x 768 picture shown at half size, 100 pixels from the left.
    app.GetWidgetManager()->Resize({0, 0, 1024, 768}, {100, 0, 512, 384});
    app.HandleWindowMessage(
        Msg(MessageId::LButtonDown, 1, Brisk::Platform::MakePointParam(356, 192)));
    app.ProcessDeferredMessages(false);
    ASSERT_FALSE(widget.events.empty());
    EXPECT_EQ(widget.events[0], "down 512,384 1");
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(WindowProc, AltEnterDoesNotReachWidgetsButEnterDoes) {
    TestApp app;
    AppStateAccess::Window(app).forceWindowed =
        true;  // the toggle itself is refused while a mode is forced
    RecordingWidget widget;
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->SetFocus(&widget);
    widget.events.clear();

    app.HandleWindowMessage(Msg(MessageId::SysKeyDown, Brisk::Platform::Vk::Return));
    app.HandleWindowMessage(Msg(MessageId::KeyDown, Brisk::Platform::Vk::Return));
    app.ProcessDeferredMessages(false);
    EXPECT_EQ(widget.events, std::vector<std::string>{"keydown 13"});
    EXPECT_TRUE(AppStateAccess::Window(app).windowIsWindowed);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(WindowProc, MinimisingMutesAndRestoringUnmutes) {
    TestApp app;
    RecordingWidget widget;
    app.GetWidgetManager()->AddWidget(&widget);
    app.HandleWindowMessage(Msg(MessageId::ActivateApp, 1));
    app.ProcessDeferredMessages(false);
    ASSERT_TRUE(AppStateAccess::Input(app).hasFocus);
    ASSERT_FALSE(app.IsMuted());

    app.HandleWindowMessage(Msg(MessageId::Size, Brisk::Platform::kSizeMinimized));
    EXPECT_TRUE(AppStateAccess::Life(app).minimized);  // recorded at once
    app.ProcessDeferredMessages(false);
    EXPECT_TRUE(app.IsMuted());
    EXPECT_FALSE(AppStateAccess::Input(app).hasFocus);
    EXPECT_EQ(AppStateAccess::Volumes(app).muteCount, AppStateAccess::Volumes(app).autoMuteCount);

    widget.m_dirty = false;
    app.HandleWindowMessage(Msg(MessageId::Size, Brisk::Platform::kSizeRestored));
    app.ProcessDeferredMessages(false);
    EXPECT_FALSE(app.IsMuted());
    EXPECT_TRUE(AppStateAccess::Input(app).hasFocus);
    EXPECT_TRUE(widget.IsDirty());  // everything is redrawn

    app.Unmute(true);
    app.Unmute(false);
    EXPECT_EQ(AppStateAccess::Volumes(app).muteCount, 0);
    EXPECT_EQ(AppStateAccess::Volumes(app).autoMuteCount, 0);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(WindowProc, LosingFocusReleasesHeldButtonsAndKeys) {
    TestApp app;
    RecordingWidget widget;
    widget.Resize(0, 0, 100, 100);
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->SetFocus(&widget);
    app.GetWidgetManager()->Resize({0, 0, 640, 480}, {0, 0, 640, 480});
    app.HandleWindowMessage(Msg(MessageId::ActivateApp, 1));
    app.HandleWindowMessage(Msg(MessageId::KeyDown, 'X'));
    app.HandleWindowMessage(Msg(MessageId::LButtonDown, 1, Brisk::Platform::MakePointParam(5, 5)));
    app.ProcessDeferredMessages(false);
    widget.events.clear();

    app.HandleWindowMessage(Msg(MessageId::ActivateApp, 0));
    app.ProcessDeferredMessages(false);
    EXPECT_EQ(widget.events, (std::vector<std::string>{"keyup 88", "lostfocus", "up 1"}));
    EXPECT_FALSE(app.GetWidgetManager()->HasHeldButtons());
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(WindowProc, HoveringAHandCursorWidgetSetsTheApplicationsCursor) {
    TestApp app;
    RecordingWidget widget;
    widget.Resize(0, 0, 50, 50);
    widget.m_doFinger = true;
    app.GetWidgetManager()->AddWidget(&widget);
    app.GetWidgetManager()->Resize({0, 0, 640, 480}, {0, 0, 640, 480});
    app.HandleWindowMessage(Msg(MessageId::MouseMove, 0, Brisk::Platform::MakePointParam(5, 5)));
    app.ProcessDeferredMessages(false);
    EXPECT_EQ(AppStateAccess::Cursor(app).number, Brisk::CursorNumber::Hand);
    app.HandleWindowMessage(Msg(MessageId::MouseMove, 0, Brisk::Platform::MakePointParam(100, 5)));
    app.ProcessDeferredMessages(false);
    EXPECT_EQ(AppStateAccess::Cursor(app).number, Brisk::CursorNumber::Arrow);
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST(WindowProc, TimerMessagesRestartTheirRunAfterAGap) {
    TestApp app;
    AppStateAccess::Life(app).running = true;
    app.HandleWindowMessage(Msg(MessageId::Timer));
    app.ProcessDeferredMessages(false);
    const uint32_t first = AppStateAccess::Timing(app).timerRunStart;
    app.clock.Advance(100);
    app.HandleWindowMessage(Msg(MessageId::Timer));
    app.ProcessDeferredMessages(false);
    EXPECT_EQ(AppStateAccess::Timing(app).timerRunStart, first);
    app.clock.Advance(600);
    app.HandleWindowMessage(Msg(MessageId::Timer));
    app.ProcessDeferredMessages(false);
    EXPECT_EQ(AppStateAccess::Timing(app).timerRunStart, app.clock.Milliseconds());
}

}  // namespace
