#include "web/url_parts.h"

namespace lj {

namespace {

text plainHost(text work, bool domainOnly) {
    if (rightText(work, 1) != "/") work += "/";
    text host;
    if (leftText(work, 8) == "https://") {
        host = textBetween(work, "https://", "/");
    } else {
        // The first "http://" anywhere counts as the scheme, as the callers have always had it.
        if (findText(work, "http://", std::nullopt, false) == -1) work = concatTexts({"http://", work});
        host = textBetween(work, "http://", "/");
    }
    if (domainOnly) {
        const textList pieces = splitText(host, ".");
        const int n = listCount(pieces);
        if (n > 1) host = concatTexts({listItem(pieces, n - 1), ".", listItem(pieces, n)});
    }
    return host;
}

text levelHost(text work, bool domainOnly, int extraLevels) {
    work = replaceText(work, "http://", std::nullopt, true);
    work = replaceText(work, "https://", std::nullopt, true);
    const int slash = findText(work, "/", std::nullopt, false);
    if (slash != -1) work = leftText(work, slash - 1);
    const int length = textLength(work);
    int h = length;
    for (int i = 0; i < extraLevels; ++i) h = findTextReverse(work, ".", h, false);
    // A start of -1 leaves no region to search, so a -1 stays -1.
    const int l = findTextReverse(work, ".", h, false);
    if (domainOnly) return rightText(work, length - l);
    if (l != -1) {
        const int l2 = findTextReverse(work, ".", l, false);
        if (l2 != -1) return rightText(work, length - l2);
    }
    return work;
}

}  // namespace

text urlHost(const text& url, bool domainOnly, bool keepPort, std::optional<int> extraLevels) {
    const text work = toLowerText(url);
    text host = extraLevels ? levelHost(work, domainOnly, *extraLevels) : plainHost(work, domainOnly);
    if (keepPort) return host;
    const int colon = findText(host, ":", std::nullopt, false);
    return colon == -1 ? host : leftText(host, colon - 1);
}

int urlPort(const text& url) {
    const text host = urlHost(url, false, true);
    if (findText(host, ":", std::nullopt, false) != -1) {
        const int colon = findTextReverse(host, ":", std::nullopt, false);
        return textToInt(rightText(host, textLength(host) - colon));
    }
    return leftText(toLowerText(url), 5) == "https" ? 443 : 80;
}

text urlPath(const text& url) {
    const text host = urlHost(url);
    const int a = findText(url, host, 1, true);
    const int b = findText(url, "/", a, true);  // a of -1 searches from the beginning
    if (b == -1) return "/";
    return rightText(url, textLength(url) - b + 1);
}

}  // namespace lj
