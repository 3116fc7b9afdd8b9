#include "note/note_protocol.h"

#include "note/note_config.h"
#include "text/charset.h"

namespace lj {

namespace {
constexpr int shareKeyLength = 32;
constexpr int fileIdStart = 8;
constexpr int fileIdLength = 35;
}  // namespace

bool isShareLink(const text& link) {
    // The configured prefix decides the length compared, not the shipped 36.
    const text& prefix = shareLinkPrefix();
    return compareTexts(leftText(link, textLength(prefix)), prefix) == 0;
}

text shareKeyOf(const text& link) { return rightText(link, shareKeyLength); }

text noteApiUrlFor(const text& shareKey) {
    return concatTexts(
        {noteServiceBase(), "/yws/public/note/", shareKey, "?editorType=0&cstk=", noteApiToken()});
}

text fileUrlFor(const text& fileId, const text& shareKey) {
    return concatTexts({noteServiceBase(), "/yws/api/personal/file/", fileId,
                        "?method=download&inline=true&shareKey=", shareKey});
}

text noteTitleOf(const bytes& reply) {
    const text converted = utf8ToAnsi(bytesToText(reply));
    return textBetween(converted, "tl\":\"", "\"}");
}

text fileIdOf(const bytes& reply) { return midText(bytesToText(reply), fileIdStart, fileIdLength); }

bool isFileId(const text& fileId) {
    if (textLength(fileId) != fileIdLength || fileId.compare(0, 3, "WEB") != 0) return false;
    for (std::size_t i = 3; i < fileId.size(); ++i) {
        const char c = fileId[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) return false;
    }
    return true;
}

}  // namespace lj
