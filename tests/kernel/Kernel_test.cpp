// Start-up, closing and shutdown order of the kernel.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "controls/Factory_impl.h"
#include "effects/EffectSystem_impl.h"
#include "framework/widgets/WidgetManager.h"
#include "kernel/IGame.h"
#include "kernel/ISysApp.h"
#include "kernel/Kernel.h"
#include "kernel/MainApp.h"
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
    app.m_loadingThreadStarted = true;
    app.m_loadingThreadCompleted = true;
    app.TryUpdate();
}

void SendClose(MainApp& app) {
    app.HandleWindowMessage({app.GetMainWindowId(), Brisk::Platform::MessageId::Close, 0, 0});
    app.ProcessDeferredMessages(false);
}

TEST(MainApp, TakesNameVersionAndScreenSizeFromTheGame) {
    FakeGame game;
    MainApp app(&game);
    EXPECT_EQ(app.m_productName, "Vornique");
    EXPECT_EQ(app.m_title, "Vornique");
    EXPECT_EQ(app.m_productVersion, "1.0");
    EXPECT_EQ(app.GetScreenSize(), (std::pair<int32_t, int32_t>{1024, 768}));
    EXPECT_EQ(KernelLibrary::GetScreenSize(), (std::pair<int32_t, int32_t>{1024, 768}));
    EXPECT_TRUE(app.m_isWindowed);
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
