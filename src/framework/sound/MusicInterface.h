#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Brisk {

namespace Platform {
class Mixer;
}

// Plays music and long sounds by id: tracker modules and wave, Ogg Vorbis
// and MP3 streams, with per-song volume, fading and looping. This base does
// nothing (music switched off). Main thread only.
class MusicInterface {
public:
    virtual ~MusicInterface() = default;
    [[nodiscard]] virtual bool LoadMusicFile(int /*id*/, const std::string& /*path*/) {
        return false;
    }
    virtual void StartMusic(int /*id*/, int /*offset*/ = 0, bool /*noLoop*/ = false) {}
    virtual void StopMusic(int /*id*/) {}
    virtual void PauseMusic(int /*id*/) {}
    virtual void ResumeMusic(int /*id*/) {}
    virtual void StopAllMusic() {}
    virtual void FreeMusic(int /*id*/) {}
    virtual void FreeAllMusic() {}
    virtual void PauseAllMusic() {}
    virtual void ResumeAllMusic() {}
    virtual void FadeMusicIn(int /*id*/, int /*offset*/ = -1, double /*speed*/ = 0.002,
                             bool /*noLoop*/ = false) {}
    virtual void FadeMusicOut(int /*id*/, bool /*stopWhenDone*/ = true, double /*speed*/ = 0.004) {}
    virtual void FadeAllMusicOut(bool /*stopWhenDone*/ = true, double /*speed*/ = 0.004) {}
    virtual void SetMusicVolume(int /*id*/, double /*volume*/) {}
    virtual void SetMusicMaxVolume(int /*id*/, double /*volume*/) {}
    virtual bool IsMusicPlaying(int /*id*/) { return false; }
    virtual void SetMusicMasterVolume(double /*volume*/) {}
    virtual void SetMusicAmplification(int /*id*/, double /*value*/) {}
    // One fading step; the application calls it once per update.
    virtual void UpdateMusic() {}
    // True while a fade is under way: UpdateMusic then has work every update.
    virtual bool IsFading() const { return false; }
};

class MusicChannel;

// The music player: decodes modules (libopenmpt) and streams (wave,
// vorbisfile, mpg123) on the audio thread, mixed by the audio mixer.
class StreamMusicInterface : public MusicInterface {
public:
    // `mixer` (may be null: songs load and fade but nothing is heard) must
    // outlive the interface.
    explicit StreamMusicInterface(Platform::Mixer* mixer);
    ~StreamMusicInterface() override;

    // Songs loaded and not yet freed.
    size_t CountLoadedSongs() const { return m_songs.size(); }
    [[nodiscard]] bool LoadMusicFile(int id, const std::string& path) override;
    void StartMusic(int id, int offset = 0, bool noLoop = false) override;
    void StopMusic(int id) override;
    void PauseMusic(int id) override;
    void ResumeMusic(int id) override;
    void StopAllMusic() override;
    void FreeMusic(int id) override;
    void FreeAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeMusicIn(int id, int offset = -1, double speed = 0.002, bool noLoop = false) override;
    void FadeMusicOut(int id, bool stopWhenDone = true, double speed = 0.004) override;
    void FadeAllMusicOut(bool stopWhenDone = true, double speed = 0.004) override;
    void SetMusicVolume(int id, double volume) override;
    void SetMusicMaxVolume(int id, double volume) override;
    bool IsMusicPlaying(int id) override;
    void SetMusicMasterVolume(double volume) override;
    void SetMusicAmplification(int id, double value) override;
    void UpdateMusic() override;
    bool IsFading() const override;

    // Song state, for inspection.
    struct Song {
        std::unique_ptr<MusicChannel> channel;
        bool isModule = false;
        double volume = 0;
        double fadeStep = 0;
        double maxVolume = 1.0;
        bool stopAfterFade = false;
    };
    const Song* GetSong(int id) const;
    // Decoded samples the song holds (songs stream: a short run ahead of
    // the play position, never the whole song); 0 for an unknown id.
    size_t CountDecodedSamplesHeld(int id) const;

private:
    Song* Find(int id);
    void ApplyVolume(Song& song);
    void Play(Song& song, int offset, bool noLoop, bool fadeIn);

    Platform::Mixer* m_mixer;  // not owned
    std::map<int, Song> m_songs;
    double m_masterVolume = 1.0;
};

// Picks the player: nothing when music is off, else the stream player.
std::unique_ptr<MusicInterface> CreateMusicInterface(Platform::Mixer* mixer, bool musicOff);

}  // namespace Brisk
