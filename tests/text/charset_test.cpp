// Character-set conversion: UTF-8 and code page 936 through UTF-16, as Windows does it.
#include "text/charset.h"

#include <gtest/gtest.h>

#include <random>

namespace lj {
namespace {

text utf16le(std::initializer_list<char16_t> units) {
    text s;
    for (char16_t u : units) {
        s.push_back(static_cast<char>(u & 0xFF));
        s.push_back(static_cast<char>(u >> 8));
    }
    return s;
}

bytes asBytes(const text& s) { return bytes(s.begin(), s.end()); }

struct ConvCase {
    const char* what;
    text in;
    text expected;
};

// UTF-8 to code page 936, including what the platform makes of broken input.
const ConvCase utf8Cases[] = {
    {"empty", "", ""},
    {"ASCII unchanged", "Hello, world! ~", "Hello, world! ~"},
    {"two characters", "\xE4\xBD\xA0\xE5\xA5\xBD", "\xC4\xE3\xBA\xC3"},
    {"euro sign", "\xE2\x82\xAC", "\x80"},
    {"full-width digit", "\xEF\xBC\x98", "\xA3\xB8"},
    {"ideographic space", "\xE3\x80\x80", "\xA1\xA1"},
    {"GBK extension character", "\xE4\xB8\x82", "\x81\x40"},  // U+4E02
    {"mixed",
     "a\xE4\xBD\xA0"
     "b",
     "a\xC4\xE3"
     "b"},
    {"character outside 936", "x\xE0\xB8\x81y", "x?y"},  // Thai U+0E01
    {"supplementary character: one ? per surrogate", "\xF0\x9F\x98\x80", "??"},
    {"stray continuation byte",
     "a\x80"
     "b",
     "a?b"},
    {"bytes never in UTF-8", "\xFE\xFF", "??"},
    {"truncated at the end", "a\xE4\xBD", "a?"},
    {"truncated before ASCII",
     "\xE4\xBD"
     "A",
     "?A"},
    {"lead byte then lead byte", "\xC3\xE4\xBD\xA0", "?\xC4\xE3"},
    {"overlong two bytes", "\xC0\xAF", "??"},
    {"last character", "\xF4\x8F\xBF\xBF", "??"},
    {"zero byte ends the text", text("ab\0\xE4\xBD\xA0", 6), "ab"},
    {"zero byte inside a long ASCII run", text("abc\0defghijklmnop\xE4\xBD\xA0", 20), "abc"},
    {"zero byte after a lead byte", text("abcdefgh\xE4\0\xBD\xA0", 12), "abcdefgh?"},
};

TEST(Charset, Utf8ToAnsi) {
    for (const ConvCase& c : utf8Cases) EXPECT_EQ(utf8ToAnsi(c.in), c.expected) << c.what;
}

// The one-pass route must give what the two conversions through UTF-16 give.
TEST(Charset, Utf8ToAnsiEqualsTheTwoSteps) {
    auto twoSteps = [](const text& t) { return wideToMultiByte(multiByteToWide(t), codePageGbk); };
    for (const ConvCase& c : utf8Cases) EXPECT_EQ(utf8ToAnsi(c.in), twoSteps(c.in)) << c.what;

    std::mt19937 rng(65001);
    const unsigned char pieces[] = {0x80, 0xBF, 0xC2, 0xDF, 0xE0, 0xE4, 0xED, 0xEF,
                                    0xF0, 0xF4, 0xF5, 0xA0, 0x9F, 0x8F, 0x90};
    for (int round = 0; round < 5000; ++round) {
        text t(rng() % 40, ' ');  // long enough for the eight-byte ASCII path
        for (char& ch : t) ch = static_cast<char>(rng() % 2 ? 'a' : pieces[rng() % sizeof pieces]);
        ASSERT_EQ(utf8ToAnsi(t), twoSteps(t)) << "round " << round;
    }
}

TEST(Charset, MultiByteToWide) {
    struct Case {
        const char* what;
        text in;
        std::optional<int> codePage;
        text expected;
    } cases[] = {
        {"empty gives the empty buffer", "", std::nullopt, ""},
        {"ASCII: 2k + 2 bytes", "abc", std::nullopt, utf16le({'a', 'b', 'c', 0})},
        {"UTF-8 by default", "\xE4\xBD\xA0\xE5\xA5\xBD", std::nullopt, utf16le({0x4F60, 0x597D, 0})},
        {"surrogate pair", "\xF0\x9F\x98\x80", std::nullopt, utf16le({0xD83D, 0xDE00, 0})},
        {"invalid UTF-8", "\xFF", std::nullopt, utf16le({0xFFFD, 0})},
        {"code page 936",
         "\xC4\xE3"
         "a\x80",
         codePageGbk, utf16le({0x4F60, 'a', 0x20AC, 0})},
        {"zero byte ends the text", text("a\0b", 3), std::nullopt, utf16le({'a', 0})},
    };
    for (const auto& c : cases) EXPECT_EQ(multiByteToWide(c.in, c.codePage), asBytes(c.expected)) << c.what;
}

TEST(Charset, WideToMultiByte) {
    struct Case {
        const char* what;
        text in;
        std::optional<int> codePage;
        text expected;
    } cases[] = {
        {"no trailing spaces from the working text", utf16le({0x4F60, 0x597D, 0}), codePageGbk,
         "\xC4\xE3\xBA\xC3"},
        {"ANSI code page, ASCII", utf16le({'o', 'k', 0}), std::nullopt, "ok"},
        {"empty buffer", "", codePageGbk, ""},
        {"only the terminator", utf16le({0}), codePageGbk, ""},
        {"stops at the first zero unit", utf16le({'a', 0, 'b', 0}), codePageGbk, "a"},
        {"lone surrogates", utf16le({0xD800, 'a', 0xDC00, 0}), codePageGbk, "?a?"},
        {"euro", utf16le({0x20AC, 0}), codePageGbk, "\x80"},
        {"to UTF-8", utf16le({0x4F60, 0xD83D, 0xDE00, 0}), codePageUtf8, "\xE4\xBD\xA0\xF0\x9F\x98\x80"},
        // A malformed buffer is read only up to its end.
        {"no terminator", utf16le({'a', 'b'}), codePageGbk, "ab"},
        {"odd length", utf16le({'a', 'b'}) + "c", codePageGbk, "ab"},
    };
    for (const auto& c : cases) EXPECT_EQ(wideToMultiByte(asBytes(c.in), c.codePage), c.expected) << c.what;
}

TEST(Charset, AnsiToUtf8) {
    const ConvCase cases[] = {
        {"empty", "", ""},
        {"ASCII", "a=1", "a=1"},
        {"two characters", "\xC4\xE3\xBA\xC3", "\xE4\xBD\xA0\xE5\xA5\xBD"},
        {"euro", "\x80", "\xE2\x82\xAC"},
        {"zero byte ends the text", text("a\0\xC4\xE3", 4), "a"},
    };
    for (const ConvCase& c : cases) EXPECT_EQ(ansiToUtf8(c.in), c.expected) << c.what;
}

// Windows gives every two-byte code without a character of its own a
// private-use one, and 0xFF is U+F8F5; both ways, so they round-trip.
TEST(Charset, PrivateUseCodes) {
    const struct {
        const char* what;
        text gbk;
        std::string utf8;
    } cases[] = {
        {"first user-defined area", "\xAA\xA1", "\xEE\x80\x80"},       // U+E000
        {"second user-defined area", "\xFE\xFE", "\xEE\x93\x85"},      // U+E4C5
        {"third user-defined area", "\xA1\x40", "\xEE\x93\x86"},       // U+E4C6
        {"third area, trail after 0x7F", "\xA7\xA0", "\xEE\x9D\xA5"},  // U+E765
        {"first other gap", "\xA2\xAB", "\xEE\x9D\xA6"},               // U+E766
        {"gap after GB2312's last row", "\xD7\xFA", "\xEE\xA0\x90"},   // U+E810
        {"last gap", "\xFE\xA0", "\xEE\xA1\xA4"},                      // U+E864
        {"single byte 0xFF", "\xFF", "\xEF\xA3\xB5"},                  // U+F8F5
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ansiToUtf8(c.gbk), c.utf8) << c.what;
        EXPECT_EQ(utf8ToAnsi(c.utf8), c.gbk) << c.what;
    }
}

// A lead byte takes the next byte whatever it is; without a character for the
// pair, both become one default character.
TEST(Charset, BrokenGbk) {
    const ConvCase cases[] = {
        {"lead byte before a space", "\x81 a", "?a"},
        {"lead byte at the end", "a\x81", "a?"},
        {"lead byte before 0x7F", "\x81\x7F", "?"},
        {"0x80 is the euro sign", "\x80", "\xE2\x82\xAC"},
    };
    for (const ConvCase& c : cases) EXPECT_EQ(ansiToUtf8(c.in), c.expected) << c.what;
}

// Every GB2312 character survives the way to UTF-8 and back: the two
// directions of the 936 tables agree.
TEST(Charset, Gb2312RoundTrip) {
    int checked = 0;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail >= 0xFA) continue;  // unassigned
            const text c{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string u = ansiToUtf8(c);
            ASSERT_EQ(u.size(), 3u) << std::hex << lead << trail;
            ASSERT_EQ(utf8ToAnsi(u), c) << std::hex << lead << trail;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 6763);
}

// Broken input gives some result, never a crash.
TEST(Charset, HostileInput) {
    text high;
    for (int b = 0x80; b <= 0xFF; ++b) high.push_back(static_cast<char>(b));
    const text inputs[] = {"", high, "\x81", "a\xFE", high + high.substr(1), text(3, '\0')};
    for (const text& t : inputs) {
        (void)utf8ToAnsi(t);
        (void)ansiToUtf8(t);
        (void)multiByteToWide(t, codePageGbk);
        (void)wideToMultiByte(asBytes(t), codePageGbk);
        (void)wideToMultiByte(asBytes(t), codePageUtf8);
    }
    EXPECT_EQ(utf8ToAnsi(high), text(128, '?'));  // no byte 0x80..0xFF begins a valid sequence alone
}

}  // namespace
}  // namespace lj
