#pragma once

// The game's services as the kernel sets them up, on a manual clock, with
// the generated game data mounted, in a scratch working directory.

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "support/TestApp.h"

#include <string>

#include "controls/Factory_impl.h"
#include "controls/VisibleObject_impl.h"
#include "framework/resources/PakInterface.h"
#include "game/CardSets.h"
#include "game/FieldMgr.h"
#include "game/Profiles.h"
#include "time/TimeSystem_impl.h"

namespace TestSupport {

class GameTest : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        static const bool mounted = Brisk::PakInterface::Get()->AddArchive(VQ_DATA_PAK);
        ASSERT_TRUE(mounted);
        TimeLibrary::CreateTimeSystem(clock);
        ControlLibrary::CreateFactory(&app);
        ASSERT_NE(ControlLibrary::GetFactory(), nullptr);
    }
    void TearDown() override {
        Gamespace::FieldMgr::Destroy();
        Gamespace::CardSets::Destroy();
        Gamespace::PlayerList::Destroy();
        Gamespace::ClearOptionObservers();
        ControlLibrary::DestroyFactory();
        TimeLibrary::DestroyTimeSystem();
        TempDirTest::TearDown();
    }
    // Advances the timer thread's clock by `ms` in its 5 ms steps.
    void Advance(int ms) {
        for (int i = 0; i < ms / 5; ++i) {
            TimeLibrary::GetTimeSystem()->Step();
        }
    }
    static ControlLibrary::Factory_impl* Factory() { return ControlLibrary::GetFactory(); }
    // Presses at the centre of `object` as a player would: move, press, release.
    static void Click(ControlLibrary::IVisibleObject* object) {
        const ControlLibrary::Rect r = object->GetScreenRect();
        const int x = r.x + r.width / 2;
        const int y = r.y + r.height / 2;
        Factory()->MouseMove(x, y);
        Factory()->MouseDown(x, y, 1);
        Factory()->MouseUp(x, y, 1);
    }

    TestApp app;
    Brisk::Platform::ManualClock clock;
};

}  // namespace TestSupport
