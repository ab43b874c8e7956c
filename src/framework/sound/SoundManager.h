#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/platform/Audio.h"
#include "framework/platform/Clock.h"

namespace Brisk {

// A playing copy of a loaded sound.
class SoundInstance {
public:
    virtual ~SoundInstance() = default;
    // Stops and marks the instance freed (its slot is reused).
    virtual void Free() = 0;
    virtual void SetDefaultVolume(double volume) = 0;
    virtual void SetDefaultPan(int pan) = 0;
    // Shifts the pitch by `steps` semitones from the buffer's own frequency.
    virtual void ShiftPitch(double steps) = 0;
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    virtual bool Play(bool looping, bool autoRelease) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() = 0;
    // A played auto-release instance that has ended frees itself here.
    virtual bool IsFreed() = 0;
    virtual double GetVolume() = 0;
    // Marks the instance as music (it then follows the music volume, not the
    // sounds volume), or as an effect again; heard at once.
    virtual void SetMusic(bool on) = 0;
    // A number given by the manager at creation, never given to another
    // instance; FindInstance looks an instance up by it.
    virtual uint32_t GetSerial() = 0;
};

class SoundManager {
public:
    static constexpr int kMaxSounds = 256;
    static constexpr int kMaxInstances = 32;

    virtual ~SoundManager() = default;
    virtual bool IsInitialized() = 0;
    // The id of the sound at `path`, loading it into the highest free id; -1 on failure.
    virtual int LoadSoundFile(const std::string& path) = 0;
    [[nodiscard]] virtual bool LoadSoundFile(int id, const std::string& path) = 0;
    virtual void FreeSound(int id) = 0;
    // The volume of every effect instance (0..1), heard at once.
    virtual void SetSoundsVolume(double volume) = 0;
    // The volume of every instance marked as music (0..1), heard at once.
    virtual void SetMusicVolume(double volume) = 0;
    virtual bool SetDefaultVolume(int id, double volume) = 0;
    virtual bool SetDefaultPan(int id, int pan) = 0;
    // A new instance of the sound, owned by the manager; null when the id is
    // empty or all 32 slots hold live instances.
    virtual SoundInstance* NewInstance(int id) = 0;
    virtual void FreeAllSounds() = 0;
    virtual void FreeAllInstances() = 0;
    virtual double GetSystemVolume() = 0;
    virtual void SetSystemVolume(double volume) = 0;
    virtual void Reserved() {}
    virtual void SetWindow(void* /*window*/, bool /*windowed*/) {}
    virtual void StopAll() = 0;
    virtual int FindFreeSoundId() = 0;
    virtual int CountLoadedSounds() = 0;
    // The live instance with `serial`, or null once it has been freed (a
    // one-shot instance frees itself when it ends). Lets callers keep
    // instances by serial instead of by a pointer that may dangle.
    virtual SoundInstance* FindInstance(uint32_t serial) = 0;
};

class DSoundManager;

class DSoundInstance : public SoundInstance {
public:
    // `voice` null: a silent instance (no audio output).
    DSoundInstance(DSoundManager* manager, std::shared_ptr<Platform::AudioVoice> voice);
    ~DSoundInstance() override;

    void Free() override;
    void SetDefaultVolume(double volume) override;
    void SetDefaultPan(int pan) override;
    void ShiftPitch(double steps) override;
    void SetVolume(double volume) override;
    void SetPan(int pan) override;
    bool Play(bool looping, bool autoRelease) override;
    void Stop() override;
    bool IsPlaying() override;
    bool IsFreed() override;
    double GetVolume() override { return m_volume; }
    void SetMusic(bool on) override;
    uint32_t GetSerial() override { return m_serial; }

    // Stops and rewinds, keeping the auto-release flag.
    void Halt();
    // Pushes the volume and pan to the voice (after a master volume change).
    void RehupVolume();
    Platform::AudioVoice* GetVoice() const { return m_voice.get(); }
    bool GetAutoRelease() const { return m_autoRelease; }

private:
    friend class DSoundManager;
    DSoundManager* m_manager;  // not owned
    std::shared_ptr<Platform::AudioVoice> m_voice;
    uint32_t m_serial = 0;
    bool m_autoRelease = false;
    bool m_played = false;
    bool m_freed = false;
    bool m_music = false;  // follows the music volume
    int m_defaultPan = 0;
    int m_pan = 0;
    double m_defaultVolume = 1.0;
    double m_volume = 1.0;
    int m_baseFrequency = 44100;
};

// The level of a volume in hundredths of a decibel:
// trunc((log10(9x + 1) - 1) x 2333), below -2000 silence (-10000).
int VolumeToHundredthsDb(double x);

class DSoundManager : public SoundManager {
public:
    // `mixer` null: no audio output ("without DirectSound"). `clock` and the
    // mixer must outlive the manager.
    DSoundManager(Platform::Mixer* mixer, Platform::Clock* clock = &Platform::SystemClock());
    ~DSoundManager() override;

    bool IsInitialized() override { return m_mixer != nullptr; }
    int LoadSoundFile(const std::string& path) override;
    [[nodiscard]] bool LoadSoundFile(int id, const std::string& path) override;
    void FreeSound(int id) override;
    void SetSoundsVolume(double volume) override;
    void SetMusicVolume(double volume) override;
    bool SetDefaultVolume(int id, double volume) override;
    bool SetDefaultPan(int id, int pan) override;
    SoundInstance* NewInstance(int id) override;
    void FreeAllSounds() override;
    void FreeAllInstances() override;
    double GetSystemVolume() override;
    void SetSystemVolume(double volume) override;
    void StopAll() override;
    int FindFreeSoundId() override;
    int CountLoadedSounds() override;
    SoundInstance* FindInstance(uint32_t serial) override;

    int FindInstanceSlot();
    // The folder decoded sounds are cached in (with a trailing '/'; may be empty).
    void SetDataFolder(const std::string& folder) { m_dataFolder = folder; }
    double GetMasterVolume() const { return m_masterVolume; }
    double GetMusicVolume() const { return m_musicVolume; }
    Platform::Mixer* GetMixer() const { return m_mixer; }
    const Platform::PcmSamples* GetSamples(int id) const;

private:
    struct Sound {
        std::shared_ptr<const Platform::PcmSamples> samples;
        std::string path;
        double defaultVolume = 1.0;
        int defaultPan = 0;
    };

    Platform::Mixer* m_mixer;  // not owned
    Platform::Clock* m_clock;  // not owned
    std::array<Sound, kMaxSounds> m_sounds;
    std::array<std::unique_ptr<DSoundInstance>, kMaxInstances> m_instances;
    double m_masterVolume = 1.0;
    double m_musicVolume = 1.0;
    uint32_t m_lastSweep = 0;
    uint32_t m_nextSerial = 1;
    std::string m_dataFolder;
};

// Sound file readers (through the pak layer). Null on any error.
std::shared_ptr<Platform::PcmSamples> ReadWaveFile(const std::string& path);
std::shared_ptr<Platform::PcmSamples> ReadAuFile(const std::string& path);
std::shared_ptr<Platform::PcmSamples> DecodeOggFile(const std::string& path);
// The same readers on bytes in memory. A wave's "dep " chunk is checked
// against the named source file on disk either way.
std::shared_ptr<Platform::PcmSamples> ReadWave(const uint8_t* data, size_t size);
std::shared_ptr<Platform::PcmSamples> ReadAu(const uint8_t* data, size_t size);
// Writes a cache file for decoded samples, naming `sourcePath` as its source.
bool WriteSoundCache(const std::string& cachePath, const Platform::PcmSamples& samples,
                     const std::string& sourcePath);
// The source's modification stamp as stored in the cache; 0 when missing.
int64_t SourceFileTime(const std::string& path);

inline constexpr uint8_t kSoundCacheKey = 0x9D;
inline constexpr size_t kMaxSoundBytes = size_t{256} << 20;
// A sound file holds its samples and headers of a few kilobytes at most.
inline constexpr size_t kMaxSoundFileBytes = kMaxSoundBytes + (size_t{1} << 20);

}  // namespace Brisk
