// Reference for the idle measurement: a process that only sleeps in 10 ms
// steps, as a frame-timed program at rest ideally would.
// Usage: sleep_loop SECONDS

#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}
