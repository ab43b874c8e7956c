#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/app/BriskAppBase.h"
#include "framework/platform/Clock.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

namespace TestSupport {

// The recorded events joined by commas; clears them.
inline std::string TakeJoined(std::vector<std::string>* events) {
    std::string joined;
    for (const auto& e : *events) {
        joined += (joined.empty() ? "" : ",") + e;
    }
    events->clear();
    return joined;
}

// Thrown instead of ending the process when the application calls DoExit.
struct ExitCalled : std::runtime_error {
    explicit ExitCalled(int c) : std::runtime_error("DoExit"), code(c) {}
    int code;
};

// An application on a manual clock that records its updates and draws as a
// string of 'U' and 'D', without a window.
class TestApp : public Brisk::BriskAppBase {
public:
    explicit TestApp(uint64_t startMs = 1'000'000) : clock(startMs * 1000) {
        SetClock(&clock);
        SetExitHandler([](int code) { throw ExitCalled(code); });
        ClearUpdateBacklog(false);
    }

    void UpdateOnce() override {
        trace += 'U';
        BriskAppBase::UpdateOnce();
    }
    bool DrawFrame() override {
        trace += 'D';
        return BriskAppBase::DrawFrame();
    }
    uint32_t MsUntilNextDue() override { return nextDueMs; }

    // Runs main-loop steps until the loop sleeps once (or `maxSteps` pass).
    void RunUntilSleep(int maxSteps = 10'000) {
        const uint64_t sleeps = clock.SleepCalls();
        for (int i = 0; i < maxSteps && clock.SleepCalls() == sleeps; ++i) {
            bool updated = false;
            UpdateAppStep(&updated);
        }
    }

    int CountUpdates() const {
        return static_cast<int>(std::count(trace.begin(), trace.end(), 'U'));
    }

    Brisk::Platform::ManualClock clock;
    std::string trace;
    // What the loop is told is due next (a time object's notification).
    uint32_t nextDueMs = kMaxIdleWaitMs;
};

// A widget that records what reaches it.
class RecordingWidget : public Brisk::Widget {
public:
    explicit RecordingWidget(bool* deleted = nullptr) : m_deleted(deleted) {}
    ~RecordingWidget() override {
        if (m_deleted != nullptr) {
            *m_deleted = true;
        }
    }
    void MouseDown(int x, int y, int clickCount) override {
        events.push_back("down " + std::to_string(x) + "," + std::to_string(y) + " " +
                         std::to_string(clickCount));
    }
    void MouseUp(int /*x*/, int /*y*/, int clickCount) override {
        events.push_back("up " + std::to_string(clickCount));
    }
    void KeyDown(int key) override { events.push_back("keydown " + std::to_string(key)); }
    void KeyUp(int key) override { events.push_back("keyup " + std::to_string(key)); }
    void KeyChar(char ch) override {
        events.push_back("char " + std::to_string(static_cast<unsigned char>(ch)));
    }
    void GotFocus() override { events.push_back("gotfocus"); }
    void LostFocus() override { events.push_back("lostfocus"); }

    std::vector<std::string> events;

private:
    bool* m_deleted;
};

}  // namespace TestSupport
