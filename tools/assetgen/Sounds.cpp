// Synthesised sounds and a calm looping melody, encoded as Ogg Vorbis (and
// one plain wave).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "AssetGen.h"
#include "Canvas.h"
#include "OggEncode.h"

namespace AssetGen {
namespace {

constexpr int kRate = 44100;

// Interleaved stereo float samples.
using Stereo = std::vector<float>;

std::vector<uint8_t> EncodeOgg(const Stereo& s, float quality) {
    auto bytes = ToolSupport::EncodeOggVorbis(s, 2, kRate, quality);
    if (bytes.empty()) {
        Fail("the Vorbis encoder refused its settings");
    }
    return bytes;
}

std::vector<uint8_t> EncodeWave16(const Stereo& s) {
    std::vector<uint8_t> w;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            w.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&](uint16_t v) {
        w.push_back(static_cast<uint8_t>(v));
        w.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            w.push_back(static_cast<uint8_t>(t[i]));
    };
    const auto bytes = static_cast<uint32_t>(s.size() * 2);
    tag("RIFF");
    u32(36 + bytes);
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(2);
    u32(kRate);
    u32(kRate * 4);
    u16(4);
    u16(16);
    tag("data");
    u32(bytes);
    for (float v : s) {
        u16(static_cast<uint16_t>(
            static_cast<int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767))));
    }
    return w;
}

// A plucked, bell-like note added into `s` at `start`, wrapping around the
// end so a loop has no seam.
void Note(Stereo& s, double start, double freq, double length, double gain, double pan, bool wrap) {
    const size_t frames = s.size() / 2;
    const auto n = static_cast<size_t>(length * kRate);
    const auto first = static_cast<size_t>(start * kRate);
    for (size_t i = 0; i < n; ++i) {
        size_t at = first + i;
        if (at >= frames) {
            if (!wrap) {
                break;
            }
            at %= frames;
        }
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.01);
        const double env = attack * std::exp(-t * 3.0 / length);
        const double v = (std::sin(2 * M_PI * freq * t) + 0.35 * std::sin(4 * M_PI * freq * t) +
                          0.12 * std::sin(6 * M_PI * freq * t)) *
                         env * gain;
        s[2 * at] += static_cast<float>(v * (1 - pan));
        s[2 * at + 1] += static_cast<float>(v * (1 + pan));
    }
}

double Pitch(int semitonesFromA4) {
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

Stereo Click() {
    // A soft card turn: a short filtered noise burst with a low thump.
    Stereo s(static_cast<size_t>(0.12 * kRate) * 2, 0.0f);
    std::mt19937 rng(5);
    double lp = 0;
    for (size_t i = 0; i < s.size() / 2; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double noise = (rng() % 2001 - 1000) / 1000.0;
        lp += (noise - lp) * 0.35;
        const double v =
            lp * std::exp(-t * 60) * 0.8 + std::sin(2 * M_PI * 140 * t) * std::exp(-t * 40) * 0.5;
        s[2 * i] = s[2 * i + 1] = static_cast<float>(v);
    }
    return s;
}

Stereo Blip(double freq, double length, double gain) {
    Stereo s(static_cast<size_t>(length * kRate) * 2, 0.0f);
    Note(s, 0, freq, length, gain, 0, false);
    Note(s, 0.03, freq * 1.5, length * 0.8, gain * 0.5, 0, false);
    return s;
}

// A found pair: two rising notes, a fifth apart, bright and short.
Stereo Found() {
    Stereo s(static_cast<size_t>(0.45 * kRate) * 2, 0.0f);
    Note(s, 0, Pitch(7), 0.3, 0.3, -0.1, false);
    Note(s, 0.11, Pitch(14), 0.32, 0.3, 0.1, false);
    return s;
}

// An unequal pair: one low, muted note falling a little, easy to tell from
// the found pair without looking.
Stereo Unequal() {
    Stereo s(static_cast<size_t>(0.3 * kRate) * 2, 0.0f);
    Note(s, 0, Pitch(-14), 0.22, 0.3, 0, false);
    Note(s, 0.08, Pitch(-17), 0.2, 0.22, 0, false);
    return s;
}

Stereo Melody() {
    // 48 seconds at 80 beats a minute in D major pentatonic; a soft pad under
    // a slow arpeggio, tails and echoes running around the loop point.
    const double beat = 60.0 / 80.0;
    const double seconds = 64 * beat;
    Stereo s(static_cast<size_t>(seconds * kRate) * 2, 0.0f);
    const int chords[4][3] = {{-7, -3, 0}, {-10, -5, -1}, {-12, -8, -3}, {-9, -5, -2}};
    const int scale[] = {-7, -5, -3, 0, 2, 5, 7, 9, 12};
    std::mt19937 rng(42);
    for (int bar = 0; bar < 16; ++bar) {
        const auto& chord = chords[bar % 4];
        for (int k = 0; k < 3; ++k) {
            Note(s, bar * 4 * beat, Pitch(chord[k] - 12), 4 * beat * 1.3, 0.06, (k - 1) * 0.3,
                 true);
        }
        for (int step = 0; step < 8; ++step) {
            if (rng() % 5 == 0) {
                continue;  // breathe
            }
            const int degree = scale[rng() % 9];
            const double at = (bar * 4 + step * 0.5) * beat;
            Note(s, at, Pitch(degree), 1.6, 0.10, (rng() % 100) / 100.0 - 0.5, true);
        }
    }
    // Two rounds of a stereo echo, wrapping, so the loop point is seamless.
    const auto delay = static_cast<size_t>(beat * 0.75 * kRate);
    const size_t frames = s.size() / 2;
    for (int round = 0; round < 2; ++round) {
        Stereo dry = s;
        for (size_t i = 0; i < frames; ++i) {
            const size_t from = (i + frames - delay) % frames;
            s[2 * i] += dry[2 * from + 1] * 0.25f;
            s[2 * i + 1] += dry[2 * from] * 0.25f;
        }
    }
    float peak = 0;
    for (float v : s) {
        peak = std::max(peak, std::abs(v));
    }
    for (float& v : s) {
        v *= 0.7f / std::max(peak, 1e-6f);
    }
    return s;
}

}  // namespace

void MakeSounds(const Options& o) {
    Check(WriteFile(o.out + "sounds/click.ogg", EncodeOgg(Click(), 0.5f)), "click");
    Check(WriteFile(o.out + "sounds/menu.ogg", EncodeOgg(Blip(Pitch(3), 0.25, 0.35), 0.5f)),
          "menu");
    Check(WriteFile(o.out + "sounds/menulight.wav", EncodeWave16(Blip(Pitch(10), 0.15, 0.25))),
          "menulight");
    Check(WriteFile(o.out + "sounds/pair_found.ogg", EncodeOgg(Found(), 0.5f)), "found pair");
    Check(WriteFile(o.out + "sounds/pair_unequal.ogg", EncodeOgg(Unequal(), 0.5f)), "unequal pair");
    Check(WriteFile(o.out + "sounds/back.ogg", EncodeOgg(Melody(), 0.3f)), "music");
}

}  // namespace AssetGen
