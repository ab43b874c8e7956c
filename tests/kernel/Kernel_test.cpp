// Start-up, closing and shutdown order of the kernel.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "controls/Factory_impl.h"
#include "effects/EffectSystem_impl.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "kernel/IGame.h"
#include "kernel/ISysApp.h"
#include "kernel/Kernel.h"
#include "kernel/MainApp.h"
#include "support/AppStateAccess.h"
#include "support/PakFiles.h"
#include "support/TempDir.h"
#include "time/TimeSystem_impl.h"

using KernelLibrary::MainApp;

namespace {

// A game that records every call. `quitOnActivate` confirms closing at once;
// `quitOnRequest` answers a close request by quitting.
class FakeGame : public KernelLibrary::IGame {
public:
    void SetSysApp(KernelLibrary::ISysApp* sysApp) override {
        this->sysApp = sysApp;
        calls.push_back("SetSysApp");
    }
    void Initialize() override { calls.push_back("Initialize"); }
    void Release() override {
        calls.push_back("Release");
        auto* app = dynamic_cast<MainApp*>(sysApp);
        releasedBeforeBaseShutdown = app != nullptr && !app->IsShutdown();
    }
    void Activate() override {
        calls.push_back("Activate");
        if (quitOnActivate) {
            sysApp->Quit();
        }
    }
    void Deactivate() override { calls.push_back("Deactivate"); }
    void GetName(std::string& out) override { out = "Vornique"; }
    void GetVersion(std::string& out) override { out = "1.0"; }
    void RequestClose() override {
        calls.push_back("RequestClose");
        if (quitOnRequest) {
            sysApp->Quit();
        }
    }

    KernelLibrary::ISysApp* sysApp = nullptr;
    std::vector<std::string> calls;
    bool quitOnActivate = false;
    bool quitOnRequest = false;
    bool releasedBeforeBaseShutdown = false;
};

// Lets the main thread handle a finished loading thread, as the main loop does.
void CompleteLoading(MainApp& app) {
    AppStateAccess::Loading(app).threadStarted = true;
    AppStateAccess::Loading(app).threadCompleted = true;
    app.TryUpdate();
}

void SendClose(MainApp& app) {
    app.HandleWindowMessage({app.GetMainWindowId(), Brisk::Platform::MessageId::Close, 0, 0});
    app.ProcessDeferredMessages(false);
}

TEST(MainApp, TakesNameVersionAndScreenSizeFromTheGame) {
    FakeGame game;
    MainApp app(&game);
    EXPECT_EQ(AppStateAccess::Identity(app).productName, "Vornique");
    EXPECT_EQ(AppStateAccess::Identity(app).title, "Vornique");
    EXPECT_EQ(AppStateAccess::Identity(app).productVersion, "1.0");
    EXPECT_EQ(app.GetScreenSize(), (std::pair<int32_t, int32_t>{1024, 768}));
    EXPECT_EQ(KernelLibrary::GetScreenSize(), (std::pair<int32_t, int32_t>{1024, 768}));
    EXPECT_TRUE(AppStateAccess::Window(app).isWindowed);
}

TEST(MainApp, LoadingCompletionStartsTheGameInAFullScreenBridge) {
    FakeGame game;
    MainApp app(&game);
    game.SetSysApp(&app);
    CompleteLoading(app);
    ASSERT_NE(app.GetBridge(), nullptr);
    EXPECT_TRUE(app.GetBridge()->IsStarted());
    EXPECT_EQ(app.GetBridge()->m_width, 1024);
    EXPECT_EQ(app.GetBridge()->m_height, 768);
    EXPECT_EQ(app.GetWidgetManager()->GetFocus(), app.GetBridge());
    EXPECT_EQ(game.calls, (std::vector<std::string>{"SetSysApp", "Initialize", "Activate"}));
}

class MainAppLoadingTest : public TestSupport::TempDirTest {};

// The loading thread decodes no font sheet ahead: sheets are decoded on their
// first drawn glyph, after loading completes, so any decoded here would be
// dropped unused and only delay the first frame.
TEST_F(MainAppLoadingTest, TheLoadingThreadDecodesNoFontSheetAhead) {
    ImageLib::Image sheet(4, 2);
    const std::vector<uint8_t> png = ImageLib::EncodePNG(sheet);
    TestSupport::WriteScrambled(
        "data.pak", TestSupport::PlainArchive({{"fonts\\sheet.png", {png.begin(), png.end()}}}));
    ASSERT_TRUE(Brisk::PakInterface::Get()->AddArchive("data.pak"));
    FakeGame game;
    MainApp app(&game);
    app.LoadingThreadProc();
    EXPECT_EQ(app.CountPrefetchedPictures(), 0u);
}

// A demo once replayed its loading point twice: the game must start once.
TEST(MainApp, ASecondLoadingCompletionLeavesTheRunningGameAlone) {
    FakeGame game;
    MainApp app(&game);
    game.SetSysApp(&app);
    CompleteLoading(app);
    const auto* bridge = app.GetBridge();
    app.OnLoadingComplete();
    EXPECT_EQ(app.GetBridge(), bridge);
    EXPECT_EQ(game.calls, (std::vector<std::string>{"SetSysApp", "Initialize", "Activate"}));
}

TEST(MainApp, CloseAsksTheGameUntilItQuits) {
    FakeGame game;
    MainApp app(&game);
    game.SetSysApp(&app);
    CompleteLoading(app);
    game.calls.clear();

    SendClose(app);  // the game shows its confirmation and the player declines
    SendClose(app);
    EXPECT_FALSE(app.IsShutdown());
    EXPECT_EQ(game.calls, (std::vector<std::string>{"RequestClose", "RequestClose"}));
    ASSERT_NE(app.GetBridge(), nullptr);

    game.sysApp->Quit();  // the player confirmed
    EXPECT_TRUE(app.IsQuitRequested());
    EXPECT_FALSE(app.IsShutdown());  // the close is queued, not carried out inside Quit
    app.ProcessDeferredMessages(false);
    EXPECT_TRUE(app.IsShutdown());
    EXPECT_EQ(app.GetBridge(), nullptr);
    EXPECT_EQ(game.calls,
              (std::vector<std::string>{"RequestClose", "RequestClose", "Deactivate", "Release"}));
    EXPECT_TRUE(game.releasedBeforeBaseShutdown);
}

TEST(MainApp, ShutdownFromAnotherThreadBeforeLoadingNeverStartsTheGame) {
    FakeGame game;
    MainApp app(&game);
    game.SetSysApp(&app);
    std::thread other([&app] { app.Shutdown(); });
    other.join();
    CompleteLoading(app);
    EXPECT_EQ(app.GetBridge(), nullptr);
    EXPECT_EQ(game.calls, (std::vector<std::string>{"SetSysApp"}));
}

TEST(MainApp, SetScreenSizeResizesTheBridge) {
    FakeGame game;
    MainApp app(&game);
    game.SetSysApp(&app);
    CompleteLoading(app);
    app.SetScreenSize({800, 600});
    EXPECT_EQ(app.GetScreenSize(), (std::pair<int32_t, int32_t>{800, 600}));
    EXPECT_EQ(app.GetBridge()->m_width, 800);
    EXPECT_EQ(app.GetBridge()->m_height, 600);
}

TEST(MainApp, NoSettingsKeyMeansNoRegistryAccess) {
    FakeGame game;
    MainApp app(&game);
    uint32_t type = 0;
    uint8_t data[4] = {};
    uint32_t size = sizeof data;
    EXPECT_FALSE(app.ReadRegistryValue("MusicVolume", &type, data, &size, 0));
    EXPECT_FALSE(app.WriteRegistryValue("MusicVolume", 4, data, 4));
}

TEST(MainApp, TheGameReadsAndWritesRawSettingsUnderTheKey) {
    FakeGame game;
    MainApp app(&game);
    app.SetSettingsRoot(std::string(VQ_TEST_HOME) + "/kernel-settings");
    app.SetString("RegistryKey", "Tests\\Kernel");
    app.ReadFromRegistry();
    const uint8_t written[4] = {7, 0, 0, 0};
    ASSERT_TRUE(app.WriteRegistryValue("Game\\Level", 4, written, 4));
    EXPECT_FALSE(app.WriteRegistryValue("Game\\Level", 99, written, 4));  // no such type

    uint32_t type = 0;
    uint8_t data[4] = {};
    uint32_t size = 2;
    EXPECT_FALSE(app.ReadRegistryValue("Game\\Level", &type, data, &size, 0));
    EXPECT_EQ(size, 4u);  // too small: the size needed comes back
    ASSERT_TRUE(app.ReadRegistryValue("Game\\Level", &type, data, &size, 0));
    EXPECT_EQ(type, 4u);
    EXPECT_EQ(data[0], 7);
    int level = 0;
    ASSERT_TRUE(app.RegistryReadInteger("Game\\Level", &level));
    EXPECT_EQ(level, 7);
    EXPECT_FALSE(app.ReadRegistryValue("Game\\Missing", &type, data, &size, 0));
}

// Records what the game bridge hands to the control factory.
class FakeFactory : public ControlLibrary::IFactoryFrameTarget {
public:
    void TakeRedrawRequest(bool* flag) override {
        ++redrawPolls;
        if (pending) {
            *flag = true;
            pending = false;
        }
    }
    void DrawAll(Brisk::Graphics*) override { ++draws; }
    void MouseMove(int x, int y) override { Log("move", x, y); }
    void MouseDown(int x, int y, int n) override { Log("down", x, y, n); }
    void MouseUp(int x, int y, int n) override { Log("up", x, y, n); }
    void KeyChar(char ch) override { events.push_back("char " + std::to_string(ch)); }
    void KeyDown(int key) override { events.push_back("keydown " + std::to_string(key)); }
    void KeyUp(int key) override { events.push_back("keyup " + std::to_string(key)); }

    int redrawPolls = 0;
    int draws = 0;
    bool pending = false;
    std::vector<std::string> events;

private:
    void Log(const char* what, int x, int y, int n = 0) {
        events.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) +
                         (n != 0 ? " " + std::to_string(n) : ""));
    }
};

TEST(GameBridge, ReachesTheFactoryOnlyOnceTheGameHasStarted) {
    FakeGame game;
    MainApp app(&game);
    game.SetSysApp(&app);
    FakeFactory factory;
    app.SetFactoryTarget(&factory);
    app.UpdateOnce();
    KernelLibrary::IGameBridge detached(&app, &game, &factory);
    detached.Update();  // not added: the game has not started
    EXPECT_EQ(factory.redrawPolls, 0);

    CompleteLoading(app);  // adds the bridge and runs one update
    const int polls = factory.redrawPolls;
    EXPECT_GE(polls, 1);
    factory.pending = true;
    EXPECT_TRUE(app.GetWidgetManager()->UpdateFrame());  // the bridge is marked dirty
    EXPECT_EQ(factory.redrawPolls, polls + 1);
    EXPECT_TRUE(app.GetBridge()->IsDirty());
}

TEST(GameBridge, PassesEveryButtonWithItsClickCount) {
    FakeGame game;
    MainApp app(&game);
    game.SetSysApp(&app);
    FakeFactory factory;
    app.SetFactoryTarget(&factory);
    CompleteLoading(app);
    app.GetWidgetManager()->Resize({0, 0, 1024, 768}, {0, 0, 1024, 768});
    using Brisk::Platform::MessageId;
    const int64_t at = Brisk::Platform::MakePointParam(30, 40);
    for (MessageId id :
         {MessageId::RButtonDown, MessageId::RButtonUp, MessageId::MButtonDown,
          MessageId::MButtonUp, MessageId::LButtonDoubleClick, MessageId::LButtonUp}) {
        app.HandleWindowMessage({app.GetMainWindowId(), id, 0, at});
    }
    app.HandleWindowMessage({app.GetMainWindowId(), MessageId::KeyDown, 'Q', 0});
    app.HandleWindowMessage({app.GetMainWindowId(), MessageId::Char, 'q', 0});
    app.ProcessDeferredMessages(false);
    std::vector<std::string> clicks;
    for (const auto& e : factory.events) {
        if (e.rfind("move", 0) != 0) {
            clicks.push_back(e);
        }
    }
    EXPECT_EQ(clicks, (std::vector<std::string>{"down 30,40 -1", "up 30,40 -1", "down 30,40 3",
                                                "up 30,40 3", "down 30,40 2", "up 30,40 1",
                                                "keydown 81", "char 113"}));
}

TEST(GameBridge, DrawsNothingOnceTheApplicationHasShutDown) {
    FakeGame game;
    game.quitOnRequest = true;
    MainApp app(&game);
    game.SetSysApp(&app);
    FakeFactory factory;
    KernelLibrary::IGameBridge bridge(&app, &game, &factory);
    Brisk::Graphics g;
    bridge.Draw(&g);
    EXPECT_EQ(factory.draws, 1);
    SendClose(app);  // the game confirms at once
    app.ProcessDeferredMessages(false);
    ASSERT_TRUE(app.IsShutdown());
    bridge.Draw(&g);
    EXPECT_EQ(factory.draws, 1);
}

// The whole start-up and shutdown order with the real window (headless video driver).
TEST(Kernel, RunApplicationStartsTheGameAndShutsEverythingDown) {
    FakeGame game;
    game.quitOnActivate = true;
    const char* argv[] = {"vornique"};
    const KernelLibrary::InstanceHandle instance{1, argv};

    ASSERT_TRUE(KernelLibrary::RunApplication(&instance, &game));
    EXPECT_EQ(game.calls, (std::vector<std::string>{"SetSysApp", "Initialize", "Activate",
                                                    "Deactivate", "Release"}));
    EXPECT_TRUE(game.releasedBeforeBaseShutdown);
    ASSERT_NE(KernelLibrary::GetApp(), nullptr);
    EXPECT_TRUE(KernelLibrary::GetApp()->IsShutdown());
    EXPECT_NE(ControlLibrary::GetFactory(), nullptr);
    EXPECT_NE(EffectLibrary::GetEffectSystem(), nullptr);
    ASSERT_NE(TimeLibrary::GetTimeSystem(), nullptr);
    EXPECT_TRUE(TimeLibrary::GetTimeSystem()->IsTimerRunning());
    EXPECT_EQ(EffectLibrary::GetEffectSystem()->GetTimeSystem(), TimeLibrary::GetTimeSystem());

    KernelLibrary::ShutdownApplication();
    EXPECT_EQ(KernelLibrary::GetApp(), nullptr);
    EXPECT_EQ(ControlLibrary::GetFactory(), nullptr);
    EXPECT_EQ(EffectLibrary::GetEffectSystem(), nullptr);
    EXPECT_EQ(TimeLibrary::GetTimeSystem(), nullptr);
    KernelLibrary::ShutdownApplication();  // nothing left: does nothing
}

TEST(Kernel, CloseBoxGoesThroughTheGamesConfirmation) {
    FakeGame game;
    game.quitOnRequest = true;
    const KernelLibrary::InstanceHandle instance{0, nullptr};
    // Close the window from outside once the game runs.
    struct Closer : KernelLibrary::IGame {
        explicit Closer(FakeGame* g) : inner(g) {}
        void SetSysApp(KernelLibrary::ISysApp* s) override { inner->SetSysApp(s); }
        void Initialize() override { inner->Initialize(); }
        void Release() override { inner->Release(); }
        void Activate() override {
            inner->Activate();
            auto* app = KernelLibrary::GetApp();
            app->SendWindowMessage(
                {app->GetMainWindowId(), Brisk::Platform::MessageId::Close, 0, 0});
        }
        void Deactivate() override { inner->Deactivate(); }
        void GetName(std::string& out) override { inner->GetName(out); }
        void GetVersion(std::string& out) override { inner->GetVersion(out); }
        void RequestClose() override { inner->RequestClose(); }
        FakeGame* inner;
    } closer(&game);

    ASSERT_TRUE(KernelLibrary::RunApplication(&instance, &closer));
    KernelLibrary::ShutdownApplication();
    EXPECT_EQ(game.calls, (std::vector<std::string>{"SetSysApp", "Initialize", "Activate",
                                                    "RequestClose", "Deactivate", "Release"}));
}

}  // namespace
