// The music player: fading and volume rules, module and stream loading, and
// songs heard through the mixer.

#include <gtest/gtest.h>

#include "support/TempDir.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/platform/Audio.h"
#include "framework/sound/MusicInterface.h"

using Brisk::StreamMusicInterface;
namespace fs = std::filesystem;

std::vector<uint8_t> OggToneForMusic(int frames);  // from SoundManager_test.cpp

namespace {

// A tiny four-channel module: one sample, one note, one pattern.
std::vector<uint8_t> TinyModule() {
    std::vector<uint8_t> m(20, 0);  // title
    const int sampleWords = 64;
    for (int s = 0; s < 31; ++s) {
        std::vector<uint8_t> h(30, 0);
        if (s == 0) {
            h[22] = 0;
            h[23] = sampleWords;  // length in words, big-endian
            h[25] = 64;           // volume
            h[26] = 0;
            h[27] = 0;  // loop start
            h[28] = 0;
            h[29] = sampleWords;  // loop the whole sample
        } else {
            h[29] = 1;
        }
        m.insert(m.end(), h.begin(), h.end());
    }
    m.push_back(1);    // song length
    m.push_back(127);  // restart
    for (int i = 0; i < 128; ++i) {
        m.push_back(0);
    }
    m.insert(m.end(), {'M', '.', 'K', '.'});
    std::vector<uint8_t> pattern(64 * 4 * 4, 0);
    const int period = 428;
    pattern[0] = static_cast<uint8_t>(period >> 8);  // sample 1, high nibble 0
    pattern[1] = static_cast<uint8_t>(period & 0xFF);
    pattern[2] = 0x10;  // sample 1 low nibble, no effect
    m.insert(m.end(), pattern.begin(), pattern.end());
    for (int i = 0; i < sampleWords * 2; ++i) {
        m.push_back(static_cast<uint8_t>(i < sampleWords ? 100 : -100));
    }
    return m;
}

void Write(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class MusicTest : public TestSupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        Write("song.it", TinyModule());
        Write("tune.ogg", OggToneForMusic(44100));
    }
    int Peak(int frames) {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        mixer.Render(out.data(), frames);
        int peak = 0;
        for (int16_t v : out) {
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        }
        return peak;
    }
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
