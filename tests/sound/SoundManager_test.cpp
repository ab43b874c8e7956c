// The sound manager on samples mixed in memory, the sound readers and the
// decoded-sound cache.

#include <gtest/gtest.h>

#include "support/PakFiles.h"
#include "support/SoundFiles.h"
#include "support/TempDir.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "OggEncode.h"
#include "framework/platform/Clock.h"
#include "framework/sound/SoundManager.h"

using Brisk::DSoundManager;
using Brisk::Platform::Mixer;
namespace fs = std::filesystem;
using TestSupport::PutU16;
using TestSupport::PutU32;
using TestSupport::Wave;
using TestSupport::Write;

namespace {

// A short sine tone as Ogg Vorbis.
std::vector<uint8_t> OggTone(int frames) {
    std::vector<float> samples(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        samples[static_cast<size_t>(i)] = 0.5f * std::sin(i * 0.05f);
    }
    return ToolSupport::EncodeOggVorbis(samples, 1, 44100, 0.4f);
}

}  // namespace

// Shared with the music tests.
std::vector<uint8_t> OggToneForMusic(int frames) {
    return OggTone(frames);
}

namespace {

class SoundTest : public TestSupport::TempDirTest {
protected:
    // Peak of each channel over `frames` rendered frames.
    std::pair<int, int> Peaks(Mixer& mixer, int frames) {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        mixer.Render(out.data(), frames);
        int l = 0, r = 0;
        for (int i = 0; i < frames; ++i) {
            l = std::max(l, std::abs(static_cast<int>(out[static_cast<size_t>(2 * i)])));
            r = std::max(r, std::abs(static_cast<int>(out[static_cast<size_t>(2 * i + 1)])));
        }
        return {l, r};
    }
    Brisk::Platform::ManualClock clock{5'000'000'000};
};

TEST(SoundVolume, HundredthsOfADecibel) {
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(1.0), 0);
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(0.1), -1682);
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(0.5), -605);
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(0.01), -10000);
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(0.0), -10000);
    // Above full volume it stays full; nonsense is silence.
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(1.5), 0);
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(1e300), 0);
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(-3.0), -10000);
    EXPECT_EQ(Brisk::VolumeToHundredthsDb(std::nan("")), -10000);
}

TEST_F(SoundTest, VolumePanAndPitchShapeTheMixedOutput) {
    Write("beep.wav", Wave(4410, 16000));
    Mixer mixer;
    DSoundManager manager(&mixer, &clock);
    const int id = manager.LoadSoundFile("beep");
    ASSERT_EQ(id, 255);                            // the highest free id
    EXPECT_EQ(manager.LoadSoundFile("beep"), id);  // loaded once
    auto* full = manager.NewInstance(id);
    ASSERT_NE(full, nullptr);
    ASSERT_TRUE(full->Play(false, false));
    const auto [fl, fr] = Peaks(mixer, 100);
    EXPECT_NEAR(fl, 16000, 2);
    EXPECT_EQ(fl, fr);

    full->SetVolume(0.1);  // -1682: gain 10^(-0.841)
    const auto [ql, qr] = Peaks(mixer, 100);
    EXPECT_NEAR(ql, 16000 * std::pow(10.0, -1682 / 2000.0), 3);
    full->SetVolume(0.01);  // silence
    EXPECT_EQ(Peaks(mixer, 100).first, 0);

    full->SetVolume(1.0);
    full->SetPan(1000);  // the left side 10 dB down
    const auto [pl, pr] = Peaks(mixer, 100);
    EXPECT_NEAR(pl, 16000 * std::pow(10.0, -0.5), 3);
    EXPECT_NEAR(pr, 16000, 2);

    auto* voice = static_cast<Brisk::DSoundInstance*>(full)->GetVoice();
    full->ShiftPitch(12);
    EXPECT_EQ(voice->GetFrequency(), 88200);
    full->ShiftPitch(24);
    EXPECT_EQ(voice->GetFrequency(), 100000);
    full->ShiftPitch(-200);
    EXPECT_EQ(voice->GetFrequency(), 100);

    manager.SetSoundsVolume(0.5);  // every live instance follows the master volume
    EXPECT_EQ(voice->GetVolume(), -605);
}

// Music played as a sound follows the music volume, effects the sounds
// volume; a change is heard in the very next samples. At full volume both
// play exactly as loud as they did before there were two volumes.
TEST_F(SoundTest, MusicAndEffectsVolumesAreHeardAtOnceAndApart) {
    Write("beep.wav", Wave(44100, 16000));
    Mixer mixer;
    DSoundManager manager(&mixer, &clock);
    const int id = manager.LoadSoundFile("beep");
    auto* music = manager.NewInstance(id);
    auto* effect = manager.NewInstance(id);
    music->SetMusic(true);
    ASSERT_TRUE(music->Play(true, false));
    auto* musicVoice = static_cast<Brisk::DSoundInstance*>(music)->GetVoice();
    auto* effectVoice = static_cast<Brisk::DSoundInstance*>(effect)->GetVoice();
    const auto [full, fullR] = Peaks(mixer, 100);
    EXPECT_NEAR(full, 16000, 2);
    EXPECT_EQ(musicVoice->GetVolume(), 0);

    const struct {
        double music;
        double sounds;
        int musicLevel;
        int effectLevel;
    } cases[] = {
        {0.5, 1.0, -605, 0}, {1.0, 0.5, 0, -605}, {0.0, 0.1, -10000, -1682}, {1.0, 1.0, 0, 0}};
    for (const auto& c : cases) {
        manager.SetMusicVolume(c.music);
        manager.SetSoundsVolume(c.sounds);
        EXPECT_EQ(musicVoice->GetVolume(), c.musicLevel);
        EXPECT_EQ(effectVoice->GetVolume(), c.effectLevel);
        const int expected =
            c.musicLevel <= -10000
                ? 0
                : static_cast<int>(std::lround(16000 * std::pow(10.0, c.musicLevel / 2000.0)));
        EXPECT_NEAR(Peaks(mixer, 100).first, expected, 3) << "music " << c.music;
    }
    // Back to an effect: the sounds volume again.
    manager.SetMusicVolume(0.0);
    music->SetMusic(false);
    EXPECT_EQ(musicVoice->GetVolume(), 0);
}

TEST_F(SoundTest, OneShotsFreeThemselvesAndSlotsRunOut) {
    Write("tick.wav", Wave(441, 1000));
    Mixer mixer;
    DSoundManager manager(&mixer, &clock);
    const int id = manager.LoadSoundFile("tick");
    auto* once = manager.NewInstance(id);
    ASSERT_NE(once, nullptr);
    once->Play(false, true);
    std::vector<int16_t> out(2000);
    mixer.Render(out.data(), 1000);  // longer than the sound
    EXPECT_FALSE(once->IsPlaying());
    // Its slot is taken again by the next instance.
    auto* next = manager.NewInstance(id);
    EXPECT_EQ(manager.FindInstanceSlot(), 1);
    ASSERT_NE(next, nullptr);
    for (int i = 1; i < 32; ++i) {
        ASSERT_NE(manager.NewInstance(id), nullptr) << i;
    }
    EXPECT_EQ(manager.NewInstance(id), nullptr);  // 32 live instances
    EXPECT_EQ(manager.NewInstance(300), nullptr);
    manager.FreeAllInstances();
    EXPECT_NE(manager.NewInstance(id), nullptr);
}

TEST_F(SoundTest, WithoutAudioOutputEverythingIsSilentButWorks) {
    DSoundManager manager(nullptr, &clock);
    EXPECT_FALSE(manager.IsInitialized());
    EXPECT_TRUE(manager.LoadSoundFile(3, "nothing"));
    auto* instance = manager.NewInstance(3);
    ASSERT_NE(instance, nullptr);
    EXPECT_FALSE(instance->Play(false, true));
    EXPECT_FALSE(instance->IsPlaying());
}

TEST_F(SoundTest, DecodedOggIsCachedAndRebuiltWhenTheSourceChanges) {
    Write("sounds/tone.ogg", OggTone(22050));
    Mixer mixer;
    {
        DSoundManager manager(&mixer, &clock);
        manager.SetDataFolder("data/");
        ASSERT_TRUE(manager.LoadSoundFile(10, "sounds/tone"));
        const auto* samples = manager.GetSamples(10);
        ASSERT_NE(samples, nullptr);
        EXPECT_EQ(samples->format.rate, 44100);
        EXPECT_EQ(samples->Frames(), 22050u);
    }
    ASSERT_TRUE(fs::exists("data/sounds/tone"));
    std::ifstream in("data/sounds/tone", std::ios::binary);
    std::vector<uint8_t> cache((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    ASSERT_GT(cache.size(), 80u);
    EXPECT_EQ(std::string(cache.begin(), cache.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(cache.begin() + 12, cache.begin() + 16), "fmt ");
    EXPECT_EQ(std::string(cache.begin() + 36, cache.begin() + 40), "dep ");
    const std::string source = "sounds/tone.ogg";
    EXPECT_EQ(cache[40], source.size() + 10);
    EXPECT_EQ(
        std::string(cache.begin() + 46, cache.begin() + 46 + static_cast<long>(source.size())),
        source);
    const size_t xorAt = 44 + source.size() + 10;
    EXPECT_EQ(std::string(cache.begin() + static_cast<long>(xorAt),
                          cache.begin() + static_cast<long>(xorAt) + 4),
              "xor ");
    EXPECT_EQ(cache[xorAt + 8], 0x9D);

    // The second start reads the cache: the source is now unreadable, but its
    // modification time is unchanged.
    const auto stamp = fs::last_write_time("sounds/tone.ogg");
    Write("sounds/tone.ogg", {'b', 'r', 'o', 'k', 'e', 'n'});
    fs::last_write_time("sounds/tone.ogg", stamp);
    {
        DSoundManager manager(&mixer, &clock);
        manager.SetDataFolder("data/");
        ASSERT_TRUE(manager.LoadSoundFile(10, "sounds/tone"));
        EXPECT_EQ(manager.GetSamples(10)->Frames(), 22050u);
    }
    // A changed source is decoded again (here: it no longer decodes at all).
    fs::last_write_time("sounds/tone.ogg", stamp + std::chrono::seconds(5));
    {
        DSoundManager manager(&mixer, &clock);
        manager.SetDataFolder("data/");
        EXPECT_FALSE(manager.LoadSoundFile(10, "sounds/tone"));
    }
}

// A source inside an archive has no file time on disk: the entry's own time
// (else the archive's) decides whether the cache still holds it.
TEST_F(SoundTest, TheCacheOfAnArchivedSoundIsRebuiltWhenTheArchiveChanges) {
    const std::vector<uint8_t> tone = OggTone(2205);
    auto archive = [&](const std::string& file, const std::string& data, uint64_t time) {
        TestSupport::WriteScrambled(file,
                                    TestSupport::PlainArchive({{"sounds\\tone.ogg", data, time}}));
        ASSERT_TRUE(Brisk::PakInterface::Get()->AddArchive(file));
    };
    Mixer mixer;
    archive("first.pak", std::string(tone.begin(), tone.end()), 1000);
    {
        DSoundManager manager(&mixer, &clock);
        manager.SetDataFolder("data/");
        ASSERT_TRUE(manager.LoadSoundFile(10, "sounds/tone"));
    }
    ASSERT_TRUE(fs::exists("data/sounds/tone"));
    archive("second.pak", "broken", 2000);  // mounted later: it wins
    DSoundManager manager(&mixer, &clock);
    manager.SetDataFolder("data/");
    EXPECT_FALSE(manager.LoadSoundFile(10, "sounds/tone"));  // decoded again: it no longer decodes
}

// With no data folder (none could be made) nothing is cached, and nothing
// appears in the game's own folder.
TEST_F(SoundTest, WithoutADataFolderNothingIsCachedOrCreated) {
    Mixer mixer;
    DSoundManager manager(&mixer, &clock);
    manager.SetDataFolder("");
    EXPECT_FALSE(manager.LoadSoundFile(10, "sounds/in-an-archive"));
    EXPECT_FALSE(fs::exists("sounds"));
    Write("tones/tone.ogg", OggTone(2205));
    ASSERT_TRUE(manager.LoadSoundFile(11, "tones/tone"));
    EXPECT_FALSE(fs::exists("tones/tone"));
}

TEST(SoundReaders, AuFilesInMuLawAndLinear) {
    auto au = [](uint32_t encoding, std::vector<uint8_t> samples) {
        std::vector<uint8_t> a = {'.', 's', 'n', 'd'};
        for (uint32_t v : {24u, static_cast<uint32_t>(samples.size()), encoding, 8000u, 1u}) {
            for (int i = 3; i >= 0; --i)
                a.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
        a.insert(a.end(), samples.begin(), samples.end());
        return a;
    };
    const auto mu = au(1, {0xFF, 0x80, 0x00});
    auto s = Brisk::ReadAu(mu.data(), mu.size());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->format.bits, 16);
    EXPECT_EQ(s->data.size(), 6u);
    const auto at = [&](size_t i) {
        return static_cast<int16_t>(s->data[2 * i] | (s->data[2 * i + 1] << 8));
    };
    EXPECT_EQ(at(0), 0);       // mu-law 0xFF is silence
    EXPECT_GT(at(1), 30000);   // 0x80: the loudest positive
    EXPECT_LT(at(2), -30000);  // 0x00: the loudest negative
    const auto lin = au(2, {0x00, 0x7F, 0x80});
    s = Brisk::ReadAu(lin.data(), lin.size());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->format.bits, 8);
    EXPECT_EQ(s->data, (std::vector<uint8_t>{0x80, 0xFF, 0x00}));
    const auto other = au(3, {1, 2});
    EXPECT_EQ(Brisk::ReadAu(other.data(), other.size()), nullptr);
}

TEST(SoundReaders, MalformedWavesAreRejected) {
    auto good = Wave(10, 5);
    EXPECT_NE(Brisk::ReadWave(good.data(), good.size()), nullptr);
    auto notPcm = Wave(10, 5, 44100, 3);
    EXPECT_EQ(Brisk::ReadWave(notPcm.data(), notPcm.size()), nullptr);
    auto cut = good;
    cut.resize(cut.size() - 4);  // data shorter than its length says
    EXPECT_EQ(Brisk::ReadWave(cut.data(), cut.size()), nullptr);
    auto huge = good;
    huge[40] = huge[41] = huge[42] = huge[43] = 0xFF;
    EXPECT_EQ(Brisk::ReadWave(huge.data(), huge.size()), nullptr);
    // A "dep " naming a file that is not there is stale.
    std::vector<uint8_t> dep(good.begin(), good.begin() + 36);
    dep.insert(dep.end(), {'d', 'e', 'p', ' '});
    PutU32(&dep, 2 + 3 + 8);
    PutU16(&dep, 3);
    dep.insert(dep.end(), {'x', 'y', 'z'});
    for (int i = 0; i < 8; ++i)
        dep.push_back(1);
    dep.insert(dep.end(), good.begin() + 36, good.end());
    EXPECT_EQ(Brisk::ReadWave(dep.data(), dep.size()), nullptr);
}

}  // namespace
