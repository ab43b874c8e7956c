#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Brisk {

// One character of a text: its code point and how many bytes it takes.
struct TextChar {
    char32_t code = 0;
    size_t length = 0;
};

// The character of `text` that starts at byte `pos` (pos < text.size()).
// A valid UTF-8 sequence is one code point; any other byte (a stray
// continuation byte, an overlong or truncated sequence, a surrogate) is
// the Windows-1252 character of that byte on its own, so texts written
// in that older encoding (old profiles) still read, and nothing after a
// bad byte is lost.
TextChar DecodeTextChar(std::string_view text, size_t pos);

// Every character of `text` by the rule above.
std::u32string DecodeText(std::string_view text);

// The Windows-1252 character of one byte (Latin-1 outside 0x80-0x9F).
char32_t Windows1252Char(unsigned char byte);

// `code` appended to `out` as UTF-8.
void AppendUtf8(std::string* out, char32_t code);

// `text` as valid UTF-8: every stray byte becomes its Windows-1252
// character, valid sequences stay as they are.
std::string ToValidUtf8(std::string_view text);

}  // namespace Brisk
