// Reading texts by character: valid UTF-8 sequences are one character each,
// every other byte is its Windows-1252 character on its own.

#include <gtest/gtest.h>

#include <string>

#include "framework/graphics/Utf8.h"

namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u32string chars;
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, ReadsEveryByteIntoACharacter) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(Brisk::DecodeText(c.bytes), c.chars);
    // Whatever came in, what goes out is valid UTF-8 of the same characters.
    const std::string valid = Brisk::ToValidUtf8(c.bytes);
    EXPECT_EQ(Brisk::DecodeText(valid), c.chars);
    std::string encoded;
    for (const char32_t ch : c.chars) {
        Brisk::AppendUtf8(&encoded, ch);
    }
    EXPECT_EQ(valid, encoded);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, DecodeTest,
    ::testing::Values(
        DecodeCase{"Ascii", "Ab 1~", U"Ab 1~"},
        DecodeCase{"TwoBytes", "\xC3\xA9t\xC3\xA9", U"\u00E9t\u00E9"},
        DecodeCase{"TwoBytesLastOfExtendedA", "\xC5\xBF", U"\u017F"},
        DecodeCase{"ThreeBytes",
                   "\xE2\x80\x9E"
                   "a\xE2\x80\x9C",
                   U"\u201Ea\u201C"},
        DecodeCase{"ThreeBytesEuro", "\xE2\x82\xAC", U"\u20AC"},
        DecodeCase{"FourBytes", "\xF0\x9F\x83\x8F", U"\U0001F0CF"},
        DecodeCase{"LargestCodePoint", "\xF4\x8F\xBF\xBF", U"\U0010FFFF"},
        // Overlong forms and what is not a character are single bytes.
        DecodeCase{"OverlongTwoBytes", "\xC0\xAF", U"\u00C0\u00AF"},
        DecodeCase{"OverlongThreeBytes", "\xE0\x80\xAF", U"\u00E0\u20AC\u00AF"},
        DecodeCase{"OverlongFourBytes", "\xF0\x82\x82\xAC", U"\u00F0\u201A\u201A\u00AC"},
        DecodeCase{"Surrogate", "\xED\xA0\x80", U"\u00ED\u00A0\u20AC"},
        DecodeCase{"PastTheLastCodePoint", "\xF4\x90\x80\x80", U"\u00F4\u0090\u20AC\u20AC"},
        // A sequence cut off keeps the rest of the text.
        DecodeCase{"TruncatedAtTheEnd", "ab\xE2\x82", U"ab\u00E2\u201A"},
        DecodeCase{"TruncatedBeforeAscii",
                   "\xC3"
                   "b",
                   U"\u00C3b"},
        DecodeCase{"TruncatedFourBytes", "\xF0\x9F\x83", U"\u00F0\u0178\u0192"},
        DecodeCase{"StrayContinuationBytes", "\x80\xBFx", U"\u20AC\u00BFx"},
        // Old texts in the 8-bit encoding read as they were meant.
        DecodeCase{"Latin1Name", "Ren\xE9 M\xFCller", U"Ren\u00E9 M\u00FCller"},
        DecodeCase{"Windows1252Quotes", "\x93Hi\x94 \x85", U"\u201CHi\u201D \u2026"},
        DecodeCase{"Windows1252Undefined", "\x81\x8D\x8F\x90\x9D",
                   U"\u0081\u008D\u008F\u0090\u009D"},
        DecodeCase{"LeadByteNeverValid", "\xF5\xFF\xFE", U"\u00F5\u00FF\u00FE"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeTextChar, GivesTheLengthOfEachCharacter) {
    const std::string text = "a\xC3\xA9\xE2\x80\xA6\xF0\x9F\x83\x8F\xE9";
    const size_t lengths[] = {1, 2, 3, 4, 1};
    size_t pos = 0;
    for (const size_t length : lengths) {
        ASSERT_LT(pos, text.size());
        EXPECT_EQ(Brisk::DecodeTextChar(text, pos).length, length) << "at " << pos;
        pos += length;
    }
    EXPECT_EQ(pos, text.size());
}

}  // namespace
