#include "framework/sound/SoundManager.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace Brisk {

int VolumeToHundredthsDb(double x) {
    // Full volume is the loudest a sound plays: louder asks amplify nothing.
    if (!(x > 0)) {
        return -10000;  // also not a number
    }
    const int v = static_cast<int>((std::log10(9 * std::min(x, 1.0) + 1) - 1) * 2333);
    return v < -2000 ? -10000 : std::min(v, 0);
}

// --- instances ----------------------------------------------------------------

DSoundInstance::DSoundInstance(DSoundManager* manager, std::shared_ptr<Platform::AudioVoice> voice)
    : m_manager(manager), m_voice(std::move(voice)) {
    if (m_voice != nullptr) {
        m_baseFrequency = m_voice->BaseFrequency();
    }
}

DSoundInstance::~DSoundInstance() {
    if (m_voice != nullptr && m_manager->GetMixer() != nullptr) {
        m_voice->Stop();
        m_manager->GetMixer()->RemoveVoice(m_voice.get());
    }
}

void DSoundInstance::RehupVolume() {
    if (m_voice != nullptr) {
        const double group = m_music ? m_manager->GetMusicVolume() : m_manager->GetMasterVolume();
        m_voice->SetVolume(VolumeToHundredthsDb(m_volume * m_defaultVolume * group));
        m_voice->SetPan(m_defaultPan + m_pan);
    }
}

void DSoundInstance::Free() {
    Stop();
    m_freed = true;
}

void DSoundInstance::SetDefaultVolume(double volume) {
    m_defaultVolume = volume;
    RehupVolume();
}

void DSoundInstance::SetDefaultPan(int pan) {
    m_defaultPan = pan;
    RehupVolume();
}

void DSoundInstance::SetMusic(bool on) {
    m_music = on;
    RehupVolume();
}

void DSoundInstance::SetVolume(double volume) {
    m_volume = volume;
    RehupVolume();
}

void DSoundInstance::SetPan(int pan) {
    m_pan = pan;
    RehupVolume();
}

void DSoundInstance::ShiftPitch(double steps) {
    if (m_voice == nullptr) {
        return;
    }
    const double frequency = m_baseFrequency * std::pow(1.0594630943592953, steps);
    m_voice->SetFrequency(static_cast<int>(std::clamp(frequency, 100.0, 100000.0)));
}

bool DSoundInstance::Play(bool looping, bool autoRelease) {
    Stop();
    m_played = true;
    m_autoRelease = autoRelease;
    if (m_voice == nullptr) {
        return false;
    }
    m_voice->Play(looping);
    return true;
}

void DSoundInstance::Halt() {
    if (m_voice != nullptr) {
        m_voice->Stop();
        m_voice->SetPosition(0);
    }
}

void DSoundInstance::Stop() {
    if (m_voice != nullptr) {
        m_voice->Stop();
        m_voice->SetPosition(0);
    }
    m_autoRelease = false;
}

bool DSoundInstance::IsPlaying() {
    return m_played && m_voice != nullptr && m_voice->IsPlaying();
}

bool DSoundInstance::IsFreed() {
    if (!m_freed && m_autoRelease && m_played && !IsPlaying()) {
        Free();
    }
    return m_freed;
}

// --- manager ------------------------------------------------------------------

DSoundManager::DSoundManager(Platform::Mixer* mixer, Platform::Clock* clock)
    : m_mixer(mixer), m_clock(clock) {
    m_lastSweep = m_clock->Milliseconds();
}

DSoundManager::~DSoundManager() {
    FreeAllInstances();
    FreeAllSounds();
}

const Platform::PcmSamples* DSoundManager::GetSamples(int id) const {
    return id >= 0 && id < kMaxSounds ? m_sounds[static_cast<size_t>(id)].samples.get() : nullptr;
}

int DSoundManager::LoadSoundFile(const std::string& path) {
    for (int id = 0; id < kMaxSounds; ++id) {
        if (!m_sounds[static_cast<size_t>(id)].path.empty() &&
            m_sounds[static_cast<size_t>(id)].path == path) {
            return id;
        }
    }
    for (int id = kMaxSounds - 1; id >= 0; --id) {
        if (m_sounds[static_cast<size_t>(id)].samples == nullptr &&
            m_sounds[static_cast<size_t>(id)].path.empty()) {
            return LoadSoundFile(id, path) ? id : -1;
        }
    }
    return -1;
}

bool DSoundManager::LoadSoundFile(int id, const std::string& path) {
    if (id < 0 || id >= kMaxSounds) {
        return false;
    }
    FreeSound(id);
    if (m_mixer == nullptr) {
        return true;  // no audio output: nothing to load
    }
    Sound& sound = m_sounds[static_cast<size_t>(id)];
    sound.path = path;

    // Without a data folder nothing is cached: the game's own folder holds
    // only what the game ships and saves.
    const bool relative = !m_dataFolder.empty() && path.size() > 2 && path[0] != '\\' &&
                          path[0] != '/' && path[1] != ':';
    std::string cachePath;
    if (relative) {
        std::string withoutExtension = path;
        const size_t dot = path.find_last_of('.');
        const size_t sep = path.find_last_of("/\\");
        if (dot != std::string::npos && (sep == std::string::npos || dot > sep)) {
            withoutExtension = path.substr(0, dot);
        }
        std::replace(withoutExtension.begin(), withoutExtension.end(), '\\', '/');
        cachePath = m_dataFolder + withoutExtension;
        if (auto cached = ReadWaveFile(cachePath)) {
            sound.samples = std::move(cached);
            return true;
        }
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(cachePath).parent_path(), ec);
    }
    if (auto wave = ReadWaveFile(path + ".wav")) {
        sound.samples = std::move(wave);
        return true;
    }
    std::shared_ptr<Platform::PcmSamples> decoded;
    std::string source;
    if ((decoded = DecodeOggFile(path + ".ogg")) != nullptr) {
        source = path + ".ogg";
    } else if ((decoded = ReadAuFile(path + ".au")) != nullptr) {
        source = path + ".au";
    } else {
        sound.path.clear();
        return false;
    }
    if (relative) {
        WriteSoundCache(cachePath, *decoded, source);
    }
    sound.samples = std::move(decoded);
    return true;
}

void DSoundManager::FreeSound(int id) {
    if (id < 0 || id >= kMaxSounds) {
        return;
    }
    m_sounds[static_cast<size_t>(id)].samples.reset();
    m_sounds[static_cast<size_t>(id)].path.clear();
}

void DSoundManager::SetSoundsVolume(double volume) {
    m_masterVolume = volume;
    for (auto& instance : m_instances) {
        if (instance != nullptr) {
            instance->RehupVolume();
        }
    }
}

void DSoundManager::SetMusicVolume(double volume) {
    m_musicVolume = volume;
    for (auto& instance : m_instances) {
        if (instance != nullptr) {
            instance->RehupVolume();
        }
    }
}

bool DSoundManager::SetDefaultVolume(int id, double volume) {
    if (id < 0 || id >= kMaxSounds) {
        return false;
    }
    m_sounds[static_cast<size_t>(id)].defaultVolume = volume;
    return true;
}

bool DSoundManager::SetDefaultPan(int id, int pan) {
    if (id < 0 || id >= kMaxSounds) {
        return false;
    }
    m_sounds[static_cast<size_t>(id)].defaultPan = pan;
    return true;
}

int DSoundManager::FindInstanceSlot() {
    const uint32_t now = m_clock->Milliseconds();
    if (static_cast<int32_t>(now - m_lastSweep) > 1000) {
        m_lastSweep = now;
        for (auto& instance : m_instances) {
            if (instance != nullptr && instance->IsFreed()) {
                instance.reset();
            }
        }
    }
    for (int i = 0; i < kMaxInstances; ++i) {
        auto& instance = m_instances[static_cast<size_t>(i)];
        if (instance == nullptr) {
            return i;
        }
        if (instance->IsFreed()) {
            instance.reset();
            return i;
        }
    }
    return -1;
}

SoundInstance* DSoundManager::NewInstance(int id) {
    if (id < 0 || id >= kMaxSounds) {
        return nullptr;
    }
    const int slot = FindInstanceSlot();
    if (slot < 0) {
        return nullptr;
    }
    const Sound& sound = m_sounds[static_cast<size_t>(id)];
    std::shared_ptr<Platform::AudioVoice> voice;
    if (m_mixer != nullptr) {
        if (sound.samples == nullptr) {
            return nullptr;
        }
        voice = std::make_shared<Platform::AudioVoice>(sound.samples);
        m_mixer->AddVoice(voice);
    }
    auto instance = std::make_unique<DSoundInstance>(this, std::move(voice));
    instance->SetDefaultPan(sound.defaultPan);
    instance->SetDefaultVolume(sound.defaultVolume);
    instance->m_serial = m_nextSerial++;
    if (m_nextSerial == 0) {
        m_nextSerial = 1;  // 0 stays "no instance"
    }
    m_instances[static_cast<size_t>(slot)] = std::move(instance);
    return m_instances[static_cast<size_t>(slot)].get();
}

SoundInstance* DSoundManager::FindInstance(uint32_t serial) {
    if (serial == 0) {
        return nullptr;
    }
    for (auto& instance : m_instances) {
        if (instance != nullptr && instance->m_serial == serial) {
            return instance->IsFreed() ? nullptr : instance.get();
        }
    }
    return nullptr;
}

void DSoundManager::FreeAllSounds() {
    for (int id = 0; id < kMaxSounds; ++id) {
        FreeSound(id);
    }
}

void DSoundManager::FreeAllInstances() {
    for (auto& instance : m_instances) {
        instance.reset();
    }
}

double DSoundManager::GetSystemVolume() {
    return m_mixer != nullptr ? static_cast<double>(m_mixer->GetOutputGain()) : 0.0;
}

void DSoundManager::SetSystemVolume(double volume) {
    if (m_mixer != nullptr) {
        m_mixer->SetOutputGain(static_cast<float>(std::clamp(volume, 0.0, 1.0)));
    }
}

void DSoundManager::StopAll() {
    for (auto& instance : m_instances) {
        if (instance != nullptr) {
            instance->Halt();  // a stopped one-shot still frees itself later
        }
    }
}

int DSoundManager::FindFreeSoundId() {
    for (int id = 0; id < kMaxSounds; ++id) {
        if (m_sounds[static_cast<size_t>(id)].samples == nullptr) {
            return id;
        }
    }
    return -1;
}

int DSoundManager::CountLoadedSounds() {
    return static_cast<int>(std::count_if(m_sounds.begin(), m_sounds.end(),
                                          [](const Sound& s) { return s.samples != nullptr; }));
}

}  // namespace Brisk
