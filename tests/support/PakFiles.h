#pragma once

// Pak archives built byte by byte for tests.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/resources/PakInterface.h"

namespace TestSupport {

struct Entry {
    std::string name;
    std::string data;
    uint64_t time = 0;
};

inline void PutU32(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out->push_back(static_cast<char>(v >> (8 * i)));
    }
}

// The plain bytes of an archive holding `entries` (before scrambling).
inline std::string PlainArchive(const std::vector<Entry>& entries) {
    std::string out;
    PutU32(&out, Brisk::kPakMagic);
    PutU32(&out, 0);
    for (const Entry& e : entries) {
        out.push_back(0);
        out.push_back(static_cast<char>(e.name.size()));
        out += e.name;
        PutU32(&out, static_cast<uint32_t>(e.data.size()));
        PutU32(&out, static_cast<uint32_t>(e.time));
        PutU32(&out, static_cast<uint32_t>(e.time >> 32));
    }
    out.push_back(static_cast<char>(0x80));
    for (const Entry& e : entries) {
        out += e.data;
    }
    return out;
}

inline void WriteScrambled(const std::filesystem::path& path, std::string bytes) {
    for (char& c : bytes) {
        c = static_cast<char>(c ^ Brisk::kPakScramble);
    }
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace TestSupport
