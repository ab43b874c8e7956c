#include "framework/platform/Audio.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Brisk::Platform {

float GainOf(int hundredthsDb) {
    if (hundredthsDb <= -10000) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

AudioVoice::AudioVoice(std::shared_ptr<const PcmSamples> samples)
    : m_samples(std::move(samples)), m_frequency(m_samples->format.rate) {}

float AudioVoice::SampleAt(size_t frame, int channel) const {
    const PcmFormat& f = m_samples->format;
    const int ch = std::min(channel, f.channels - 1);
    const size_t offset = frame * static_cast<size_t>(f.BlockAlign()) +
                          static_cast<size_t>(ch) * static_cast<size_t>(f.bits / 8);
    const uint8_t* p = m_samples->data.data() + offset;
    if (f.bits == 8) {
        return (static_cast<int>(p[0]) - 128) / 128.0f;
    }
    return static_cast<int16_t>(p[0] | (p[1] << 8)) / 32768.0f;
}

void AudioVoice::Mix(float* out, int frames, int outputRate) {
    if (m_seekPending.exchange(false, std::memory_order_acquire)) {
        m_position = m_seekTo.load(std::memory_order_relaxed);
    }
    const size_t total = m_samples->Frames();
    if (!m_playing || total == 0 || (m_samples->format.bits != 8 && m_samples->format.bits != 16)) {
        return;
    }
    const float gain = GainOf(m_volume);
    const int pan = m_pan;
    const float left = gain * (pan > 0 ? GainOf(-pan) : 1.0f);
    const float right = gain * (pan < 0 ? GainOf(pan) : 1.0f);
    const double step = static_cast<double>(std::max(1, m_frequency.load())) / outputRate;
    const bool stereo = m_samples->format.channels >= 2;
    for (int i = 0; i < frames; ++i) {
        if (m_position >= static_cast<double>(total)) {
            if (!m_looping) {
                m_playing = false;
                m_position = 0;
                return;
            }
            m_position = std::fmod(m_position, static_cast<double>(total));
        }
        // Linear interpolation between the two nearest frames.
        const auto frame = static_cast<size_t>(m_position);
        const auto frac = static_cast<float>(m_position - static_cast<double>(frame));
        size_t next = frame + 1;
        if (next >= total) {
            next = m_looping ? 0 : frame;
        }
        const float l0 = SampleAt(frame, 0);
        const float l1 = SampleAt(next, 0);
        const float l = l0 + (l1 - l0) * frac;
        float r = l;
        if (stereo) {
            const float r0 = SampleAt(frame, 1);
            const float r1 = SampleAt(next, 1);
            r = r0 + (r1 - r0) * frac;
        }
        out[2 * i] += l * left;
        out[2 * i + 1] += r * right;
        m_position += step;
    }
}

void Mixer::AddVoice(std::shared_ptr<AudioVoice> voice) {
    std::lock_guard lock(m_lock);
    m_voices.push_back(std::move(voice));
}

void Mixer::RemoveVoice(const AudioVoice* voice) {
    std::lock_guard lock(m_lock);
    std::erase_if(m_voices, [voice](const auto& v) { return v.get() == voice; });
}

void Mixer::AddSource(AudioSource* source) {
    std::lock_guard lock(m_lock);
    m_sources.push_back(source);
}

void Mixer::RemoveSource(AudioSource* source) {
    std::lock_guard lock(m_lock);
    std::erase(m_sources, source);
}

void Mixer::Render(int16_t* out, int frames) {
    std::lock_guard lock(m_lock);
    m_scratch.assign(static_cast<size_t>(frames) * 2, 0.0f);
    for (const auto& voice : m_voices) {
        voice->Mix(m_scratch.data(), frames, kRate);
    }
    for (AudioSource* source : m_sources) {
        source->Mix(m_scratch.data(), frames);
    }
    const float gain = m_outputGain;
    for (size_t i = 0; i < m_scratch.size(); ++i) {
        const float v = std::clamp(m_scratch[i] * gain, -1.0f, 1.0f);
        // Rounds half away from zero, as lround does (exact in double),
        // without a library call; not-a-number is silence.
        const double x = static_cast<double>(v * 32767.0f);
        out[i] = x >= 0.0  ? static_cast<int16_t>(x + 0.5)
                 : x < 0.0 ? static_cast<int16_t>(x - 0.5)
                           : int16_t{0};
    }
}

namespace {

// Sends standard error to /dev/null for its lifetime: without a sound card the
// audio back ends print their failed probes there, and the game then simply
// runs silent.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        m_saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0) {
            dup2(null, STDERR_FILENO);
        }
        if (null >= 0) {
            close(null);
        }
    }
    ~QuietStderr() {
        if (m_saved >= 0) {
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int m_saved = -1;
};

void SDLCALL AudioCallback(void* userdata, Uint8* stream, int len) {
    auto* mixer = static_cast<Mixer*>(userdata);
    mixer->Render(reinterpret_cast<int16_t*>(stream), len / 4);
}
}  // namespace

std::unique_ptr<AudioDevice> AudioDevice::Open(Mixer* mixer) {
    const QuietStderr quiet;
    SDL_LogSetPriority(SDL_LOG_CATEGORY_AUDIO, SDL_LOG_PRIORITY_CRITICAL);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return nullptr;
    }
    SDL_AudioSpec want{};
    want.freq = Mixer::kRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = AudioCallback;
    want.userdata = mixer;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    std::unique_ptr<AudioDevice> device(new AudioDevice());
    device->m_device = id;
    device->m_mixer = mixer;
    SDL_PauseAudioDevice(id, 0);
    return device;
}

AudioDevice::~AudioDevice() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

}  // namespace Brisk::Platform
