#include "framework/sound/MusicInterface.h"
#include "framework/resources/Ascii.h"

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstring>
#include <mutex>

#include "framework/platform/Audio.h"
#include "framework/resources/PakInterface.h"
#include "framework/sound/SoundManager.h"

namespace Brisk {

// A song on the mixer: pulled by the audio thread; controlled from the main
// thread under the mixer's lock.
class MusicChannel : public Platform::AudioSource {
public:
    ~MusicChannel() override = default;
    int Mix(float* out, int frames) override {
        if (!playing || paused) {
            return frames;
        }
        m_buffer.assign(static_cast<size_t>(frames) * 2, 0.0f);
        const int got = Render(m_buffer.data(), frames);
        const float g = gain;
        for (int i = 0; i < got * 2; ++i) {
            out[i] += m_buffer[static_cast<size_t>(i)] * g;
        }
        if (got < frames) {
            playing = false;
        }
        return frames;
    }
    // Produces up to `frames` stereo float frames at 44100 Hz; fewer at the end.
    virtual int Render(float* out, int frames) = 0;
    // Restarts at a position: an order for modules, a byte offset for streams.
    virtual void Seek(int position) = 0;
    virtual void SetAmplification(double /*value*/) {}
    // Decoded samples the song holds ahead of the play position (audio
    // thread, or under the mixer's lock).
    virtual size_t CountDecodedSamplesHeld() const { return 0; }

    // Written by the main thread, read by the audio thread.
    std::atomic<bool> looping{false};
    std::atomic<bool> playing{false};
    std::atomic<bool> paused{false};
    std::atomic<float> gain{0};

private:
    std::vector<float> m_buffer;
};

namespace {

class ModuleChannel : public MusicChannel {
public:
    static std::unique_ptr<ModuleChannel> Load(const std::vector<uint8_t>& data) {
        openmpt_module* mod =
            openmpt_module_create_from_memory2(data.data(), data.size(), nullptr, nullptr, nullptr,
                                               nullptr, nullptr, nullptr, nullptr);
        if (mod == nullptr) {
            return nullptr;
        }
        auto channel = std::make_unique<ModuleChannel>();
        channel->m_mod = mod;
        return channel;
    }
    ~ModuleChannel() override { openmpt_module_destroy(m_mod); }
    int Render(float* out, int frames) override {
        openmpt_module_set_repeat_count(m_mod, looping ? -1 : 0);
        return static_cast<int>(openmpt_module_read_interleaved_float_stereo(
            m_mod, Platform::Mixer::kRate, static_cast<size_t>(frames), out));
    }
    void Seek(int order) override {
        if (order >= 0) {
            openmpt_module_set_position_order_row(m_mod, order, 0);
        }
    }
    void SetAmplification(double value) override {
        // value x 100 percent of the original level, as millibels.
        const double mb = value > 0 ? 2000.0 * std::log10(value) : -10000.0;
        openmpt_module_set_render_param(m_mod, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL,
                                        static_cast<int32_t>(mb));
    }

private:
    openmpt_module* m_mod = nullptr;
};

// A stream decoded as it plays from bytes held in memory.
class StreamChannel : public MusicChannel {
public:
    // Interleaved 16-bit frames into `out` (stereo); returns frames, 0 at the end.
    virtual int Decode(int16_t* out, int frames) = 0;
    virtual void Rewind() = 0;
    virtual void SkipFrames(long frames) = 0;
    int Render(float* out, int frames) override {
        int done = 0;
        bool restarted = false;
        while (done < frames) {
            m_pcm.resize(static_cast<size_t>(frames - done) * 2);
            const int got = Decode(m_pcm.data(), frames - done);
            if (got <= 0) {
                if (!looping || restarted) {
                    break;
                }
                Rewind();
                restarted = true;  // an empty stream must not spin
                continue;
            }
            restarted = false;
            for (int i = 0; i < got * 2; ++i) {
                out[done * 2 + i] = m_pcm[static_cast<size_t>(i)] / 32768.0f;
            }
            done += got;
        }
        return done;
    }
    void Seek(int byteOffset) override {
        Rewind();
        if (byteOffset > 0) {
            SkipFrames(byteOffset / 4);
        }
    }

private:
    std::vector<int16_t> m_pcm;
};

// Wave data, converted to 16-bit stereo at load.
class WaveChannel : public StreamChannel {
public:
    static std::unique_ptr<WaveChannel> Load(const std::vector<uint8_t>& data) {
        auto samples = ReadWave(data.data(), data.size());
        if (samples == nullptr || samples->Frames() == 0) {
            return nullptr;
        }
        auto channel = std::make_unique<WaveChannel>();
        channel->m_voice = std::make_unique<Platform::AudioVoice>(std::move(samples));
        return channel;
    }
    int Decode(int16_t* out, int frames) override {
        // The voice resamples to the mixer's rate; render it silent-mixed.
        std::vector<float> buf(static_cast<size_t>(frames) * 2, 0.0f);
        if (!m_started) {
            m_voice->Play(false);
            m_started = true;
        }
        if (!m_voice->IsPlaying()) {
            return 0;
        }
        m_voice->Mix(buf.data(), frames, Platform::Mixer::kRate);
        for (size_t i = 0; i < buf.size(); ++i) {
            out[i] = static_cast<int16_t>(std::clamp(buf[i], -1.0f, 1.0f) * 32767.0f);
        }
        return frames;
    }
    void Rewind() override {
        m_voice->SetPosition(0);
        m_voice->Play(false);
    }
    void SkipFrames(long frames) override { m_voice->SetPosition(static_cast<double>(frames)); }

private:
    std::unique_ptr<Platform::AudioVoice> m_voice;
    bool m_started = false;
};

struct MemoryStream {
    std::shared_ptr<const std::vector<uint8_t>> data;
    size_t pos = 0;
};

size_t MemRead(void* ptr, size_t size, size_t count, void* source) {
    auto* m = static_cast<MemoryStream*>(source);
    if (size == 0) {
        return 0;
    }
    const size_t n = std::min(count, (m->data->size() - m->pos) / size);
    std::memcpy(ptr, m->data->data() + m->pos, n * size);
    m->pos += n * size;
    return n;
}
int MemSeek(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<MemoryStream*>(source);
    int64_t base = whence == SEEK_SET   ? 0
                   : whence == SEEK_CUR ? static_cast<int64_t>(m->pos)
                                        : static_cast<int64_t>(m->data->size());
    const int64_t p = base + offset;
    if (p < 0 || p > static_cast<int64_t>(m->data->size())) {
        return -1;
    }
    m->pos = static_cast<size_t>(p);
    return 0;
}
long MemTell(void* source) {
    return static_cast<long>(static_cast<MemoryStream*>(source)->pos);
}

// An Ogg Vorbis stream held in memory, opened for reading.
struct VorbisReader {
    MemoryStream stream;
    OggVorbis_File vf{};
    bool open = false;

    bool Open(std::shared_ptr<const std::vector<uint8_t>> data) {
        stream.data = std::move(data);
        const ov_callbacks callbacks{MemRead, MemSeek, nullptr, MemTell};
        open = ov_open_callbacks(&stream, &vf, nullptr, 0, callbacks) == 0;
        return open;
    }
    ~VorbisReader() {
        if (open) {
            ov_clear(&vf);
        }
    }
    // Interleaved 16-bit samples into `out`; the count read, 0 at the end.
    size_t Read(int16_t* out, size_t samples) {
        int section = 0;
        const long n = ov_read(&vf, reinterpret_cast<char*>(out), static_cast<int>(samples * 2), 0,
                               2, 1, &section);
        return n > 0 ? static_cast<size_t>(n) / 2 : 0;
    }
};

// An Ogg Vorbis song decoded as it plays: the audio thread decodes one run
// of samples ahead of the play position at a time, so what is held decoded
// stays a few thousand samples however long the song is. A repeat goes back
// to the start of the stream and decodes it again, the same samples.
class OggChannel : public StreamChannel {
public:
    static std::unique_ptr<OggChannel> Load(std::vector<uint8_t> data) {
        auto channel = std::make_unique<OggChannel>();
        auto shared = std::make_shared<const std::vector<uint8_t>>(std::move(data));
        if (!channel->m_reader.Open(std::move(shared))) {
            return nullptr;
        }
        const vorbis_info* info = ov_info(&channel->m_reader.vf, -1);
        if (info == nullptr || info->channels < 1 || info->channels > 2) {
            return nullptr;
        }
        channel->m_channels = info->channels;
        channel->m_rate = static_cast<int>(info->rate);
        return channel;
    }
    size_t CountDecodedSamplesHeld() const override { return m_stream.capacity(); }
    int Decode(int16_t* out, int frames) override {
        // Decoded at the file's rate and converted to 44100 Hz stereo by
        // repeating or dropping frames (music is 44100 Hz in practice).
        int done = 0;
        while (done < frames) {
            if (m_bufferPos >= m_bufferSize && !NextChunk()) {
                break;
            }
            const size_t whole = (m_bufferSize - m_bufferPos) / static_cast<size_t>(m_channels);
            if (m_rate == Platform::Mixer::kRate && m_channels == 2 && whole > 0) {
                // At the mixer's rate every frame is taken once, as it stands.
                const size_t n = std::min(whole, static_cast<size_t>(frames - done));
                std::copy_n(m_stream.data() + m_bufferPos, 2 * n, out + 2 * done);
                m_bufferPos += 2 * n;
                done += static_cast<int>(n);
                continue;
            }
            const int16_t l = m_stream[m_bufferPos];
            const int16_t r = m_channels == 2 ? m_stream[m_bufferPos + 1] : l;
            out[2 * done] = l;
            out[2 * done + 1] = r;
            ++done;
            m_phase += m_rate;
            while (m_phase >= Platform::Mixer::kRate) {
                m_phase -= Platform::Mixer::kRate;
                m_bufferPos += static_cast<size_t>(m_channels);
            }
        }
        return done;
    }
    void Rewind() override {
        m_position = 0;
        m_bufferSize = 0;
        m_bufferPos = 0;
        m_streamAt = kNotStreaming;
    }
    void SkipFrames(long frames) override {
        Rewind();
        m_position = static_cast<size_t>(std::max(frames, 0L)) * static_cast<size_t>(m_channels);
    }

private:
    static constexpr size_t kNotStreaming = SIZE_MAX;
    static constexpr size_t kChunkSamples = 4096;

    // Decodes the next run of samples from the play position. False at the end.
    bool NextChunk() {
        m_position += std::min(m_bufferPos, m_bufferSize);
        m_bufferPos = 0;
        m_bufferSize = 0;
        if (m_streamAt != m_position) {
            // Streams from here: a seek when not already there.
            const int failed =
                m_position == 0
                    ? ov_raw_seek(&m_reader.vf, 0)
                    : ov_pcm_seek(&m_reader.vf, static_cast<ogg_int64_t>(m_position / m_channels));
            if (failed != 0) {
                return false;
            }
        }
        m_stream.resize(kChunkSamples);
        m_bufferSize = m_reader.Read(m_stream.data(), m_stream.size());
        m_streamAt = m_position + m_bufferSize;
        return m_bufferSize > 0;
    }

    VorbisReader m_reader;  // the audio thread's own stream
    int m_channels = 2;
    int m_rate = 44100;
    int m_phase = 0;
    // Play position, in samples from the start; the decoded run and the
    // place in it.
    size_t m_position = 0;
    size_t m_bufferSize = 0;
    size_t m_bufferPos = 0;
    size_t m_streamAt = kNotStreaming;  // where the stream stands
    std::vector<int16_t> m_stream;
};

class Mp3Channel : public StreamChannel {
public:
    static std::unique_ptr<Mp3Channel> Load(std::vector<uint8_t> data) {
        static const bool initialised = mpg123_init() == MPG123_OK;
        if (!initialised) {
            return nullptr;
        }
        auto channel = std::make_unique<Mp3Channel>();
        channel->m_data = std::move(data);
        int error = 0;
        channel->m_handle = mpg123_new(nullptr, &error);
        if (channel->m_handle == nullptr) {
            return nullptr;
        }
        mpg123_param(channel->m_handle, MPG123_FORCE_RATE, Platform::Mixer::kRate, 0);
        mpg123_param(channel->m_handle, MPG123_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0);
        if (!channel->Open()) {
            return nullptr;
        }
        return channel;
    }
    ~Mp3Channel() override {
        if (m_handle != nullptr) {
            mpg123_close(m_handle);
            mpg123_delete(m_handle);
        }
    }
    bool Open() {
        mpg123_close(m_handle);
        return mpg123_open_feed(m_handle) == MPG123_OK &&
               mpg123_feed(m_handle, m_data.data(), m_data.size()) == MPG123_OK;
    }
    int Decode(int16_t* out, int frames) override {
        size_t done = 0;
        int result = MPG123_NEW_FORMAT;
        // The first read of a stream (and of one after a format change)
        // announces the format with no samples: read again, it is no end.
        for (int tries = 0; tries < 4 && result == MPG123_NEW_FORMAT && done == 0; ++tries) {
            result = mpg123_read(m_handle, reinterpret_cast<unsigned char*>(out),
                                 static_cast<size_t>(frames) * 4, &done);
        }
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT && done == 0) {
            return 0;
        }
        return static_cast<int>(done / 4);
    }
    void Rewind() override { Open(); }
    void SkipFrames(long frames) override {
        std::vector<int16_t> scratch(4096);
        while (frames > 0) {
            const int got = Decode(scratch.data(), static_cast<int>(std::min<long>(frames, 2048)));
            if (got <= 0) {
                break;
            }
            frames -= got;
        }
    }

private:
    std::vector<uint8_t> m_data;
    mpg123_handle* m_handle = nullptr;
};

}  // namespace

StreamMusicInterface::StreamMusicInterface(Platform::Mixer* mixer) : m_mixer(mixer) {}

StreamMusicInterface::~StreamMusicInterface() {
    FreeAllMusic();
}

StreamMusicInterface::Song* StreamMusicInterface::Find(int id) {
    const auto it = m_songs.find(id);
    return it == m_songs.end() ? nullptr : &it->second;
}

size_t StreamMusicInterface::CountDecodedSamplesHeld(int id) const {
    const Song* song = GetSong(id);
    if (song == nullptr) {
        return 0;
    }
    std::unique_lock<std::mutex> lock;
    if (m_mixer != nullptr) {
        lock = std::unique_lock(m_mixer->GetLock());
    }
    return song->channel->CountDecodedSamplesHeld();
}

const StreamMusicInterface::Song* StreamMusicInterface::GetSong(int id) const {
    const auto it = m_songs.find(id);
    return it == m_songs.end() ? nullptr : &it->second;
}

bool StreamMusicInterface::LoadMusicFile(int id, const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : ToLowerAscii(path.substr(dot + 1));
    std::vector<uint8_t> data;
    if (!ReadWholeFile(path, &data, kMaxSoundBytes) || data.empty()) {
        return false;
    }
    std::unique_ptr<MusicChannel> channel;
    bool module = false;
    if (ext == "wav") {
        channel = WaveChannel::Load(data);
    } else if (ext == "ogg") {
        channel = OggChannel::Load(std::move(data));
    } else if (ext == "mp3") {
        channel = Mp3Channel::Load(std::move(data));
    } else {
        channel = ModuleChannel::Load(data);
        module = true;
    }
    if (channel == nullptr) {
        return false;
    }
    FreeMusic(id);
    Song song;
    song.channel = std::move(channel);
    song.isModule = module;
    if (m_mixer != nullptr) {
        m_mixer->AddSource(song.channel.get());
    }
    m_songs[id] = std::move(song);
    return true;
}

void StreamMusicInterface::ApplyVolume(Song& song) {
    std::unique_lock<std::mutex> lock;
    if (m_mixer != nullptr) {
        lock = std::unique_lock(m_mixer->GetLock());
    }
    song.channel->gain = static_cast<float>(std::clamp(song.volume, 0.0, 1.0) * m_masterVolume);
}

void StreamMusicInterface::Play(Song& song, int offset, bool noLoop, bool fadeIn) {
    std::unique_lock<std::mutex> lock;
    if (m_mixer != nullptr) {
        lock = std::unique_lock(m_mixer->GetLock());
    }
    MusicChannel& c = *song.channel;
    c.playing = false;
    c.looping = !noLoop;
    if (song.isModule) {
        if (!(fadeIn && offset == -1)) {
            c.Seek(std::max(offset, 0));
        }
    } else if (offset != -1) {
        c.Seek(offset);
    }
    c.paused = false;
    c.playing = true;
}

void StreamMusicInterface::StartMusic(int id, int offset, bool noLoop) {
    Song* song = Find(id);
    if (song == nullptr) {
        return;
    }
    song->volume = song->maxVolume;
    song->fadeStep = 0;
    song->stopAfterFade = noLoop;
    ApplyVolume(*song);
    Play(*song, offset, noLoop, false);
}

void StreamMusicInterface::FadeMusicIn(int id, int offset, double speed, bool noLoop) {
    Song* song = Find(id);
    if (song == nullptr) {
        return;
    }
    song->fadeStep = speed;
    song->stopAfterFade = noLoop;
    ApplyVolume(*song);
    Play(*song, offset, noLoop, true);
}

void StreamMusicInterface::FadeMusicOut(int id, bool stopWhenDone, double speed) {
    Song* song = Find(id);
    if (song == nullptr) {
        return;
    }
    if (song->volume != 0) {
        song->fadeStep = -speed;
    }
    song->stopAfterFade = stopWhenDone;
}

void StreamMusicInterface::FadeAllMusicOut(bool stopWhenDone, double speed) {
    for (auto& [id, song] : m_songs) {
        song.fadeStep = -speed;
        song.stopAfterFade = stopWhenDone;
    }
}

void StreamMusicInterface::UpdateMusic() {
    for (auto& [id, song] : m_songs) {
        if (song.fadeStep == 0) {
            continue;
        }
        song.volume += song.fadeStep;
        if (song.volume > song.maxVolume) {
            song.volume = song.maxVolume;
            song.fadeStep = 0;
        } else if (song.volume < 0) {
            song.volume = 0;
            song.fadeStep = 0;
            if (song.stopAfterFade) {
                std::unique_lock<std::mutex> lock;
                if (m_mixer != nullptr) {
                    lock = std::unique_lock(m_mixer->GetLock());
                }
                song.channel->playing = false;
            }
        }
        ApplyVolume(song);
    }
}

bool StreamMusicInterface::IsFading() const {
    return std::any_of(m_songs.begin(), m_songs.end(),
                       [](const auto& entry) { return entry.second.fadeStep != 0; });
}

void StreamMusicInterface::StopMusic(int id) {
    if (Song* song = Find(id)) {
        song->volume = 0;
        ApplyVolume(*song);
        std::unique_lock<std::mutex> lock;
        if (m_mixer != nullptr) {
            lock = std::unique_lock(m_mixer->GetLock());
        }
        song->channel->playing = false;
    }
}

void StreamMusicInterface::PauseMusic(int id) {
    if (Song* song = Find(id)) {
        song->channel->paused = true;
    }
}

void StreamMusicInterface::ResumeMusic(int id) {
    if (Song* song = Find(id)) {
        song->channel->paused = false;
    }
}

void StreamMusicInterface::StopAllMusic() {
    for (auto& [id, song] : m_songs) {
        StopMusic(id);
    }
}

void StreamMusicInterface::FreeMusic(int id) {
    Song* song = Find(id);
    if (song == nullptr) {
        return;
    }
    if (m_mixer != nullptr) {
        m_mixer->RemoveSource(song->channel.get());
    }
    m_songs.erase(id);
}

void StreamMusicInterface::FreeAllMusic() {
    while (!m_songs.empty()) {
        FreeMusic(m_songs.begin()->first);
    }
}

void StreamMusicInterface::PauseAllMusic() {
    for (auto& [id, song] : m_songs) {
        if (song.channel->playing && !song.channel->paused) {
            song.channel->paused = true;
        }
    }
}

void StreamMusicInterface::ResumeAllMusic() {
    for (auto& [id, song] : m_songs) {
        if (song.channel->paused) {
            song.channel->paused = false;
        }
    }
}

void StreamMusicInterface::SetMusicVolume(int id, double volume) {
    if (Song* song = Find(id)) {
        song->volume = volume;
        ApplyVolume(*song);
    }
}

void StreamMusicInterface::SetMusicMaxVolume(int id, double volume) {
    if (Song* song = Find(id)) {
        song->maxVolume = volume;
        song->volume = std::min(song->volume, volume);
        ApplyVolume(*song);
    }
}

bool StreamMusicInterface::IsMusicPlaying(int id) {
    const Song* song = Find(id);
    return song != nullptr && song->channel->playing && !song->channel->paused;
}

void StreamMusicInterface::SetMusicMasterVolume(double volume) {
    m_masterVolume = std::clamp(volume, 0.0, 1.0);
    for (auto& [id, song] : m_songs) {
        ApplyVolume(song);
    }
}

void StreamMusicInterface::SetMusicAmplification(int id, double value) {
    if (Song* song = Find(id)) {
        std::unique_lock<std::mutex> lock;
        if (m_mixer != nullptr) {
            lock = std::unique_lock(m_mixer->GetLock());
        }
        song->channel->SetAmplification(value);
    }
}

std::unique_ptr<MusicInterface> CreateMusicInterface(Platform::Mixer* mixer, bool musicOff) {
    if (musicOff) {
        return std::make_unique<MusicInterface>();
    }
    return std::make_unique<StreamMusicInterface>(mixer);
}

}  // namespace Brisk
