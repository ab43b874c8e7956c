#include "framework/graphics/Utf8.h"

#include <array>

namespace Brisk {
namespace {

// Windows-1252 at 0x80-0x9F; the five bytes it leaves undefined stand for
// the control characters of the same number, as Latin-1 has them.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

}  // namespace

char32_t Windows1252Char(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char32_t{byte};
}

TextChar DecodeTextChar(std::string_view text, size_t pos) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80) {
        return {lead, 1};
    }
    // The sequence length and the range its second byte must lie in (which
    // rules out overlong forms, surrogates and code points past U+10FFFF).
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || text.size() - pos < length || at(1) < low || at(1) > high) {
        return {Windows1252Char(lead), 1};
    }
    for (size_t i = 1; i < length; ++i) {
        if (!IsContinuation(at(i))) {
            return {Windows1252Char(lead), 1};
        }
        code = (code << 6) | (at(i) & 0x3F);
    }
    return {code, length};
}

std::u32string DecodeText(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const TextChar c = DecodeTextChar(text, pos);
        out.push_back(c.code);
        pos += c.length;
    }
    return out;
}

void AppendUtf8(std::string* out, char32_t code) {
    const auto put = [&](char32_t v) { out->push_back(static_cast<char>(v)); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | (code >> 6));
        put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        put(0xE0 | (code >> 12));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | (code >> 18));
        put(0x80 | ((code >> 12) & 0x3F));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    }
}

std::string ToValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const TextChar c = DecodeTextChar(text, pos);
        if (c.length > 1) {
            out.append(text.substr(pos, c.length));
        } else {
            AppendUtf8(&out, c.code);
        }
        pos += c.length;
    }
    return out;
}

}  // namespace Brisk
