#include "web/header_cookie.h"

namespace lj {

text headerValue(const text& line) {
    const int colon = findText(line, ":", std::nullopt, false);
    if (colon == -1) return {};
    return trimText(rightText(line, textLength(line) - colon));
}

text cookieName(const text& item) {
    const int equals = findText(item, "=", std::nullopt, false);
    if (equals == -1) return trimText(item);
    return trimText(leftText(item, equals - 1));
}

bool cookieListHasName(const textList& items, const text& name) {
    for (int i = 1; i <= listCount(items); ++i) {
        if (compareTexts(cookieName(listItem(items, i)), name) == 0) return true;
    }
    return false;
}

int findTextInList(const textList& items, const text& t) {
    for (int i = 1; i <= listCount(items); ++i) {
        if (compareTexts(listItem(items, i), t) == 0) return i;
    }
    return -1;
}

text dedupeTextList(const text& t, const text& sep) {
    const textList items = splitText(t, sep);
    textList kept;
    text result;
    for (int i = 1; i <= listCount(items); ++i) {
        const text& item = listItem(items, i);
        if (findTextInList(kept, item) == -1) {
            listAppend(kept, item);
            result += item;
            result += sep;
        }
    }
    return leftText(result, textLength(result) - textLength(sep));
}

text mergeCookies(text& sent, text& received) {
    sent = removeSpaces(sent);
    received = removeSpaces(received);
    const textList sentItems = splitText(sent, ";");
    textList merged = splitText(received, ";");
    for (int i = 1; i <= listCount(sentItems); ++i) {
        const text& item = listItem(sentItems, i);
        // Checked against the growing list: of several sent items with one name, only the first gets in.
        if (!cookieListHasName(merged, cookieName(item))) listAppend(merged, item);
    }
    sent.clear();
    for (int i = 1; i <= listCount(merged); ++i) {
        const text& item = listItem(merged, i);
        if (compareTexts(rightText(item, 8), "=deleted") == 0) continue;
        sent += item;
        sent += "; ";
    }
    sent = leftText(sent, textLength(sent) - 2);
    sent = dedupeTextList(sent, "; ");
    return sent;
}

}  // namespace lj
