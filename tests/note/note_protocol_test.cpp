// The note service's link, key, URL, title and file-id rules.
#include "note/note_protocol.h"

#include <gtest/gtest.h>

#include <string>

#include "lj_config.h"
#include "note/note_config.h"

namespace lj {
namespace {

const std::string base = LJ_NOTE_SERVICE_BASE;
const std::string key = "0123456789abcdef0123456789abcdef";
const std::string prefix = base + "/noteshare?id=";

bytes asBytes(std::string_view s) { return bytes(s.begin(), s.end()); }

TEST(NoteConfig, ShareLinkPrefixIsTheBaseAndNoteshare) { EXPECT_EQ(shareLinkPrefix(), prefix); }

TEST(NoteProtocol, WhatCountsAsAShareLink) {
    std::string https = prefix;
    https.insert(4, "s");
    std::string upperScheme = prefix;
    upperScheme.replace(0, 4, "HTTP");
    const struct {
        std::string link;
        bool expected;
    } cases[] = {
        {prefix + key, true},
        {prefix, true},              // exactly the prefix
        {prefix + key + " ", true},  // anything after the key is not looked at
        {prefix + key + "&sub=1", true},
        {prefix + "not-a-key!", true},  // nor is the key itself
        {https + key, false},
        {upperScheme + key, false},
        {" " + prefix + key, false},                   // nothing is trimmed
        {prefix.substr(0, prefix.size() - 1), false},  // shorter than the prefix
        {"", false},
        {base + "/noteshare?ID=" + key, false},
    };
    for (const auto& c : cases) EXPECT_EQ(isShareLink(c.link), c.expected) << c.link;
}

TEST(NoteProtocol, ShareKeyIsTheLast32Bytes) {
    const struct {
        std::string link, expected;
    } cases[] = {
        {prefix + key, key},
        {prefix + key + " ", key.substr(1) + " "},  // a trailing space ends up in the key
        {prefix, prefix.substr(prefix.size() - 32)},
        {"short", "short"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(shareKeyOf(c.link), c.expected) << c.link;
}

TEST(NoteProtocol, UrlsJoinTheirPartsUnescaped) {
    EXPECT_EQ(noteApiUrlFor(key),
              base + "/yws/public/note/" + key + "?editorType=0&cstk=" + LJ_NOTE_API_TOKEN);
    EXPECT_EQ(noteApiUrlFor("a b&c"), base + "/yws/public/note/a b&c?editorType=0&cstk=" + LJ_NOTE_API_TOKEN);
    EXPECT_EQ(fileUrlFor("WEBabc", key),
              base + "/yws/api/personal/file/WEBabc?method=download&inline=true&shareKey=" + key);
    EXPECT_EQ(fileUrlFor("", ""), base + "/yws/api/personal/file/?method=download&inline=true&shareKey=");
}

TEST(NoteProtocol, TitleIsCutFromTheConvertedReply) {
    const struct {
        std::string reply, expected;
    } cases[] = {
        // "会议纪要 2026.txt" in UTF-8 comes back in code page 936.
        {R"({"pp":"WEB3d4e5f60718293a4b5c6d7e8f90a1b2c","tl":"会议纪要 2026.txt"})",
         "\xBB\xE1\xD2\xE9\xBC\xCD\xD2\xAA 2026.txt"},
        {R"({"tl":"plain.txt"})", "plain.txt"},
        {R"({"tl":""})", ""},
        {R"({"pp":"x","title":"a"})", ""},            // no left marker
        {R"({"pp":"x","tl":"open)", ""},              // no right marker after it
        {R"("}{"tl":"after"})", "after"},             // a right marker before the left one does not count
        {R"({"tl":"a"}b"})", "a"},                    // a title holding "} is cut there
        {R"({"tl":"\u4f1a.txt"})", R"(\u4f1a.txt)"},  // escapes stay as sent
        {"{\"tl\":\"\xED\x95\x9C\"}", "?"},           // Hangul is outside 936: the default character
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(noteTitleOf(asBytes(c.reply)), c.expected) << c.reply;
}

TEST(NoteProtocol, ZeroByteEndsTheReplyForBothReadings) {
    std::string reply = R"({"pp":"WEB3d4e5f60718293a4b5c6d7e8f90a1b2c","tl":"name.txt"})";
    std::string cutTitle = reply;
    cutTitle[45] = '\0';  // inside "tl":" ... before the title
    EXPECT_EQ(noteTitleOf(asBytes(cutTitle)), "");
    std::string cutId = reply;
    cutId[20] = '\0';
    EXPECT_EQ(fileIdOf(asBytes(cutId)), "WEB3d4e5f6071");
    EXPECT_EQ(noteTitleOf(asBytes(cutId)), "");
}

TEST(NoteProtocol, FileIdIsRawBytes8To42) {
    const std::string id = "WEB3d4e5f60718293a4b5c6d7e8f90a1b2c";
    const struct {
        std::string reply, expected;
    } cases[] = {
        {R"({"pp":")" + id + R"(","tl":"t"})", id},
        // Multi-byte UTF-8 first: positions still count raw bytes, no conversion.
        {"\xE4\xBC\x9A\xE8\xAE\xAE\"" + id + "\"}", id},
        {"{\"pp\":\"WEB", "WEB"},  // 8 to 41 bytes: what there is from byte 8
        {"{\"pp\":\"", ""},        // 7 bytes
        {"", ""},
        {R"({"error":"note not found"})", R"(":"note not found"})"},
    };
    for (const auto& c : cases) EXPECT_EQ(fileIdOf(asBytes(c.reply)), c.expected) << c.reply;
}

TEST(NoteProtocol, FileIdForm) {
    const struct {
        std::string id;
        bool expected;
    } cases[] = {
        {"WEB3d4e5f60718293a4b5c6d7e8f90a1b2c", true},
        {"WEB3D4E5F60718293A4B5C6D7E8F90A1B2C", true},
        {"web3d4e5f60718293a4b5c6d7e8f90a1b2c", false},
        {"WEB3d4e5f60718293a4b5c6d7e8f90a1b2", false},    // 31 digits
        {"WEB3d4e5f60718293a4b5c6d7e8f90a1b2cd", false},  // 33 digits
        {"WEB3d4e5f60718293a4b5c6d7e8f90a1b2g", false},
        {R"(or":"note not found"})", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isFileId(c.id), c.expected) << c.id;
}

}  // namespace
}  // namespace lj
