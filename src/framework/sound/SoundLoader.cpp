// Sound files: wave (with the cache's "dep " and "xor " chunks), ".au" and
// Ogg Vorbis, and the writer of decoded-sound cache files.

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "framework/platform/Files.h"
#include "framework/platform/Paths.h"
#include "framework/resources/PakInterface.h"
#include "framework/sound/SoundManager.h"

namespace Brisk {
namespace {

uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t BigU32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// The 16-bit value of an 8-bit mu-law sample.
int16_t MuLaw(uint8_t v) {
    v = static_cast<uint8_t>(~v);
    const int sign = v & 0x80;
    const int exponent = (v >> 4) & 7;
    const int mantissa = v & 0x0F;
    int sample = ((mantissa << 3) + 0x84) << exponent;
    sample -= 0x84;
    return static_cast<int16_t>(sign != 0 ? -sample : sample);
}

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out->push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}
void PutTag(std::vector<uint8_t>* out, const char* tag) {
    out->insert(out->end(), tag, tag + std::strlen(tag));
}
void PutU16(std::vector<uint8_t>* out, uint16_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}

bool FormatUsable(const Platform::PcmFormat& f) {
    return (f.bits == 8 || f.bits == 16) && f.channels >= 1 && f.channels <= 8 && f.rate > 0 &&
           f.rate <= 384000;
}

}  // namespace

int64_t SourceFileTime(const std::string& path) {
    std::error_code ec;
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    // A source inside a mounted archive: the time its directory records for
    // the entry, else the archive's own, so a changed archive rebuilds the cache.
    const auto& entries = PakInterface::Get()->Entries();
    const auto entry = entries.find(PakInterface::NormalizePakName(p));
    if (entry != entries.end() && entry->second.archive != nullptr) {
        const int64_t stored = static_cast<int64_t>((uint64_t{entry->second.fileTimeHigh} << 32) |
                                                    entry->second.fileTimeLow);
        if (stored != 0) {
            return stored;
        }
        p = entry->second.archive->name;
    }
    const auto t = std::filesystem::last_write_time(p, ec);
    return ec ? 0 : static_cast<int64_t>(t.time_since_epoch().count());
}

std::shared_ptr<Platform::PcmSamples> ReadWave(const uint8_t* data, size_t size) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
        return nullptr;
    }
    Platform::PcmFormat format;  // PCM, 1 channel, 22050 Hz, 16 bits until "fmt "
    uint8_t key = 0;
    size_t pos = 12;
    while (size - pos >= 8) {
        const uint8_t* chunk = data + pos;
        const size_t length = U32(chunk + 4);
        pos += 8;
        const size_t available = size - pos;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16 || available < 16) {
                return nullptr;
            }
            if (U16(data + pos) != 1) {
                return nullptr;  // only PCM
            }
            format.channels = U16(data + pos + 2);
            format.rate = static_cast<int>(U32(data + pos + 4));
            format.bits = U16(data + pos + 14);
        } else if (std::memcmp(chunk, "dep ", 4) == 0) {
            if (available < 2) {
                return nullptr;
            }
            size_t pathLength = std::min<size_t>(U16(data + pos), 255);
            if (available < 2 + pathLength + 8) {
                return nullptr;
            }
            const std::string source(reinterpret_cast<const char*>(data + pos + 2), pathLength);
            int64_t stamp = 0;
            std::memcpy(&stamp, data + pos + 2 + pathLength, 8);
            if (SourceFileTime(source) != stamp) {
                return nullptr;  // stale: the source changed since
            }
        } else if (std::memcmp(chunk, "xor ", 4) == 0) {
            if (available < 1) {
                return nullptr;
            }
            key = data[pos];
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (length > available || length > kMaxSoundBytes || !FormatUsable(format)) {
                return nullptr;
            }
            auto samples = std::make_shared<Platform::PcmSamples>();
            samples->format = format;
            samples->data.assign(data + pos, data + pos + length);
            for (uint8_t& b : samples->data) {
                b ^= key;
            }
            return samples;
        }
        if (length > available) {
            return nullptr;
        }
        pos += length;
    }
    return nullptr;
}

std::shared_ptr<Platform::PcmSamples> ReadWaveFile(const std::string& path) {
    std::vector<uint8_t> data;
    if (!ReadWholeFile(path, &data, kMaxSoundFileBytes)) {
        return nullptr;
    }
    return ReadWave(data.data(), data.size());
}

std::shared_ptr<Platform::PcmSamples> ReadAu(const uint8_t* data, size_t size) {
    if (size < 24 || std::memcmp(data, ".snd", 4) != 0) {
        return nullptr;
    }
    const size_t offset = BigU32(data + 4);
    size_t length = BigU32(data + 8);
    const uint32_t encoding = BigU32(data + 12);
    Platform::PcmFormat format;
    format.rate = static_cast<int>(BigU32(data + 16));
    format.channels = static_cast<int>(BigU32(data + 20));
    if (offset > size) {
        return nullptr;
    }
    length = std::min(length, size - offset);  // 0xFFFFFFFF means "to the end"
    if (length > kMaxSoundBytes / 2) {
        return nullptr;
    }
    auto samples = std::make_shared<Platform::PcmSamples>();
    const uint8_t* p = data + offset;
    if (encoding == 1) {
        format.bits = 16;
        samples->data.resize(length * 2);
        for (size_t i = 0; i < length; ++i) {
            const auto s = static_cast<uint16_t>(MuLaw(p[i]));
            samples->data[2 * i] = static_cast<uint8_t>(s);
            samples->data[2 * i + 1] = static_cast<uint8_t>(s >> 8);
        }
    } else if (encoding == 2) {
        format.bits = 8;
        samples->data.resize(length);
        for (size_t i = 0; i < length; ++i) {
            samples->data[i] = static_cast<uint8_t>(p[i] ^ 0x80);  // signed to unsigned
        }
    } else {
        return nullptr;
    }
    if (!FormatUsable(format)) {
        return nullptr;
    }
    samples->format = format;
    return samples;
}

std::shared_ptr<Platform::PcmSamples> ReadAuFile(const std::string& path) {
    std::vector<uint8_t> data;
    if (!ReadWholeFile(path, &data, kMaxSoundFileBytes)) {
        return nullptr;
    }
    return ReadAu(data.data(), data.size());
}

namespace {

size_t OggRead(void* ptr, size_t size, size_t count, void* source) {
    return pak_read(ptr, size, count, static_cast<PakFile*>(source));
}
int OggSeek(void* source, ogg_int64_t offset, int whence) {
    return pak_seek(static_cast<PakFile*>(source), static_cast<long>(offset), whence);
}
int OggClose(void* source) {
    return pak_close(static_cast<PakFile*>(source));
}
long OggTell(void* source) {
    return pak_tell(static_cast<PakFile*>(source));
}

}  // namespace

std::shared_ptr<Platform::PcmSamples> DecodeOggFile(const std::string& path) {
    PakFile* file = pak_open(path.c_str(), "rb");
    if (file == nullptr) {
        return nullptr;
    }
    OggVorbis_File vf;
    const ov_callbacks callbacks{OggRead, OggSeek, OggClose, OggTell};
    if (ov_open_callbacks(file, &vf, nullptr, 0, callbacks) != 0) {
        pak_close(file);
        return nullptr;
    }
    std::shared_ptr<Platform::PcmSamples> result;
    const vorbis_info* info = ov_info(&vf, -1);
    const ogg_int64_t frames = ov_pcm_total(&vf, -1);
    if (info != nullptr && frames > 0) {
        Platform::PcmFormat format{info->channels, static_cast<int>(info->rate), 16};
        const uint64_t bytes =
            static_cast<uint64_t>(frames) * static_cast<uint64_t>(info->channels) * 2;
        if (FormatUsable(format) && bytes <= kMaxSoundBytes) {
            auto samples = std::make_shared<Platform::PcmSamples>();
            samples->format = format;
            samples->data.resize(static_cast<size_t>(bytes));
            size_t filled = 0;
            int section = 0;
            while (filled < samples->data.size()) {
                const long n = ov_read(
                    &vf, reinterpret_cast<char*>(samples->data.data() + filled),
                    static_cast<int>(std::min<size_t>(samples->data.size() - filled, 65536)), 0, 2,
                    1, &section);
                if (n <= 0) {
                    break;
                }
                filled += static_cast<size_t>(n);
            }
            if (filled == samples->data.size()) {
                result = std::move(samples);
            }
        }
    }
    ov_clear(&vf);  // closes the file through OggClose
    return result;
}

bool WriteSoundCache(const std::string& cachePath, const Platform::PcmSamples& samples,
                     const std::string& sourcePath) {
    const Platform::PcmFormat& f = samples.format;
    const auto dataSize = static_cast<uint32_t>(samples.data.size());
    std::vector<uint8_t> out;
    PutTag(&out, "RIFF");
    PutU32(&out, dataSize + 36);
    PutTag(&out, "WAVEfmt ");
    PutU32(&out, 16);
    PutU16(&out, 1);
    PutU16(&out, static_cast<uint16_t>(f.channels));
    PutU32(&out, static_cast<uint32_t>(f.rate));
    PutU32(&out, static_cast<uint32_t>(f.rate * f.BlockAlign()));
    PutU16(&out, static_cast<uint16_t>(f.BlockAlign()));
    PutU16(&out, static_cast<uint16_t>(f.bits));
    const std::string path = sourcePath.substr(0, 255);
    PutTag(&out, "dep ");
    PutU32(&out, static_cast<uint32_t>(path.size() + 10));
    PutU16(&out, static_cast<uint16_t>(path.size()));
    out.insert(out.end(), path.begin(), path.end());
    const int64_t stamp = SourceFileTime(sourcePath);
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(stamp) >> (8 * i)));
    }
    PutTag(&out, "xor ");
    PutU32(&out, 1);
    out.push_back(kSoundCacheKey);
    PutTag(&out, "data");
    PutU32(&out, dataSize);
    for (uint8_t b : samples.data) {
        out.push_back(b ^ kSoundCacheKey);
    }
    // Through a temporary file of this write alone, renamed into place: a crash
    // leaves no half file, and two copies of the program caching the same
    // sound never meet.
    const std::string folder = Platform::DirectoryOf(cachePath);
    Platform::RemoveStaleTemporaries(folder, cachePath.substr(cachePath.find_last_of('/') + 1));
    std::string error;
    return Platform::ReplaceFile(cachePath, out, false, &error);
}

}  // namespace Brisk
