// The music player: fading and volume rules, module and stream loading, and
// songs heard through the mixer.

#include <gtest/gtest.h>

#include "support/SoundFiles.h"
#include "support/TempDir.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "framework/platform/Audio.h"
#include "framework/sound/MusicInterface.h"

using Brisk::StreamMusicInterface;
namespace fs = std::filesystem;
using TestSupport::TinyModule;
using TestSupport::Write;

std::vector<uint8_t> OggToneForMusic(int frames);  // from SoundManager_test.cpp

namespace {

class MusicTest : public TestSupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        Write("song.it", TinyModule());
        Write("tune.ogg", OggToneForMusic(44100));
    }
    int Peak(int frames) { return TestSupport::Peak(mixer, frames); }
    Brisk::Platform::Mixer mixer;
};

TEST_F(MusicTest, ModulesLoadFromMemoryAndStreamsAsStreams) {
    StreamMusicInterface music(&mixer);
    ASSERT_TRUE(music.LoadMusicFile(1, "song.it"));
    ASSERT_TRUE(music.LoadMusicFile(2, "tune.ogg"));
    EXPECT_TRUE(music.GetSong(1)->isModule);
    EXPECT_FALSE(music.GetSong(2)->isModule);
    EXPECT_FALSE(music.LoadMusicFile(3, "missing.ogg"));
    EXPECT_EQ(music.GetSong(3), nullptr);

    EXPECT_EQ(Peak(512), 0);  // nothing started
    music.StartMusic(2, 0, false);
    EXPECT_TRUE(music.IsMusicPlaying(2));
    EXPECT_GT(Peak(4096), 1000);
    music.StopMusic(2);
    music.StartMusic(1, 0, false);
    EXPECT_GT(Peak(8192), 100);
    music.PauseAllMusic();
    EXPECT_FALSE(music.IsMusicPlaying(1));
    EXPECT_EQ(Peak(512), 0);
    music.ResumeAllMusic();
    EXPECT_TRUE(music.IsMusicPlaying(1));
}

TEST_F(MusicTest, FadingFollowsTheSongsVolumeRules) {
    StreamMusicInterface music(&mixer);
    ASSERT_TRUE(music.LoadMusicFile(1, "tune.ogg"));
    music.FadeMusicIn(1, -1, 0.01, false);
    for (int i = 0; i < 99; ++i) {
        music.UpdateMusic();
    }
    EXPECT_LT(music.GetSong(1)->volume, 1.0);
    music.UpdateMusic();
    music.UpdateMusic();
    EXPECT_DOUBLE_EQ(music.GetSong(1)->volume, 1.0);  // reached and stays
    EXPECT_EQ(music.GetSong(1)->fadeStep, 0.0);

    music.SetMusicVolume(1, 0.8);
    music.SetMusicMaxVolume(1, 0.5);
    EXPECT_DOUBLE_EQ(music.GetSong(1)->volume, 0.5);

    music.FadeMusicOut(1, true, 0.2);
    music.UpdateMusic();  // 0.3
    music.UpdateMusic();  // 0.1
    EXPECT_TRUE(music.IsMusicPlaying(1));
    music.UpdateMusic();  // below 0: stops
    EXPECT_FALSE(music.IsMusicPlaying(1));
    EXPECT_EQ(music.GetSong(1)->volume, 0.0);

    // Without stopping, the song plays on silently.
    music.StartMusic(1, 0, false);
    music.FadeMusicOut(1, false, 0.6);
    music.UpdateMusic();
    music.UpdateMusic();
    EXPECT_TRUE(music.IsMusicPlaying(1));
    EXPECT_EQ(music.GetSong(1)->volume, 0.0);
    // At volume 0 a fade-out starts nothing.
    music.FadeMusicOut(1, true, 0.1);
    EXPECT_EQ(music.GetSong(1)->fadeStep, 0.0);
}

// MPEG-1 layer III frames of silence: 128 kbit/s, 44.1 kHz, stereo, 1152
// samples each; all-zero side information decodes to zeros.
std::vector<uint8_t> SilentMp3(int frames) {
    std::vector<uint8_t> mp3;
    for (int i = 0; i < frames; ++i) {
        const uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x00};
        mp3.insert(mp3.end(), header, header + 4);
        mp3.insert(mp3.end(), 417 - 4, 0);
    }
    return mp3;
}

// A one-shot MP3 plays to its end (about 1 s here) instead of stopping at
// the first mixer pass; a looped one goes on.
TEST_F(MusicTest, Mp3StreamsPlayToTheirEndOnceOrLooped) {
    Write("quiet.mp3", SilentMp3(40));
    StreamMusicInterface music(&mixer);
    ASSERT_TRUE(music.LoadMusicFile(1, "quiet.mp3"));
    for (bool looped : {false, true}) {
        music.StartMusic(1, 0, /*noLoop=*/!looped);
        Peak(22050);  // half a second
        EXPECT_TRUE(music.IsMusicPlaying(1)) << looped;
        Peak(44100);  // past the end
        EXPECT_EQ(music.IsMusicPlaying(1), looped);
        music.StopMusic(1);
    }
}

// The address-space room left to a song beyond what the process already
// uses: too little for the decoding thread's stack, or enough for the thread
// but not for the whole decoded song. Either way the song streams instead.
class MusicUnderMemoryLimitTest : public MusicTest, public ::testing::WithParamInterface<int> {};

TEST_P(MusicUnderMemoryLimitTest, ASongWithoutDecoderThreadOrBufferStreams) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory does not live under an address-space limit";
#endif
    Write("long.ogg", OggToneForMusic(44100 * 30));  // 2.6 M samples: 5 MB decoded whole
    const rlim_t room = static_cast<rlim_t>(GetParam()) * 1024 * 1024;
    // In a child process: the limit stays there.
    auto playUnderLimit = [&] {
        std::ifstream statm("/proc/self/statm");
        rlim_t pages = 0;
        statm >> pages;
        const rlim_t used = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = used + room;
        setrlimit(RLIMIT_AS, &limit);
        StreamMusicInterface music(&mixer);
        if (!music.LoadMusicFile(1, "long.ogg")) {
            _exit(2);
        }
        music.StartMusic(1, 0, false);
        _exit(Peak(4096) > 1000 ? 0 : 3);
    };
    EXPECT_EXIT(playUnderLimit(), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(Room, MusicUnderMemoryLimitTest, ::testing::Values(2, 10));

// A looping Ogg song is decoded whole on a thread of its own and then played
// from memory: sample for sample what streaming it gives, repeats included.
TEST_F(MusicTest, ALoopingOggSongSoundsTheSameFromMemoryAsStreamed) {
    auto render = [&](bool whole) {
        Brisk::SetWholeSongDecodeLimit(whole ? Brisk::kWholeSongDecodeLimit : 0);
        Brisk::Platform::Mixer own;
        StreamMusicInterface music(&own);
        EXPECT_TRUE(music.LoadMusicFile(1, "tune.ogg"));
        // Bounded by time: the decoding thread needs a few milliseconds.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (whole && !music.IsSongDecodedWhole(1) &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(music.IsSongDecodedWhole(1), whole);
        music.StartMusic(1, 0, false);
        std::vector<int16_t> out(static_cast<size_t>(44100 * 5 / 2) * 2);
        for (size_t at = 0; at < out.size(); at += 2 * 1000) {
            own.Render(out.data() + at,
                       static_cast<int>(std::min<size_t>(1000, (out.size() - at) / 2)));
        }
        return out;
    };
    const std::vector<int16_t> streamed = render(false);
    const std::vector<int16_t> fromMemory = render(true);
    Brisk::SetWholeSongDecodeLimit(Brisk::kWholeSongDecodeLimit);
    EXPECT_GT(*std::max_element(streamed.begin(), streamed.end()), 1000);
    EXPECT_TRUE(streamed == fromMemory);
    // The second pass (a repeat) sounds like the first.
    EXPECT_TRUE(std::equal(fromMemory.begin() + 2 * 44100, fromMemory.begin() + 2 * 44100 + 2000,
                           fromMemory.begin()));
}

TEST_F(MusicTest, UnknownIdsAndTheSilentPlayerDoNothing) {
    StreamMusicInterface music(&mixer);
    music.StartMusic(42);
    music.FadeMusicIn(42, 0, 0.1, false);
    music.SetMusicVolume(42, 1);
    music.UpdateMusic();
    EXPECT_FALSE(music.IsMusicPlaying(42));
    auto off = Brisk::CreateMusicInterface(&mixer, true);
    EXPECT_FALSE(off->LoadMusicFile(1, "tune.ogg"));
    auto on = Brisk::CreateMusicInterface(&mixer, false);
    EXPECT_TRUE(on->LoadMusicFile(1, "tune.ogg"));
}

}  // namespace
