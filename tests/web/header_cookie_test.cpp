// Header values and cookie lists as the request routine folds them.
#include "web/header_cookie.h"

#include <gtest/gtest.h>

namespace lj {
namespace {

TEST(HeaderCookie, HeaderValueAndCookieName) {
    const struct {
        const char* in;
        const char* value;
        const char* name;
    } cases[] = {
        {"User-Agent:  Probe/1 ", "Probe/1", "User-Agent:  Probe/1"},
        {"a: b: c", "b: c", "a: b: c"},
        {"no colon", "", "no colon"},
        {" lang = zh", "", "lang"},
        {"flag", "", "flag"},
        {"=x", "", ""},
        {"a=1=2", "", "a"},
        {"X:\xA1\xA1v\xA1\xA1", "v", "X:\xA1\xA1v"},  // full-width spaces are trimmed
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(headerValue(c.in), c.value);
        EXPECT_EQ(cookieName(c.in), c.name);
    }
}

TEST(HeaderCookie, ListLookups) {
    const textList list = {"a", "b", "b"};
    EXPECT_EQ(findTextInList(list, "b"), 2);
    EXPECT_EQ(findTextInList(list, "B"), -1);
    EXPECT_EQ(findTextInList({}, "a"), -1);
    EXPECT_EQ(findTextInList({"x", ""}, ""), 2);

    const textList cookies = {"a=1", " lang = zh", "flag"};
    EXPECT_TRUE(cookieListHasName(cookies, "lang"));
    EXPECT_TRUE(cookieListHasName(cookies, "flag"));
    EXPECT_FALSE(cookieListHasName(cookies, "Lang"));
    EXPECT_FALSE(cookieListHasName({}, ""));
}

TEST(HeaderCookie, DedupeTextList) {
    const struct {
        const char* in;
        const char* sep;
        const char* out;
    } cases[] = {
        {"a; b; a; c", "; ", "a; b; c"}, {"a;;b", ";", "a;;b"},  // the one empty item is kept once
        {"a;;b;;c", ";", "a;;b;c"},      {"", "; ", ""},        {"x", "; ", "x"},
        {"A; a", "; ", "A; a"},  // exact comparison
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(dedupeTextList(c.in, c.sep), c.out);
    }
}

TEST(HeaderCookie, MergeCookies) {
    const struct {
        const char* sent;
        const char* received;
        const char* merged;
        const char* receivedAfter;
    } cases[] = {
        {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
        {"a=1", "a=deleted", "", "a=deleted"},
        {"x = 1", "", "x=1", ""},
        {"a=1; a=2", "", "a=1", ""},
        {"", "a=1; a=1; b=2", "a=1; b=2", "a=1;a=1;b=2"},
        {"", "a=1; a=2", "a=1; a=2", "a=1;a=2"},
        {"a=1", "a=DELETED", "a=DELETED", "a=DELETED"},  // only the exact spelling deletes
        {"k=v", "n=deleted; m=1", "m=1; k=v", "n=deleted;m=1"},
        {"\xA1\xA1s=1", "", "s=1", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "sent '" << c.sent << "' received '" << c.received << "'");
        text sent = c.sent, received = c.received;
        const text merged = mergeCookies(sent, received);
        EXPECT_EQ(merged, c.merged);
        EXPECT_EQ(sent, c.merged);
        EXPECT_EQ(received, c.receivedAfter);
    }
}

}  // namespace
}  // namespace lj
