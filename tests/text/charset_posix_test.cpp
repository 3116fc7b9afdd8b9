// Our own UTF-8 reader (systems without MultiByteToWideChar): an ill-formed
// sequence gives one U+FFFD for its longest valid beginning, the maximal
// subpart, so range errors in the second byte count each byte on its own.
// Wine's reader takes the second byte first and gives fewer "?" here.
#include <gtest/gtest.h>

#include "text/charset.h"

namespace lj {
namespace {

TEST(CharsetPosix, MaximalSubparts) {
    struct Case {
        const char* what;
        text in;
        text expected;
    } cases[] = {
        {"overlong three bytes", "\xE0\x80\xAF", "???"},
        {"encoded surrogate", "\xED\xA0\x80", "???"},
        {"encoded surrogate pair", "\xED\xA0\xBD\xED\xB8\x80", "??????"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"overlong four bytes", "\xF0\x80\x80\x80", "????"},
        {"truncated four bytes",
         "\xF0\x9F\x98"
         "A",
         "?A"},
        {"lone lead byte", "\xE1", "?"},
        {"two lead bytes", "\xF0\xC1", "??"},
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToAnsi(c.in), c.expected) << c.what;
}

}  // namespace
}  // namespace lj
