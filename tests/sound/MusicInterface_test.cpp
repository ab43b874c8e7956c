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

#include <vorbis/vorbisfile.h>

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

// The samples of an Ogg stream decoded in one go, as stereo (a mono
// stream's samples heard on both sides), for comparison.
std::vector<int16_t> DecodeWhole(const std::string& path) {
    std::vector<int16_t> samples;
    OggVorbis_File vf{};
    if (ov_fopen(path.c_str(), &vf) != 0) {
        return samples;
    }
    std::vector<int16_t> run(4096);
    int section = 0;
    long got = 0;
    while ((got = ov_read(&vf, reinterpret_cast<char*>(run.data()),
                          static_cast<int>(run.size() * 2), 0, 2, 1, &section)) > 0) {
        samples.insert(samples.end(), run.begin(), run.begin() + got / 2);
    }
    if (ov_info(&vf, -1)->channels == 1) {
        std::vector<int16_t> stereo;
        for (const int16_t sample : samples) {
            stereo.insert(stereo.end(), {sample, sample});
        }
        samples.swap(stereo);
    }
    ov_clear(&vf);
    return samples;
}

// A song decoded whole and played from memory, looping, at full volume.
class WholeSongSource : public Brisk::Platform::AudioSource {
public:
    explicit WholeSongSource(std::vector<int16_t> samples) : m_samples(std::move(samples)) {}
    int Mix(float* out, int frames) override {
        for (int i = 0; i < frames * 2; ++i) {
            out[i] += m_samples[m_at] / 32768.0f;
            m_at = (m_at + 1) % m_samples.size();
        }
        return frames;
    }

private:
    std::vector<int16_t> m_samples;
    size_t m_at = 0;
};

// A looping Ogg song streams: while more than a whole pass plays, it never
// holds more than a short run of decoded samples, and what is heard is,
// sample for sample, the song decoded whole and played from memory, the
// repeat included.
TEST_F(MusicTest, ALoopingOggSongStreamsInABoundedWindowSampleExact) {
    Write("long.ogg", OggToneForMusic(44100 * 3));
    WholeSongSource whole(DecodeWhole("long.ogg"));
    Brisk::Platform::Mixer reference;
    reference.AddSource(&whole);
    StreamMusicInterface music(&mixer);
    ASSERT_TRUE(music.LoadMusicFile(1, "long.ogg"));
    music.StartMusic(1, 0, false);
    constexpr size_t kBound = 8192;  // samples, against 264600 in the song
    constexpr int kRun = 1024;
    std::vector<int16_t> heard(kRun * 2);
    std::vector<int16_t> expected(kRun * 2);
    size_t most = 0;
    int peak = 0;
    bool same = true;
    for (int at = 0; at < 44100 * 4; at += kRun) {  // a pass and a second more
        mixer.Render(heard.data(), kRun);
        reference.Render(expected.data(), kRun);
        same = same && heard == expected;
        peak = std::max(peak, static_cast<int>(*std::max_element(heard.begin(), heard.end())));
        most = std::max(most, music.CountDecodedSamplesHeld(1));
    }
    EXPECT_GT(most, 0u);
    EXPECT_LE(most, kBound);
    EXPECT_GT(peak, 1000);
    EXPECT_TRUE(same);
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
