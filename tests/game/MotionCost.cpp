// The CPU a card turn and the celebration cost on the main loop and the
// timer's steps, against the same stretch of game time with nothing moving.
// Run by scripts/bench.sh (not a test of ctest): it prints one line per
// figure, "<figure> <ours ms> <still ms>", on the manual clock, in this
// process (SDL's dummy drivers, the real drawing into the back buffer).

#include <gtest/gtest.h>

#include "support/WholeGameFixture.h"

#include <cstdio>
#include <ctime>

namespace {

class MotionCost : public WholeGame {
protected:
    // Game time in 10 ms frames: two timer steps and one main-loop update each.
    static double CpuMs(const std::function<void()>& work) {
        const std::clock_t start = std::clock();
        work();
        return 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    }
    void Run(int ms) {
        for (int t = 0; t < ms; t += 10) {
            TimeLibrary::GetTimeSystem()->Step();
            TimeLibrary::GetTimeSystem()->Step();
            Frames(1);
        }
    }
    void PressRaw(ControlLibrary::IVisibleObject* object) {
        const ControlLibrary::Rect r = object->GetScreenRect();
        TestSupport::PushMouseMove(Window(), r.x + r.width / 2, r.y + r.height / 2);
        TestSupport::PushMouseButton(Window(), true, r.x + r.width / 2, r.y + r.height / 2);
        TestSupport::PushMouseButton(Window(), false, r.x + r.width / 2, r.y + r.height / 2);
        Frames(8);  // the events reach the game (the game's time stands still)
    }
};

TEST_F(MotionCost, ATurnAndTheCelebrationAgainstStillFrames) {
    const int rounds =
        std::getenv("VQ_MOTION_ROUNDS") ? std::atoi(std::getenv("VQ_MOTION_ROUNDS")) : 3;
    CreatePlayer("Bench");
    EnterGame();
    double turn = 0;
    double turnStill = 0;
    double party = 0;
    double partyStill = 0;
    int turns = 0;
    for (int round = 0; round < rounds; ++round) {
        Click(Play()->GetDifficultyButton());
        Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kHard));
        Wait(3000);
        auto pairs = Pairs();
        const auto last = std::prev(pairs.end());
        for (auto it = pairs.begin(); it != pairs.end(); ++it) {
            for (FieldMgr::Card* card : it->second) {
                if (it == last && card == it->second.back()) {
                    break;
                }
                // The same stretch still, then with the press and its turn (and a
                // found pair's glow, the longer of the two).
                turnStill += CpuMs([&] {
                    Frames(8);
                    Run(FieldMgr::kGlowMs + 10);
                });
                turn += CpuMs([&] {
                    PressRaw(card->cover);
                    Run(FieldMgr::kGlowMs + 10);
                });
                ++turns;
                ASSERT_FALSE(FieldMgr::Instance()->IsMoving());
            }
        }
        partyStill += CpuMs([&] {
            Frames(8);
            Run(FieldMgr::kCelebrationMs + 10);
        });
        party += CpuMs([&] {
            PressRaw(last->second.back()->cover);
            Run(FieldMgr::kCelebrationMs + 10);
        });
        ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
        Click(Play()->GetFinishDialog()->GetOkButton());
    }
    std::printf("turn %.3f %.3f\n", turn / turns, turnStill / turns);
    std::printf("celebration %.3f %.3f\n", party / rounds, partyStill / rounds);
}

}  // namespace
