#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Brisk::Platform {

// The format of PCM sample data: 8-bit unsigned or 16-bit signed
// little-endian, interleaved channels.
struct PcmFormat {
    int channels = 1;
    int rate = 22050;
    int bits = 16;
    int BlockAlign() const { return channels * bits / 8; }
};

// Immutable sample data shared by a buffer and all its duplicates.
struct PcmSamples {
    PcmFormat format;
    std::vector<uint8_t> data;
    size_t Frames() const {
        const int align = format.BlockAlign();
        return align > 0 ? data.size() / static_cast<size_t>(align) : 0;
    }
};

// Something the mixer pulls stereo float frames from (music streams).
// Read runs on the audio thread, under the mixer's lock.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Adds up to `frames` stereo frames into `out` (interleaved L, R);
    // returns the frames produced; fewer means the source has ended.
    virtual int Mix(float* out, int frames) = 0;
};

// A playing copy of a sound buffer: its own volume, pan, frequency,
// position and looping. Shared by the mixer and its owner.
class AudioVoice {
public:
    explicit AudioVoice(std::shared_ptr<const PcmSamples> samples);

    // Volume and pan in hundredths of a decibel (0 full, -10000 silence;
    // pan > 0 attenuates the left channel, < 0 the right one).
    void SetVolume(int hundredthsDb) { m_volume = hundredthsDb; }
    int GetVolume() const { return m_volume; }
    void SetPan(int hundredthsDb) { m_pan = hundredthsDb; }
    int GetPan() const { return m_pan; }
    void SetFrequency(int hz) { m_frequency = hz; }
    int GetFrequency() const { return m_frequency; }
    void Play(bool looping) {
        m_looping = looping;
        m_playing = true;
    }
    void Stop() { m_playing = false; }
    // Any thread: the audio thread moves there before it next mixes the voice.
    void SetPosition(double frame) {
        m_seekTo.store(frame, std::memory_order_relaxed);
        m_seekPending.store(true, std::memory_order_release);
    }
    bool IsPlaying() const { return m_playing; }
    int BaseFrequency() const { return m_samples->format.rate; }

    // Adds this voice's output for `frames` frames at `outputRate` into
    // `out` (interleaved stereo). Audio thread, under the mixer's lock.
    void Mix(float* out, int frames, int outputRate);

private:
    float SampleAt(size_t frame, int channel) const;

    std::shared_ptr<const PcmSamples> m_samples;
    std::atomic<int> m_volume{0};
    std::atomic<int> m_pan{0};
    std::atomic<int> m_frequency;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_looping{false};
    double m_position = 0;  // audio thread (mixer lock)
    std::atomic<double> m_seekTo{0};
    std::atomic<bool> m_seekPending{false};
};

// Linear gain of a level in hundredths of a decibel: 10^(v / 2000);
// -10000 and below is silence.
float GainOf(int hundredthsDb);

// Mixes voices and sources into 16-bit stereo at a fixed rate. Works with
// or without an output device; Render is what the device's callback calls,
// and tests call it directly.
class Mixer {
public:
    static constexpr int kRate = 44100;

    void AddVoice(std::shared_ptr<AudioVoice> voice);
    void RemoveVoice(const AudioVoice* voice);
    // `source` must stay alive until removed.
    void AddSource(AudioSource* source);
    void RemoveSource(AudioSource* source);
    // Output gain for everything (the "system" wave volume), 0..1.
    void SetOutputGain(float gain) { m_outputGain = gain; }
    float GetOutputGain() const { return m_outputGain; }

    // Renders `frames` stereo frames. Any thread (the device's callback).
    void Render(int16_t* out, int frames);
    std::mutex& GetLock() { return m_lock; }

private:
    std::mutex m_lock;
    std::vector<std::shared_ptr<AudioVoice>> m_voices;  // guarded by m_lock
    std::vector<AudioSource*> m_sources;                // guarded by m_lock
    std::vector<float> m_scratch;                       // guarded by m_lock
    std::atomic<float> m_outputGain{1.0f};
};

// The sound card: 44100 Hz stereo 16-bit output pulling from a mixer.
class AudioDevice {
public:
    // Null when no audio device can be opened (the game then runs silent).
    // `mixer` must outlive the device.
    static std::unique_ptr<AudioDevice> Open(Mixer* mixer);
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

private:
    AudioDevice() = default;
    uint32_t m_device = 0;
    Mixer* m_mixer = nullptr;
};

}  // namespace Brisk::Platform
