#pragma once

#include <cctype>
#include <string>

namespace Brisk {

// `s` with its letters in lower case, byte by byte (names and extensions of
// data files, command words: never localised text).
inline std::string ToLowerAscii(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

}  // namespace Brisk
