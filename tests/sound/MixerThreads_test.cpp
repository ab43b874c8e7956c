// The mixer pulled by a second thread, as the audio device does, while the
// main thread starts, stops and frees sounds and music. Run under
// ThreadSanitizer by test.sh.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "framework/platform/Audio.h"
#include "framework/platform/Clock.h"
#include "framework/sound/SoundManager.h"

namespace {

TEST(MixerThreads, RenderingWhileTheMainThreadChangesSounds) {
    Brisk::Platform::Mixer mixer;
    Brisk::Platform::ManualClock clock;
    Brisk::DSoundManager manager(&mixer, &clock);
    // A generated sound, loaded straight into an id through a wave in memory
    // is not possible through the public interface, so write one to disk.
    std::vector<uint8_t> wave = {'R', 'I', 'F',  'F',  0,   0,   0,    0,    'W',  'A', 'V',
                                 'E', 'f', 'm',  't',  ' ', 16,  0,    0,    0,    1,   0,
                                 1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58, 1,    0,   2,
                                 0,   16,  0,    'd',  'a', 't', 'a',  0x40, 0x1F, 0,   0};
    wave.resize(wave.size() + 0x1F40, 0x10);
    const std::string path = ::testing::TempDir() + "mixer_threads_beep";
    {
        FILE* f = std::fopen((path + ".wav").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(wave.data(), 1, wave.size(), f);
        std::fclose(f);
    }
    const int id = manager.LoadSoundFile(path);
    ASSERT_GE(id, 0);

    std::atomic<bool> stop{false};
    std::atomic<int> renders{0};
    std::thread audio([&] {
        std::vector<int16_t> out(512 * 2);
        while (!stop) {
            mixer.Render(out.data(), 512);
            ++renders;
        }
    });
    // Long enough for ThreadSanitizer to meet every race between stopping a
    // playing sound and mixing it; bounded by time on a slow machine.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int round = 0; round < 200'000 && std::chrono::steady_clock::now() < deadline; ++round) {
        if (Brisk::SoundInstance* s = manager.NewInstance(id)) {
            s->SetVolume((round % 10) / 10.0);
            s->SetPan(round % 2 == 0 ? 500 : -500);
            s->ShiftPitch(round % 5);
            s->Play(round % 3 == 0, true);
            if (round % 4 == 0) {
                s->Stop();
            }
        }
        if (round % 50 == 0) {
            manager.FreeAllInstances();
            manager.SetSoundsVolume(0.5);
        }
        clock.Advance(400);
    }
    while (renders < 20 && std::chrono::steady_clock::now() < deadline + std::chrono::seconds(30)) {
        std::this_thread::yield();
    }
    stop = true;
    audio.join();
    manager.FreeAllInstances();
    std::remove((path + ".wav").c_str());
    EXPECT_GE(renders.load(), 20);
}

}  // namespace
