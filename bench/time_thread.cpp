// The real timer thread over a few seconds: how far its clock drifts from
// wall time, and how evenly its 5 ms steps are spaced.
// Usage: time_thread [SECONDS]   (default 6)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "time/TimeSystem_impl.h"

namespace {

class StepRecorder : public TimeLibrary::TimeObjectMessageObserver {
public:
    void OnTimeObjectTick(int32_t) override {
        // Runs on the timer thread; the main thread reads only after StopTimer.
        stamps.push_back(std::chrono::steady_clock::now());
    }
    std::vector<std::chrono::steady_clock::time_point> stamps;
};

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * static_cast<double>(v.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 6;
    TimeLibrary::TimeSystem_impl system(Brisk::Platform::SystemClock());
    StepRecorder recorder;
    recorder.stamps.reserve(static_cast<size_t>(seconds) * 250);
    TimeLibrary::ITimeObject* t = system.CreateTimeObject(&recorder, -1, 5);
    t->SetLooped(true);
    t->Start(false, 0);

    const auto start = std::chrono::steady_clock::now();
    system.StartTimer();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const uint64_t clockMs = system.GetTime();
    const auto wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    system.StopTimer();

    std::vector<double> intervals;
    for (size_t i = 1; i < recorder.stamps.size(); ++i) {
        intervals.push_back(
            std::chrono::duration<double, std::milli>(recorder.stamps[i] - recorder.stamps[i - 1])
                .count());
    }
    std::printf("wall time:        %.1f ms\n", wallMs);
    std::printf("timer clock:      %llu ms\n", static_cast<unsigned long long>(clockMs));
    std::printf("clock / wall:     %.4f (%+.2f %%)\n", static_cast<double>(clockMs) / wallMs,
                (static_cast<double>(clockMs) / wallMs - 1) * 100);
    if (!intervals.empty()) {
        std::printf("step interval ms: min %.3f  p1 %.3f  median %.3f  p99 %.3f  max %.3f\n",
                    *std::min_element(intervals.begin(), intervals.end()),
                    Percentile(intervals, 0.01), Percentile(intervals, 0.5),
                    Percentile(intervals, 0.99),
                    *std::max_element(intervals.begin(), intervals.end()));
    }
    return 0;
}
