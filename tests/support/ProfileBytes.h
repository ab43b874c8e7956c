#pragma once

// Profile files as the game writes them, spelled out byte by byte so that a
// test compares the format itself, not the game's own writer with itself.

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "game/Profiles.h"

namespace TestSupport {

// A whole file's bytes (none when it cannot be read).
inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Writes `bytes` as the file at `path`, its folder made when missing.
inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path file(path);
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path());
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The 18 bytes of a profile: current flag, 15 name bytes, difficulty (big-endian).
inline std::vector<uint8_t> Profile(uint8_t current, const std::string& name, uint16_t difficulty) {
    std::vector<uint8_t> b(18, 0);
    b[0] = current;
    std::copy(name.begin(), name.end(), b.begin() + 1);
    b[16] = static_cast<uint8_t>(difficulty >> 8);
    b[17] = static_cast<uint8_t>(difficulty);
    return b;
}

// A profile as the game saves it: the 18 bytes, then "BEST", version 1 and
// per difficulty the games, best seconds and fewest attempts (big-endian).
inline std::vector<uint8_t> SavedProfile(
    uint8_t current, const std::string& name, uint16_t difficulty,
    const std::array<Gamespace::PersonalBest, Gamespace::kDifficultyCount>& bests = {}) {
    std::vector<uint8_t> b = Profile(current, name, difficulty);
    for (uint8_t c : {'B', 'E', 'S', 'T', '\x01'}) {
        b.push_back(c);
    }
    auto put = [&](uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) {
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    };
    for (const auto& best : bests) {
        put(best.games, 4);
        put(best.bestSeconds, 4);
        put(best.fewestAttempts, 2);
    }
    return b;
}

// A tagged block as it follows the bests or the options' six bytes: the
// four-letter tag, the version, the length (4 bytes, big-endian), the bytes.
inline std::vector<uint8_t> Block(const char (&tag)[5], uint8_t version,
                                  const std::vector<uint8_t>& body) {
    std::vector<uint8_t> b(tag, tag + 4);
    b.push_back(version);
    const auto n = static_cast<uint32_t>(body.size());
    for (int shift : {24, 16, 8, 0}) {
        b.push_back(static_cast<uint8_t>(n >> shift));
    }
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline std::vector<uint8_t> Joined(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// One game of a "HIST" block: its length byte, when (8 bytes), difficulty,
// preview seconds, seconds (4), attempts (2), the set's name (a length byte).
struct HistoryEntry {
    int64_t when;
    uint8_t difficulty;
    uint8_t previewSeconds;
    uint32_t seconds;
    uint16_t attempts;
    std::string cardSet;
};
inline std::vector<uint8_t> HistoryBlock(const std::vector<HistoryEntry>& games) {
    std::vector<uint8_t> body{static_cast<uint8_t>(games.size() >> 8),
                              static_cast<uint8_t>(games.size())};
    for (const HistoryEntry& g : games) {
        std::vector<uint8_t> e;
        for (int shift = 56; shift >= 0; shift -= 8) {
            e.push_back(static_cast<uint8_t>(static_cast<uint64_t>(g.when) >> shift));
        }
        e.push_back(g.difficulty);
        e.push_back(g.previewSeconds);
        for (int shift : {24, 16, 8, 0}) {
            e.push_back(static_cast<uint8_t>(g.seconds >> shift));
        }
        e.push_back(static_cast<uint8_t>(g.attempts >> 8));
        e.push_back(static_cast<uint8_t>(g.attempts));
        e.push_back(static_cast<uint8_t>(g.cardSet.size()));
        e.insert(e.end(), g.cardSet.begin(), g.cardSet.end());
        body.push_back(static_cast<uint8_t>(e.size()));
        body.insert(body.end(), e.begin(), e.end());
    }
    return Block("HIST", 1, body);
}

}  // namespace TestSupport
