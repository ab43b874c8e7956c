#pragma once

// Small sound files built byte by byte for tests.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/platform/Audio.h"

namespace TestSupport {

inline void PutU32(std::vector<uint8_t>* o, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        o->push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutU16(std::vector<uint8_t>* o, uint16_t v) {
    o->push_back(static_cast<uint8_t>(v));
    o->push_back(static_cast<uint8_t>(v >> 8));
}

// A mono 16-bit wave of `frames` samples of constant value `level`.
inline std::vector<uint8_t> Wave(int frames, int16_t level, int rate = 44100, uint16_t tag = 1) {
    std::vector<uint8_t> w = {'R', 'I', 'F', 'F'};
    PutU32(&w, static_cast<uint32_t>(36 + frames * 2));
    w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutU32(&w, 16);
    PutU16(&w, tag);
    PutU16(&w, 1);
    PutU32(&w, static_cast<uint32_t>(rate));
    PutU32(&w, static_cast<uint32_t>(rate * 2));
    PutU16(&w, 2);
    PutU16(&w, 16);
    w.insert(w.end(), {'d', 'a', 't', 'a'});
    PutU32(&w, static_cast<uint32_t>(frames * 2));
    for (int i = 0; i < frames; ++i) {
        PutU16(&w, static_cast<uint16_t>(level));
    }
    return w;
}

// A tiny four-channel module: one sample, one note, one pattern.
inline std::vector<uint8_t> TinyModule() {
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

// Writes `bytes` to `p`, making its folder.
inline void Write(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The largest sample of `frames` stereo frames rendered from `mixer`.
inline int Peak(Brisk::Platform::Mixer& mixer, int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    mixer.Render(out.data(), frames);
    int peak = 0;
    for (int16_t v : out) {
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    }
    return peak;
}

}  // namespace TestSupport
