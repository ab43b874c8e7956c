#pragma once

// The whole program on SDL's dummy drivers: the real application object,
// kernel, control factory and game, with input pushed through SDL's event
// queue as a player's would travel. The game's time is stepped by hand, or,
// while a demo records, follows the updates as it does in the program.

#include <gtest/gtest.h>

#include "common/Catalogue.h"
#include "support/AppStateAccess.h"
#include "support/Golden.h"
#include "support/SdlInput.h"
#include "support/TempDir.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/ButtonVO.h"
#include "controls/EditBoxVO.h"
#include "controls/Factory_impl.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Process.h"
#include "framework/platform/Window.h"
#include "framework/resources/ImageLib.h"
#include "framework/widgets/WidgetManager.h"
#include "game/CardSets.h"
#include "game/FieldMgr.h"
#include "game/GameImpl.h"
#include "game/GameMgr.h"
#include "game/OptionsDlg.h"
#include "game/Profiles.h"
#include "game/StartMgr.h"
#include "kernel/MainApp.h"
#include "time/TimeSystem_impl.h"

namespace fs = std::filesystem;
using Gamespace::FieldMgr;
using Bytes = std::vector<uint8_t>;

namespace {

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline std::string LabelText(ControlLibrary::IStringVO* label) {
    std::string text;
    label->GetText(text);
    return text;
}

class WholeGame : public TestSupport::TempDirTest {
protected:
    // When every game of these tests is finished: 2026-12-11 09:00:00 UTC.
    static constexpr int64_t kGameDate = 1796979600;
    void SetUp() override {
        TempDirTest::SetUp();
        if (m_linkData) {
            fs::create_symlink(VQ_DATA_PAK, "data.pak");
        }
        m_dirArg = "-changedir=" + fs::current_path().string();
        std::vector<const char*> argv = {"vornique", m_dirArg.c_str()};
        for (const std::string& arg : m_extraArgs) {
            argv.push_back(arg.c_str());
        }
        Brisk::Platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
        if (m_ownDataFolder) {
            // Screenshots and demos in this test's folder.
            if (const char* old = std::getenv("XDG_DATA_HOME")) {
                m_oldDataHome = old;
            }
            setenv("XDG_DATA_HOME", (fs::current_path() / "data").c_str(), 1);
        }
        TimeLibrary::CreateTimeSystem(timeClock);
        game = std::make_unique<Gamespace::GameImpl>();
        app = std::make_unique<KernelLibrary::MainApp>(game.get());
        app->SetClock(&appClock);
        app->SetExitHandler([this](int code) {
            if (m_linkData) {
                FAIL() << "exit " << code;
            }
            exitCodes.push_back(code);
        });
        app->Init();
        ASSERT_NE(app->GetWindow(), nullptr);
        // The texts' language is the test's, whatever the machine's locale.
        app->UseLanguage({m_language});
        if (!app->IsRecordingDemo()) {
            Gamespace::SetHistoryClock([] { return kGameDate; });  // the game took the app's
        }
        if (app->IsRecordingDemo()) {
            app->StartTime();  // the game's time follows the updates, as in the program
        } else {
            // The same fields at every run, for the reference pictures.
            AppStateAccess::Life(*app).randomSeed = kDealSeed;
        }
        ControlLibrary::CreateFactory(app.get());
        ASSERT_NE(ControlLibrary::GetFactory(), nullptr);
        AppStateAccess::Loading(*app).threadStarted = true;
        AppStateAccess::Loading(*app).threadCompleted = true;
        Frames(2);  // the loading completes: the game starts on the start screen
        ASSERT_NE(app->GetBridge(), nullptr);
    }
    void TearDown() override {
        if (TimeLibrary::GetTimeSystem() != nullptr) {
            TimeLibrary::GetTimeSystem()->DestroyAllTimeObjects();
        }
        ControlLibrary::DestroyFactory();
        app.reset();
        game.reset();
        FieldMgr::Destroy();
        Gamespace::CardSets::Destroy();
        Gamespace::PlayerList::Destroy();
        Gamespace::ClearOptionObservers();
        Gamespace::GetOptionValues() = {};  // the next test starts from the defaults
        Gamespace::SetHistoryClock(nullptr);
        CommonLibrary::SetCatalogue(std::nullopt);
        TimeLibrary::DestroyTimeSystem();
        const char* argv[] = {"vornique"};
        Brisk::Platform::SetCommandLine(1, argv);
        if (m_ownDataFolder && m_oldDataHome) {
            setenv("XDG_DATA_HOME", m_oldDataHome->c_str(), 1);
        }
        TempDirTest::TearDown();
    }

    uint32_t Window() const { return app->GetWindow()->Id(); }
    // Main-loop steps: events pumped and handled, updates, drawing.
    void Frames(int n) {
        for (int i = 0; i < n && !app->IsShutdown(); ++i) {
            bool updated = false;
            app->UpdateAppStep(&updated);
            ComparePartialDraw();
            appClock.Advance(10'000);
        }
    }
    // After a draw of only the changed objects, the back buffer must be what
    // drawing everything gives, to the pixel: the whole screen is drawn
    // again, as the main loop would, and compared.
    void ComparePartialDraw() {
        ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactory();
        if (!m_comparePartialDraws || factory == nullptr ||
            factory->GetPartialDrawCount() == m_partialDrawsSeen) {
            return;
        }
        m_partialDrawsSeen = factory->GetPartialDrawCount();
        Brisk::DDImage* screen = app->GetDisplay()->GetScreenImage();
        const int count = screen->GetWidth() * screen->GetHeight();
        const std::vector<uint32_t> partial(screen->GetBits(), screen->GetBits() + count);
        app->GetWidgetManager()->MarkAllDirty();
        app->GetWidgetManager()->DrawScreen();
        const uint32_t* full = screen->GetBits();
        // The byte above the colour is never shown (the frame is presented as XRGB).
        const auto [p, f] =
            std::mismatch(partial.begin(), partial.end(), full,
                          [](uint32_t a, uint32_t b) { return ((a ^ b) & 0xFFFFFFu) == 0; });
        EXPECT_TRUE(p == partial.end())
            << "partial draw " << m_partialDrawsSeen << " differs first at x "
            << (p - partial.begin()) % screen->GetWidth() << ", y "
            << (p - partial.begin()) / screen->GetWidth();
        ++m_partialDrawsCompared;
    }
    // Lets `ms` pass on the timer thread, with the main loop running along.
    void Wait(int ms) {
        if (app->IsRecordingDemo()) {
            // Time follows the updates: run until that many have passed.
            auto& counters = AppStateAccess::Counters(*app);
            const int target = counters.updates + ms / 10;
            for (int i = 0; i < 4 * ms / 10 + 8 && counters.updates < target; ++i) {
                Frames(1);
            }
            Frames(3);
            return;
        }
        for (int t = 0; t < ms; t += 5) {
            TimeLibrary::GetTimeSystem()->Step();
            if (t % 50 == 0) {
                Frames(1);
            }
        }
        Frames(3);
    }
    void Click(int x, int y, int clicks = 1) {
        TestSupport::PushMouseMove(Window(), x, y);
        TestSupport::PushMouseButton(Window(), true, x, y, clicks);
        TestSupport::PushMouseButton(Window(), false, x, y, clicks);
        Frames(8);
        Settle();
    }
    // The game's time stands still between Waits here (but for a recording
    // demo, whose time follows the frames): what a press set moving is
    // brought to its end, as the next press would, so checks read the field
    // at rest. Tests of the motion itself press without this.
    void Settle() {
        if (!app->IsRecordingDemo() && !app->IsShutdown() && !Gamespace::ReduceMotion()) {
            FieldMgr::Instance()->FinishMotion();
            Frames(1);
        }
    }
    void Click(ControlLibrary::IVisibleObject* object) {
        const ControlLibrary::Rect r = object->GetScreenRect();
        Click(r.x + r.width / 2, r.y + r.height / 2);
    }
    void Key(int32_t sdlKey) {
        TestSupport::PushKey(Window(), sdlKey, true);
        TestSupport::PushKey(Window(), sdlKey, false);
        Frames(6);
        Settle();
    }
    void Type(const std::string& text) {
        TestSupport::PushText(Window(), text);
        Frames(6);
    }
    void CloseWindow() {
        app->SendWindowMessage({app->GetMainWindowId(), Brisk::Platform::MessageId::Close, 0, 0});
        Frames(4);
    }
    // The drawn back buffer; written as `name`.png into $VQ_SCREENS_DIR when
    // that is set, to look at.
    std::vector<uint32_t> Screen(const std::string& name) {
        Wait(20);  // the factory's 5 ms poll asks for the redraw
        Frames(30);
        Brisk::DDImage* screen = app->GetDisplay()->GetScreenImage();
        const uint32_t* bits = screen->GetBits();
        std::vector<uint32_t> pixels(bits, bits + screen->GetWidth() * screen->GetHeight());
        if (const char* dir = std::getenv("VQ_SCREENS_DIR")) {
            ImageLib::Image out(screen->GetWidth(), screen->GetHeight());
            for (size_t i = 0; i < pixels.size(); ++i) {
                out.m_bits[i] = pixels[i] | 0xFF000000u;
            }
            EXPECT_TRUE(ImageLib::WritePNG(std::string(dir) + "/" + name + ".png", out));
        }
        return pixels;
    }
    Gamespace::StartMgr* Start() const { return game->GetStartModule(); }
    Gamespace::GameMgr* Play() const { return game->GetGameModule(); }
    bool Shown(Gamespace::BaseDialog* dialog) const { return dialog->GetDialog()->IsShown(); }
    // The cards of every pair, by pair number.
    std::map<uint16_t, std::vector<FieldMgr::Card*>> Pairs() const {
        std::map<uint16_t, std::vector<FieldMgr::Card*>> pairs;
        for (const auto& card : FieldMgr::Instance()->GetCards()) {
            pairs[card->pair].push_back(card.get());
        }
        return pairs;
    }
    std::string FinishText() const {
        auto* impl = static_cast<ControlLibrary::TextBoxVO_impl*>(
            static_cast<ControlLibrary::TextBoxVO_bridge*>(Play()->GetFinishDialog()->GetTextBox())
                ->GetImpl());
        std::string text;
        for (const auto& line : impl->GetLines()) {
            text += line.text;
        }
        return text;
    }
    // Turns the first pair still in play, second card first (a wrong pair
    // still up turns back at the first press); false when none is left.
    bool TakeAPair() {
        for (const auto& [pair, two] : Pairs()) {
            if (two[0]->inPlay) {
                Click(two[1]->cover);
                Click(two[0]->cover);
                return true;
            }
        }
        return false;
    }
    // Turns two face-down cards of different pairs; false when fewer than
    // two pairs are left.
    bool MissAPair() {
        FieldMgr::Card* first = nullptr;
        for (const auto& card : FieldMgr::Instance()->GetCards()) {
            if (!card->inPlay || !card->cover->IsShown()) {
                continue;
            }
            if (first == nullptr) {
                first = card.get();
            } else if (card->pair != first->pair) {
                Click(first->cover);
                Click(card->cover);
                return true;
            }
        }
        return false;
    }
    // Creates the first player through the new-player dialog that opens by itself.
    void CreatePlayer(const std::string& name) {
        Wait(5);
        ASSERT_TRUE(Shown(Start()->GetNewPlayerDialog()));
        Type(name);
        Key(SDLK_RETURN);
        ASSERT_FALSE(Shown(Start()->GetNewPlayerDialog()));
    }
    // From the start screen into a running game, past the count-down.
    void EnterGame() {
        Click(Start()->GetPlayButton());
        ASSERT_TRUE(Play()->IsActive());
        Wait(3000);
    }

    Brisk::Platform::ManualClock appClock{1'000'000'000};
    Brisk::Platform::ManualClock timeClock;
    std::unique_ptr<Gamespace::GameImpl> game;
    std::unique_ptr<KernelLibrary::MainApp> app;
    static constexpr unsigned kDealSeed = 20261210;
    std::string m_dirArg;
    bool m_linkData = true;                // data.pak beside the program
    std::vector<std::string> m_extraArgs;  // more command-line switches
    bool m_ownDataFolder = false;          // XDG_DATA_HOME inside the test's folder
    std::string m_language = "en";         // the catalogue the game's texts come from
    std::optional<std::string> m_oldDataHome;
    std::vector<int> exitCodes;         // exits asked for where m_linkData is false
    bool m_comparePartialDraws = true;  // see ComparePartialDraw
    int m_partialDrawsSeen = 0;
    int m_partialDrawsCompared = 0;
};

}  // namespace
