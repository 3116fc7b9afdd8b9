// Text operations: positions, the double-byte stepping rule, cut characters and markers.
#include <gtest/gtest.h>

#include <random>

#include "text/text.h"

namespace lj {
namespace {

using std::nullopt;

// 你 (C4 E3), 好 (BA C3) and a character whose trail byte is 'A' (81 41).
const text ni = "\xC4\xE3";
const text hao = "\xBA\xC3";
const text trailA = "\x81\x41";
const text fwSpace = "\xA1\xA1";

TEST(TextCutting, BytePositionsAndLimits) {
    struct Case {
        const char* what;
        text got;
        text expected;
    } cases[] = {
        {"left 3 cuts the second character", leftText(ni + hao, 3), "\xC4\xE3\xBA"},
        {"left 0", leftText("abc", 0), ""},
        {"left negative", leftText("abc", -1), ""},
        {"left beyond", leftText("abc", 9), "abc"},
        {"right 1 keeps a trail byte", rightText(ni + hao, 1), "\xC3"},
        {"right beyond", rightText("abc", 4), "abc"},
        {"right 0", rightText("abc", 0), ""},
        {"mid at the last byte", midText("abcde", 5, 3), "e"},
        {"mid one beyond", midText("abcde", 6, 1), ""},
        {"mid runs past the end", midText("abcde", 2, 100), "bcde"},
        {"mid start 0", midText("abcde", 0, 2), ""},
        {"mid n 0", midText("abcde", 2, 0), ""},
        {"mid plain", midText("abcde", 2, 2), "bc"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;

    const bytes b = {1, 0, 3};
    EXPECT_EQ(leftBytes(b, 2), (bytes{1, 0}));
    EXPECT_EQ(leftBytes(b, 7), b);
    EXPECT_TRUE(leftBytes(b, 0).empty());
    EXPECT_EQ(textLength(ni + "a"), 3);
    EXPECT_EQ(bytesLength(b), 3);
}

TEST(TextBuilding, ValuesAndEmptyResults) {
    EXPECT_EQ(blankText(5000), text(5000, ' '));
    EXPECT_EQ(blankBytes(1024), bytes(1024, 0));
    EXPECT_EQ(blankText(0), "");
    EXPECT_TRUE(blankBytes(0).empty());
    EXPECT_TRUE(blankBytes(-3).empty());

    EXPECT_EQ(charFromCode(0x41), "A");
    EXPECT_EQ(charFromCode(0x141), "A");  // low 8 bits
    EXPECT_EQ(charFromCode(0), "");
    EXPECT_EQ(charFromCode(0x100), "");  // would be a zero byte, which a text never holds
    EXPECT_EQ(charFromCode(-1), "\xFF");

    EXPECT_EQ(bytesToText({'a', 'b', 'c', 0, 'd'}), "abc");
    EXPECT_EQ(bytesToText({0, 'a'}), "");
    EXPECT_EQ(bytesToText({}), "");
    EXPECT_EQ(bytesToText({0xC4, 0xE3}), ni);
    EXPECT_EQ(textToBytes("ab"), (bytes{'a', 'b'}));
    EXPECT_TRUE(textToBytes("").empty());

    EXPECT_EQ(concatTexts({"a", ni, "", "b"}), "a" + ni + "b");
    const bytes x = {1, 0}, y = {}, z = {2};
    EXPECT_EQ(concatBytes({&x, &y, &z}), (bytes{1, 0, 2}));
    EXPECT_TRUE(concatBytes({&y, &y}).empty());
    EXPECT_EQ(bitwiseOr({INT32_MIN, 0x10, 0x1}), INT32_MIN | 0x11);
}

TEST(TextComparing, UnsignedBytesAndPrefixes) {
    struct Case {
        text a, b;
        int expected;
    } cases[] = {
        {"abc", "abc", 0},   {"", "", 0},       {"ab", "abc", -1},
        {"abc", "ab", 1},    {"a", "\x80", -1},  // 0x80 ranks above every ASCII byte
        {"\xC4", "\xBA", 1}, {"", "a", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(compareTexts(c.a, c.b), c.expected) << c.a << " vs " << c.b;
    EXPECT_TRUE(compareBytes({1, 0, 2}, {1, 0, 2}));
    EXPECT_FALSE(compareBytes({1, 0}, {1, 0, 0}));
}

struct FindCase {
    const char* what;
    text t, sub;
    std::optional<int> start;
    bool caseInsensitive;
    int expected;
};

TEST(TextSearch, FindText) {
    const FindCase cases[] = {
        {"empty sub", "abcde", "", nullopt, false, 1},
        {"empty sub from 3 still gives 1", "abcde", "", 3, false, 1},
        {"empty sub from 6", "abcde", "", 6, false, -1},
        {"empty sub in empty text", "", "", nullopt, false, -1},
        {"in empty text", "", "a", nullopt, false, -1},
        {"start beyond the end", "abcde", "e", 6, false, -1},
        {"start 0", "abcab", "ab", 0, false, 1},
        {"start 1", "abcab", "ab", 1, false, 1},
        {"start negative", "abcab", "ab", -5, false, 1},
        {"start 2 skips the first", "abcab", "ab", 2, false, 4},
        {"start on the match", "abcab", "ab", 4, false, 4},
        {"sub longer than the rest", "abcab", "abc", 4, false, -1},
        {"A only as trail byte", trailA, "A", nullopt, false, -1},
        {"A after the trail byte", trailA + "A", "A", nullopt, false, 3},
        {"two-byte sub across a boundary", "\xC4\xE3\xBA\xC3", "\xE3\xBA", nullopt, false, -1},
        {"two-byte sub at a boundary", "a\xC4\xE3\xBA\xC3", "\xBA\xC3", nullopt, false, 4},
        {"long run of lead bytes, odd offset", "\xB0\xB0\xB0\xB0\xB0\xB0", "\xB0\xB0", 2, false, 2},
        {"stepping begins at start, not at byte 1", "\xB0\xB0\xB0\xB0", "\xB0\xB0", 2, false, 2},
        {"exact case misses", "Set-Cookie", "set-cookie", nullopt, false, -1},
        {"folded case", "xSet-Cookie", "set-COOKIE", nullopt, true, 2},
        {"fold keeps the stepping rule", trailA + "a", "a", nullopt, true, 3},
        {"fold does not touch other bytes", "\xC4\xE3", "\xC4\xC3", nullopt, true, -1},
        {"lead byte cut short at the end", "ab\x81", "b", nullopt, false, 2},
        {"quote marker", "x=\"title\":\"a\"", "\"title\":\"", nullopt, false, 3},
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(findText(c.t, c.sub, c.start, c.caseInsensitive), c.expected) << c.what;
    }
}

TEST(TextSearch, FindTextReverse) {
    const FindCase cases[] = {
        {"last dot, start omitted", "a.b.", ".", nullopt, false, 4},
        {"start = length finds the dot before", "a.b.", ".", 4, false, 2},
        {"start = length, no dot before", "ab.", ".", 3, false, -1},
        {"start 1", "a.b.", ".", 1, false, -1},
        {"start 0", "a.b.", ".", 0, false, -1},
        {"start beyond the end", "a.b.", ".", 50, false, 4},
        {"occurrence must end before start", "abab", "ab", 4, false, 1},
        {"occurrence ending just before start", "abab", "ab", 5, false, 3},
        {"empty sub", "abc", "", nullopt, false, 1},
        {"empty sub, start 1", "abc", "", 1, false, -1},
        {"empty sub in empty text", "", "", nullopt, false, -1},
        {"A only as trail byte", trailA + trailA, "A", nullopt, false, -1},
        {"overlapping occurrences", "aaaa", "aa", nullopt, false, 3},
        {"folded", "X-a-B", "b", nullopt, true, 5},
        {"stepping over a two-byte character", "\xB0\xB0\xB0\xB0", "\xB0\xB0", nullopt, false, 3},
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(findTextReverse(c.t, c.sub, c.start, c.caseInsensitive), c.expected) << c.what;
    }
}

// Straight from the stepping rule: test every character start from `start`.
int referenceFind(const text& t, const text& sub, int start) {
    const std::size_t from = start >= 2 ? static_cast<std::size_t>(start) - 1 : 0;
    if (from >= t.size()) return -1;
    if (sub.empty()) return 1;
    for (std::size_t i = from; i < t.size(); i += static_cast<unsigned char>(t[i]) >= 0x80 ? 2 : 1) {
        if (t.size() - i >= sub.size() && t.compare(i, sub.size(), sub) == 0) return static_cast<int>(i) + 1;
    }
    return -1;
}

// The fast search picks candidates by plain byte search and decides by the
// parity of the lead-byte run before them; random texts over a few bytes that
// act as lead, trail and ASCII bytes exercise every way to get that wrong.
TEST(TextSearch, FindTextAgreesWithTheSteppingRule) {
    std::mt19937 rng(936);
    const unsigned char alphabet[] = {'A', '"', 0x81, 0xB0, 0xC3};
    auto randomText = [&](std::size_t n) {
        text s(n, ' ');
        for (char& ch : s) ch = static_cast<char>(alphabet[rng() % sizeof alphabet]);
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const text t = randomText(rng() % 24);
        const text sub = randomText(1 + rng() % 3);
        const int start = static_cast<int>(rng() % 28) - 2;
        ASSERT_EQ(findText(t, sub, start, false), referenceFind(t, sub, start))
            << "round " << round << " start " << start;
    }
}

TEST(TextRewriting, ReplaceText) {
    struct Case {
        const char* what;
        text t, old;
        std::optional<std::string_view> with;
        bool exactCase;
        text expected;
    } cases[] = {
        {"folded match takes the new case", "a: x\r\nset-cookie: y\r\nSET-COOKIE: z", "Set-Cookie",
         "Set-Cookie", false, "a: x\r\nSet-Cookie: y\r\nSet-Cookie: z"},
        {"exact case leaves small letters", "set-cookie: y", "Set-Cookie", "Set-Cookie", true,
         "set-cookie: y"},
        {"marker absent", "abc\"d", "#\xD2\xFD\xBA\xC5", "\"", true, "abc\"d"},
        {"marker present",
         "a#\xD2\xFD\xBA\xC5"
         "b",
         "#\xD2\xFD\xBA\xC5", "\"", true, "a\"b"},
        {"removal", "a--b--", "--", nullopt, true, "ab"},
        {"no overlap", "aaaa", "aa", "b", true, "bb"},
        {"new is not searched again", "ab", "ab", "abab", true, "abab"},
        {"only at character starts", trailA + "AB", "AB", "x", true, trailA + "x"},
        {"old across a boundary", "\xC4\xE3\xBA\xC3", "\xE3\xBA", "x", true, "\xC4\xE3\xBA\xC3"},
        {"cut character stays", "ab\x81", "ab", "c", true, "c\x81"},
        {"empty text", "", "a", "b", true, ""},
        {"empty old", "abc", "", "x", true, "abc"},
    };
    for (const auto& c : cases) EXPECT_EQ(replaceText(c.t, c.old, c.with, c.exactCase), c.expected) << c.what;
}

TEST(TextRewriting, SpacesAndCase) {
    struct Case {
        const char* what;
        text got, expected;
    } cases[] = {
        {"trim keeps tab and line break", trimText(" \tab\r\n "), "\tab\r\n"},
        {"trim full-width spaces", trimText(fwSpace + " a b" + fwSpace + fwSpace), "a b"},
        {"trim spaces only", trimText("  " + fwSpace + " "), ""},
        {"trim keeps inner runs", trimText("a  " + ni + " "), "a  " + ni},
        {"trim: A1 A1 only at a character start", trimText("a\xB0\xA1\xA1"), "a\xB0\xA1"},
        {"trim drops a cut character", trimText("ab\xC4"), "ab"},
        {"trim: spaces before a cut character go too", trimText("a \xA1\xA1\x81"), "a"},
        {"trim of a lone lead byte", trimText("\xC4"), ""},
        {"trim of empty", trimText(""), ""},
        {"remove spaces", removeSpaces(" a b" + fwSpace + "c "), "abc"},
        {"remove: A1 A1 only at a character start", removeSpaces("\xB0\xA1\xA1x"), "\xB0\xA1\xA1x"},
        {"remove: a space as trail byte stays", removeSpaces("\xB0 "), "\xB0 "},
        {"remove drops a cut character", removeSpaces("a \x81"), "a"},
        {"lower letters", toLowerText("AbZ@[`"), "abz@[`"},
        {"lower leaves trail bytes", toLowerText(trailA + "A"), trailA + "a"},
        {"lower keeps a cut character", toLowerText("A\x81"), "a\x81"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(TextSplitting, Pieces) {
    struct Case {
        const char* what;
        text t, sep;
        textList expected;
    } cases[] = {
        {"plain", "a,b", ",", {"a", "b"}},
        {"leading separator", ",a", ",", {"", "a"}},
        {"two in a row", "a,,b", ",", {"a", "", "b"}},
        {"trailing separator adds nothing", "a,", ",", {"a"}},
        {"trailing separator twice adds one empty item", "a,,", ",", {"a", ""}},
        {"raw headers", "HTTP/1.1 200 OK\r\nA: 1\r\n\r\n", "\r\n", {"HTTP/1.1 200 OK", "A: 1", ""}},
        {"empty text", "", ",", {}},
        {"empty separator", "a,b", "", {"a,b"}},
        {"separator as trail byte is no separator", "x\x81,y", ",", {"x\x81,y"}},
        {"cut character stays in the last item", "a,b\x81", ",", {"a", "b\x81"}},
        {"separator only", ",", ",", {""}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitText(c.t, c.sep), c.expected) << c.what;

    textList list = splitText("a,b", ",");
    listAppend(list, "c");
    EXPECT_EQ(listCount(list), 3);
    EXPECT_EQ(listItem(list, 1), "a");
    EXPECT_EQ(listItem(list, 3), "c");
    EXPECT_EQ(listItem(list, 4), "");  // outside the list: empty, never a crash
    EXPECT_EQ(listItem(list, 0), "");
}

TEST(TextNumbers, TextToInt) {
    struct Case {
        text t;
        std::int32_t expected;
    } cases[] = {
        {"\xA3\xB8\xA3\xB0\xA3\xB8\xA3\xB0", 8080},  // full-width 8080
        {"80abc", 80},
        {"", 0},
        {"-12", -12},
        {"+7", 7},
        {" \t\r\n\v\f42", 42},
        {fwSpace + "\xA3\xAD\xA3\xB5", -5},  // ideographic space, full-width minus and 5
        {"\xA3\xAB"
         "3",
         3},  // full-width plus
        {"- 1", 0},
        {"x1", 0},
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},  // wraps in 32 bits
        {"4294967297", 1},
        {"-2147483648", INT32_MIN},
        {"12\xA3\xB3", 123},
        {"\xA3", 0},  // cut character
    };
    for (const Case& c : cases) EXPECT_EQ(textToInt(c.t), c.expected) << c.t;
}

TEST(TextMarkers, TextBetween) {
    const text quote = "#\xD2\xFD\xBA\xC5";
    struct Case {
        const char* what;
        text t, left, right;
        text expected;
    } cases[] = {
        {"plain", "<a>x</a>", "<a>", "</a>", "x"},
        {"markers side by side", "<a></a>", "<a>", "</a>", ""},
        {"right only before left", "</a>x<a>", "<a>", "</a>", ""},
        {"left missing", "x</a>", "<a>", "</a>", ""},
        {"right missing", "<a>x", "<a>", "</a>", ""},
        {"left ends on the last byte", "x<a>", "<a>", "a", ""},
        {"right never overlaps left", "aXa", "aX", "Xa", ""},
        {"first left in the text", "[1][2]", "[", "]", "1"},
        {"quote marker in both", "{\"title\":\"" + ni + hao + "\",\"x\":1}",
         quote + "title" + quote + ":" + quote, quote + ",", ni + hao},
        {"quotes written directly", "k=\"v\"", "k=\"", "\"", "v"},
        {"exact case by default", "<A>x</A><a>y</a>", "<a>", "</a>", "y"},
        {"trail byte is no marker", trailA + "x>y>", "A", ">", ""},
        {"empty right", "abc", "a", "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(textBetween(c.t, c.left, c.right), c.expected) << c.what;

    EXPECT_EQ(textBetween("<A>x</A>", "<a>", "</a>", nullopt, true), "x");
    EXPECT_EQ(textBetween("[1][2]", "[", "]", 2), "2");
}

// Broken input gives some result, never a crash or a read past the end.
TEST(TextHostileInput, NeverCrashes) {
    text high;
    for (int b = 0x80; b <= 0xFF; ++b) high.push_back(static_cast<char>(b));
    const text zeros("a\0b\0", 4);
    const text inputs[] = {"", high, high + "\x81", "\xFF", zeros, text(1, '\x80')};
    const text subs[] = {"", "\x81", "\xFF\xFF", "a", text("\0", 1)};
    for (const text& t : inputs) {
        for (const text& s : subs) {
            (void)findText(t, s, 2, false);
            (void)findText(t, s, nullopt, true);
            (void)findTextReverse(t, s, 3, false);
            (void)findTextReverse(t, s, nullopt, true);
            (void)replaceText(t, s, "x", true);
            (void)replaceText(t, s, nullopt, false);
            (void)splitText(t, s);
            (void)textBetween(t, s, s);
        }
        (void)trimText(t);
        (void)removeSpaces(t);
        (void)toLowerText(t);
        (void)textToInt(t);
        (void)midText(t, textLength(t), 5);
    }
    EXPECT_EQ(trimText(high + "\x81"), high);  // 64 whole characters, the cut one dropped
    EXPECT_EQ(findText(high, "\x80\x81", nullopt, false), 1);
    EXPECT_EQ(findText(high, "\x81\x82", nullopt, false), -1);  // 0x81 is a trail byte here
}

}  // namespace
}  // namespace lj
