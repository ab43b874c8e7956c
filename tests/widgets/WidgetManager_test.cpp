// The widget tree and the widget manager: walks, order, hit testing, hover,
// capture, focus, modal layers, keyboard and dirty marking.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

using Brisk::Widget;
using Brisk::WidgetManager;

namespace {

// Logs every event as "<name>:<event>" into a shared journal.
class Probe : public Widget {
public:
    Probe(std::string name, std::vector<std::string>* log, int x = 0, int y = 0, int w = 100,
          int h = 100)
        : m_name(std::move(name)), m_log(log) {
        m_x = x;
        m_y = y;
        m_width = w;
        m_height = h;
    }
    void Update() override {
        Widget::Update();
        Log("update");
        if (onUpdate) {
            onUpdate();
        }
    }
    void Draw(Brisk::Graphics*) override { Log("draw"); }
    void MouseEnter() override { Log("enter"); }
    void MouseLeave() override { Log("leave"); }
    void MouseDown(int x, int y, int clickCount) override {
        Log("down " + std::to_string(x) + "," + std::to_string(y) + " " +
            std::to_string(clickCount));
    }
    void MouseUp(int, int, int clickCount) override { Log("up " + std::to_string(clickCount)); }
    void MouseDrag(int x, int y) override {
        Log("drag " + std::to_string(x) + "," + std::to_string(y));
    }
    void KeyDown(int key) override { Log("keydown " + std::to_string(key)); }
    void KeyUp(int key) override { Log("keyup " + std::to_string(key)); }
    void KeyChar(char ch) override { Log("char " + std::to_string(static_cast<int>(ch))); }
    void GotFocus() override {
        Widget::GotFocus();
        Log("gotfocus");
    }
    void LostFocus() override {
        Widget::LostFocus();
        Log("lostfocus");
    }

    std::function<void()> onUpdate;

private:
    void Log(const std::string& what) { m_log->push_back(m_name + ":" + what); }
    std::string m_name;
    std::vector<std::string>* m_log;
};

std::vector<std::string> Only(const std::vector<std::string>& log, const std::string& suffix) {
    std::vector<std::string> out;
    for (const auto& e : log) {
        if (e.size() >= suffix.size() &&
            e.compare(e.size() - suffix.size(), suffix.size(), suffix) == 0) {
            out.push_back(e);
        }
    }
    return out;
}

class WidgetManagerTest : public ::testing::Test {
protected:
    WidgetManagerTest() { manager.Resize({0, 0, 640, 480}, {0, 0, 640, 480}); }
    std::vector<std::string> log;
    WidgetManager manager;
};

TEST_F(WidgetManagerTest, WidgetsRemovingThemselvesOrOthersDuringUpdateKeepTheWalkIntact) {
    Probe a("a", &log), b("b", &log), c("c", &log), d("d", &log);
    for (Probe* p : {&a, &b, &c, &d}) {
        manager.AddWidget(p);
    }
    b.onUpdate = [&] {
        manager.RemoveWidget(&b);  // itself
        manager.RemoveWidget(&c);  // and the next sibling
    };
    manager.UpdateFrame();
    EXPECT_EQ(Only(log, "update"), (std::vector<std::string>{"a:update", "b:update", "d:update"}));
    log.clear();
    manager.UpdateFrame();
    EXPECT_EQ(Only(log, "update"), (std::vector<std::string>{"a:update", "d:update"}));
}

// A widget re-ordering itself or siblings from its Update: the walk goes on
// over live nodes (AddressSanitizer saw a freed node here); a widget moved
// behind the walk waits for the next frame, none is updated twice.
TEST_F(WidgetManagerTest, ReorderingDuringUpdateKeepsTheWalkOnLiveNodes) {
    Probe a("a", &log), b("b", &log), c("c", &log), d("d", &log);
    for (Probe* p : {&a, &b, &c, &d}) {
        manager.AddWidget(p);
    }
    b.onUpdate = [&] {
        manager.BringToFront(&b);
        manager.BringToBack(&c);
        manager.PutBehind(&d, &a);
        manager.PutInFront(&a, &b);
    };
    manager.UpdateFrame();
    const auto updates = Only(log, "update");
    EXPECT_EQ(updates, (std::vector<std::string>{"a:update", "b:update"}));
    b.onUpdate = nullptr;
    log.clear();
    manager.UpdateFrame();
    EXPECT_EQ(Only(log, "update"),
              (std::vector<std::string>{"c:update", "d:update", "b:update", "a:update"}));
}

TEST_F(WidgetManagerTest, ZOrderKeepsHigherWidgetsOnTopAndEqualOnesInArrivalOrder) {
    Probe low("low", &log), high("high", &log), second("second", &log), late("late", &log);
    high.m_zOrder = 5;
    manager.AddWidget(&low);
    manager.AddWidget(&high);
    manager.AddWidget(&second);  // z 0 like low: above low, below high
    manager.AddWidget(&late);
    auto order = [&] {
        std::vector<Widget*> v(manager.GetChildren().begin(), manager.GetChildren().end());
        return v;
    };
    EXPECT_EQ(order(), (std::vector<Widget*>{&low, &second, &late, &high}));
    manager.BringToFront(&low);
    EXPECT_EQ(order(), (std::vector<Widget*>{&second, &late, &low, &high}));
    manager.BringToBack(&high);
    EXPECT_EQ(order().back(), &high);  // a higher z-order cannot be sent below lower ones
    manager.PutBehind(&late, &second);
    EXPECT_EQ(order(), (std::vector<Widget*>{&late, &second, &low, &high}));
    EXPECT_TRUE(manager.IsBelow(&late, &high));
    EXPECT_FALSE(manager.IsBelow(&high, &late));
}

TEST_F(WidgetManagerTest, HigherHitPriorityWinsOverTheUpperWidget) {
    Probe lower("lower", &log, 0, 0, 100, 100), upper("upper", &log, 50, 50, 100, 100);
    manager.AddWidget(&lower);
    manager.AddWidget(&upper);
    EXPECT_EQ(manager.GetWidgetAt(60, 60), &upper);  // equal priority: the upper one
    lower.SetHitPriority(600);
    int lx = 0, ly = 0;
    EXPECT_EQ(manager.GetWidgetAt(60, 60, &lx, &ly), &lower);
    EXPECT_EQ(lx, 60);
    upper.m_mouseVisible = false;
    lower.SetHitPriority(500);
    EXPECT_EQ(manager.GetWidgetAt(120, 120), nullptr);  // only the invisible-to-mouse one there
    lower.SetDisabled(true);
    EXPECT_EQ(manager.GetWidgetAt(10, 10), nullptr);
}

TEST_F(WidgetManagerTest, SecondButtonGoesToTheCapturedWidgetAndCaptureEndsWithTheLast) {
    Probe first("first", &log, 0, 0, 100, 100), other("other", &log, 200, 0, 100, 100);
    manager.AddWidget(&first);
    manager.AddWidget(&other);
    manager.MouseDown(10, 10, 1);
    manager.MouseMove(250, 10);  // dragged over the other widget
    manager.MouseDown(250, 10, -1);
    EXPECT_EQ(manager.GetCapturedWidget(), &first);
    manager.MouseUp(250, 10, 1);
    EXPECT_EQ(manager.GetCapturedWidget(), &first);  // the right button is still held
    manager.MouseUp(250, 10, -1);
    EXPECT_EQ(manager.GetCapturedWidget(), nullptr);
    const std::vector<std::string> firstEvents = [&] {
        std::vector<std::string> v;
        for (const auto& e : log) {
            if (e.rfind("first:", 0) == 0 && e.find("enter") == std::string::npos &&
                e.find("leave") == std::string::npos) {
                v.push_back(e);
            }
        }
        return v;
    }();
    EXPECT_EQ(firstEvents,
              (std::vector<std::string>{"first:down 10,10 1", "first:drag 250,10",
                                        "first:down 250,10 -1", "first:up 1", "first:up -1"}));
    EXPECT_EQ(manager.GetOverWidget(), &other);  // hover re-evaluated after the last up
}

TEST_F(WidgetManagerTest, HidingOrDisablingTheHoveredWidgetLeavesIt) {
    Probe a("a", &log, 0, 0, 100, 100), b("b", &log, 0, 0, 100, 100);
    manager.AddWidget(&a);
    manager.MouseMove(10, 10);
    ASSERT_EQ(manager.GetOverWidget(), &a);
    a.SetVisible(false);
    EXPECT_EQ(manager.GetOverWidget(), nullptr);
    EXPECT_EQ(log.back(), "a:leave");
    a.SetVisible(true);
    EXPECT_EQ(manager.GetOverWidget(), &a);
    manager.AddWidget(&b);
    EXPECT_EQ(manager.GetOverWidget(), &b);  // a new widget on top takes the hover
    manager.SetFocus(&b);
    b.SetDisabled(true);
    EXPECT_EQ(manager.GetFocus(), nullptr);
    EXPECT_EQ(manager.GetOverWidget(), nullptr);
    EXPECT_EQ(log.back(), "b:lostfocus");
    EXPECT_FALSE(b.HasFocus());
    manager.MouseMove(11, 11);  // a disabled widget on top is no target, and hides the one below
    EXPECT_EQ(manager.GetOverWidget(), nullptr);
    b.SetDisabled(false);  // enabled under the pointer: hovered again at once
    EXPECT_EQ(manager.GetOverWidget(), &b);
}

// With a button held the pressed widget keeps the hover; hiding or disabling
// it still sends the leave.
TEST_F(WidgetManagerTest, HidingOrDisablingThePressedWidgetLeavesItWhileTheButtonIsHeld) {
    for (bool hide : {true, false}) {
        Probe a("a", &log, 0, 0, 100, 100);
        manager.AddWidget(&a);
        manager.MouseMove(10, 10);
        manager.MouseDown(10, 10, 1);
        ASSERT_EQ(manager.GetOverWidget(), &a);
        log.clear();
        if (hide) {
            a.SetVisible(false);
        } else {
            a.SetDisabled(true);
        }
        EXPECT_EQ(manager.GetOverWidget(), nullptr) << hide;
        EXPECT_FALSE(a.IsOver());
        EXPECT_EQ(std::count(log.begin(), log.end(), "a:leave"), 1) << hide;
        manager.MouseUp(10, 10, 1);
        manager.RemoveWidget(&a);
    }
}

TEST_F(WidgetManagerTest, ModalLayerBlocksInputBelowAndRestoresFocus) {
    Probe below("below", &log, 0, 0, 300, 300), dialog("dialog", &log, 100, 100, 50, 50);
    below.m_wantsFocus = true;
    dialog.m_wantsFocus = true;
    manager.AddWidget(&below);
    manager.AddWidget(&dialog);
    manager.SetFocus(&below);
    manager.BeginModal(&dialog);
    EXPECT_EQ(manager.GetFocus(), nullptr);  // focus below the base is taken
    log.clear();
    manager.MouseDown(10, 10, 1);
    manager.MouseUp(10, 10, 1);
    EXPECT_TRUE(log.empty());  // nothing below the modal base is hit
    manager.MouseDown(110, 110, 1);
    manager.MouseUp(110, 110, 1);
    EXPECT_EQ(manager.GetFocus(), &dialog);
    manager.SetFocus(nullptr);
    manager.EndModal(&below);  // not the top layer's widget: ignored
    EXPECT_EQ(manager.GetModalBase(), &dialog);
    manager.EndModal(&dialog);
    EXPECT_EQ(manager.GetModalBase(), nullptr);
    EXPECT_EQ(manager.GetFocus(), &below);
    manager.MouseDown(10, 10, 1);
    EXPECT_EQ(log.back(), "below:down 10,10 1");
    manager.MouseUp(10, 10, 1);
}

TEST_F(WidgetManagerTest, CtrlTabIsACharacterForTheDefaultTabWidgetAndItsKeyUpIsSwallowed) {
    Probe focus("focus", &log), tab("tab", &log);
    manager.AddWidget(&focus);
    manager.AddWidget(&tab);
    manager.SetFocus(&focus);
    manager.SetDefaultTab(&tab);
    log.clear();
    manager.KeyDown(17);
    manager.KeyDown(9);
    manager.KeyChar(9);
    manager.KeyUp(9);
    manager.KeyUp(17);
    EXPECT_EQ(log, (std::vector<std::string>{"focus:keydown 17", "focus:keydown 9", "tab:char 9",
                                             "focus:keyup 17"}));
}

TEST_F(WidgetManagerTest, LosingApplicationFocusSendsKeyUpsForHeldKeys) {
    Probe focus("focus", &log);
    manager.AddWidget(&focus);
    manager.SetFocus(&focus);
    manager.KeyDown('A');
    manager.KeyDown(16);
    log.clear();
    manager.LoseFocus();
    EXPECT_EQ(log,
              (std::vector<std::string>{"focus:keyup 16", "focus:keyup 65", "focus:lostfocus"}));
    EXPECT_FALSE(manager.IsKeyDown('A'));
    manager.SetFocus(nullptr);
    manager.SetFocus(&focus);  // without application focus no GotFocus yet
    EXPECT_EQ(log.back(), "focus:lostfocus");
    manager.GainFocus();
    EXPECT_EQ(log.back(), "focus:gotfocus");
}

TEST_F(WidgetManagerTest, OnlyDirtyWidgetsAreRedrawnAndAnOpaqueWidgetStopsTheMarking) {
    Brisk::MemoryImage screen;
    screen.Create(640, 480);
    manager.SetScreenImage(&screen);
    Probe back("back", &log, 0, 0, 640, 480), cover("cover", &log, 10, 10, 200, 200),
        top("top", &log, 20, 20, 50, 50), apart("apart", &log, 400, 400, 50, 50);
    for (Probe* p : {&back, &cover, &top, &apart}) {
        manager.AddWidget(p);
    }
    top.m_hasTransparency = true;
    manager.DrawScreen();
    log.clear();
    EXPECT_FALSE(manager.DrawScreen());  // nothing dirty, nothing drawn
    EXPECT_TRUE(log.empty());

    // The transparent top widget changes: what shows through is redrawn, down
    // to the opaque widget that covers it, which hides the background.
    top.MarkDirty();
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(Only(log, "draw"), (std::vector<std::string>{"cover:draw", "top:draw"}));

    // A change elsewhere redraws that widget and the opaque one right under it.
    log.clear();
    apart.MarkDirty();
    manager.DrawScreen();
    EXPECT_EQ(Only(log, "draw"), (std::vector<std::string>{"back:draw", "apart:draw"}));
    manager.SetScreenImage(nullptr);
}

TEST_F(WidgetManagerTest, ResizeMarksTheOldAndNewAreasAndTabMovesFocus) {
    Brisk::MemoryImage screen;
    screen.Create(640, 480);
    manager.SetScreenImage(&screen);
    Probe back("back", &log, 0, 0, 640, 480), a("a", &log, 0, 0, 10, 10), b("b", &log);
    back.m_hasTransparency = true;
    manager.AddWidget(&back);
    manager.AddWidget(&a);
    manager.DrawScreen();
    log.clear();
    a.Resize(100, 100, 10, 10);
    manager.DrawScreen();
    EXPECT_EQ(Only(log, "draw"), (std::vector<std::string>{"back:draw", "a:draw"}));
    manager.SetScreenImage(nullptr);

    manager.AddWidget(&b);
    a.m_tabNext = &b;
    b.m_tabPrev = &a;
    manager.SetFocus(&a);
    a.Widget::KeyDown(9);
    EXPECT_EQ(manager.GetFocus(), &b);
}

TEST(WidgetManagerMapping, WindowPointsMapThroughTheMouseRectangle) {
    WidgetManager manager;
    manager.Resize({0, 0, 1024, 768}, {100, 50, 512, 384});
    int x = 356, y = 242;
    manager.MapWindowPoint(&x, &y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 384);
}

}  // namespace

namespace {

// 10 pixels a character, ascent 8, height 12; records what it draws.
class GridFont : public Brisk::Font {
public:
    GridFont() {
        m_ascent = 8;
        m_height = 12;
    }
    int CharWidthKern(char32_t, char32_t) override { return 10; }
    void DrawString(Brisk::Graphics*, int x, int y, const std::string& text, const Brisk::Color&,
                    const Brisk::Rect&) override {
        lines.push_back(std::to_string(x) + "," + std::to_string(y) + ":" + text);
    }
    std::vector<std::string> lines;
};

TEST(WidgetText, WordWrappingBreaksAtSpacesAndLineBreaks) {
    Brisk::MemoryImage canvas;
    canvas.Create(200, 200);
    Brisk::Graphics g(&canvas);
    GridFont font;
    g.SetFont(&font);
    Widget w;
    w.m_width = 200;
    const int height = w.WriteWordWrapped(&g, {5, 0, 60, 100}, "aa bb cc dddddd\nee", -1, -1);
    EXPECT_EQ(font.lines,
              (std::vector<std::string>{"5,8:aa bb", "5,20:cc", "5,32:dddddd", "5,44:ee"}));
    EXPECT_EQ(height, 48);
    font.lines.clear();
    EXPECT_EQ(w.GetWordWrappedHeight(&g, 60, "aa bb cc dddddd\nee"), 48);
    EXPECT_TRUE(font.lines.empty());  // measuring draws nothing

    const Brisk::Rect r = w.WriteCenteredLine(&g, 50, "abcd");
    EXPECT_EQ(font.lines.back(), "80,50:abcd");
    EXPECT_EQ(r, (Brisk::Rect{80, 42, 40, 12}));
    EXPECT_EQ(w.GetNumDigits(0), 1);
    EXPECT_EQ(w.GetNumDigits(9), 1);
    EXPECT_EQ(w.GetNumDigits(10), 2);
    EXPECT_EQ(w.GetNumDigits(-12345), 5);
}

TEST(WidgetText, NumbersAreDrawnFromADigitStrip) {
    // Ten 2 x 1 cells; cell d has colour d + 1.
    std::vector<uint32_t> strip(20);
    for (uint32_t d = 0; d < 10; ++d) {
        strip[2 * d] = strip[2 * d + 1] = 0xFF000000u | (d + 1);
    }
    Brisk::MemoryImage digits;
    digits.SetBits(strip.data(), 20, 1);
    Brisk::MemoryImage canvas;
    std::vector<uint32_t> black(20, 0xFF000000u);
    canvas.SetBits(black.data(), 20, 1);
    Brisk::Graphics g(&canvas);
    Widget w;
    w.WriteNumberFromStrip(&g, 907, 1, 0, &digits, 1);
    const uint32_t* px = canvas.GetBits();
    EXPECT_EQ(px[1], 0xFF00000Au);  // 9
    EXPECT_EQ(px[2], 0xFF00000Au);
    EXPECT_EQ(px[3], 0xFF000000u);  // spacing
    EXPECT_EQ(px[4], 0xFF000001u);  // 0
    EXPECT_EQ(px[7], 0xFF000008u);  // 7
}

TEST(WidgetOverlays, OverlaysAreDrawnAfterTheWidgetsInAscendingPriority) {
    std::vector<std::string> log;
    struct Deferring : Widget {
        Deferring(std::vector<std::string>* l, int p) : log(l), priority(p) {
            m_width = m_height = 10;
        }
        void Draw(Brisk::Graphics*) override {
            log->push_back("draw " + std::to_string(priority));
            GetManager()->DeferOverlay(this, priority);
        }
        void DrawOverlay(Brisk::Graphics*, int p) override {
            log->push_back("overlay " + std::to_string(p));
        }
        std::vector<std::string>* log;
        int priority;
    };
    WidgetManager manager;
    Brisk::MemoryImage screen;
    screen.Create(50, 50);
    manager.SetScreenImage(&screen);
    manager.Resize({0, 0, 50, 50}, {0, 0, 50, 50});
    Deferring high(&log, 7), low(&log, 2);
    manager.AddWidget(&high);
    manager.AddWidget(&low);
    manager.DrawScreen();
    EXPECT_EQ(log, (std::vector<std::string>{"draw 7", "draw 2", "overlay 2", "overlay 7"}));
    manager.SetScreenImage(nullptr);
}

}  // namespace
