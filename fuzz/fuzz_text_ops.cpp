// Text operations under arbitrary code page 936 bytes, lone lead bytes and
// out-of-range positions. Besides the sanitizers' checks, the invariants the
// rest of the program leans on: matches begin where characters begin, split
// pieces join back into the text, trimming is stable, and a marker cut lies
// inside the text it was cut from.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_fields.h"
#include "text/text.h"

using namespace lj;
using lj::fuzz::characterStarts;
using lj::fuzz::sameBytes;

namespace {

bool isLead(unsigned char c) { return c >= 0x80; }

// The first match a scan from `from` can give; -1 when none. A lone lead byte
// at the very end is reported through `atCutShort` so the caller accepts
// either answer there (whether a scan tests it before stopping is not fixed).
int firstMatch(const text& t, const text& sub, std::size_t from, bool fold, bool* atCutShort) {
    *atCutShort = false;
    auto starts = characterStarts(t, from);
    for (std::size_t p = from; p < t.size(); ++p) {
        if (!starts[p] || !sameBytes(t, p, sub, fold)) continue;
        if (p == t.size() - 1 && isLead(t[p])) {
            *atCutShort = true;
            continue;
        }
        return static_cast<int>(p) + 1;
    }
    return -1;
}

void checkFind(const text& t, const text& sub, std::optional<int> start, bool fold) {
    int got = findText(t, sub, start, fold);
    std::size_t from = (start && *start >= 2) ? static_cast<std::size_t>(*start - 1) : 0;
    bool regionEmpty = from >= t.size();
    if (sub.empty()) {
        LJ_FUZZ_CHECK(got == (regionEmpty ? -1 : 1));
        return;
    }
    if (regionEmpty) {
        LJ_FUZZ_CHECK(got == -1);
        return;
    }
    bool cutShort = false;
    int want = firstMatch(t, sub, from, fold, &cutShort);
    if (got != want) {
        // Only the lone lead byte at the end may make the difference.
        LJ_FUZZ_CHECK(cutShort && want == -1 && got == static_cast<int>(t.size()));
    }
    if (got > 0) {
        LJ_FUZZ_CHECK(characterStarts(t, from)[got - 1]);
        LJ_FUZZ_CHECK(sameBytes(t, got - 1, sub, fold));
    }
}

void checkFindReverse(const text& t, const text& sub, std::optional<int> start, bool fold) {
    int got = findTextReverse(t, sub, start, fold);
    int len = static_cast<int>(t.size());
    int r = !start ? len : (*start <= 1 ? 0 : std::min(*start - 1, len));
    if (sub.empty()) {
        LJ_FUZZ_CHECK(got == (r > 0 ? 1 : -1));
        return;
    }
    if (got == -1) {
        // No character start inside the region may hold a whole match.
        auto starts = characterStarts(t, 0);
        for (int p = 0; p + static_cast<int>(sub.size()) <= r; ++p) {
            bool lastCutShort = p == len - 1 && isLead(t[p]);
            LJ_FUZZ_CHECK(!starts[p] || lastCutShort || !sameBytes(t, p, sub, fold));
        }
        return;
    }
    LJ_FUZZ_CHECK(got >= 1 && got - 1 + static_cast<int>(sub.size()) <= r);
    LJ_FUZZ_CHECK(characterStarts(t, 0)[got - 1]);
    LJ_FUZZ_CHECK(sameBytes(t, got - 1, sub, fold));
}

void checkSplit(const text& t, const text& sep) {
    textList pieces = splitText(t, sep);
    LJ_FUZZ_CHECK(listCount(pieces) == static_cast<int>(pieces.size()));
    if (t.empty()) {
        LJ_FUZZ_CHECK(pieces.empty());
        return;
    }
    if (sep.empty()) {
        LJ_FUZZ_CHECK(pieces.size() == 1 && pieces[0] == t);
        return;
    }
    text joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i) joined += sep;
        joined += pieces[i];
    }
    bool endsInSep = t.size() >= sep.size() && t.compare(t.size() - sep.size(), sep.size(), sep) == 0;
    if (!endsInSep) {
        LJ_FUZZ_CHECK(joined == t);
    } else {
        // The separator at the end is dropped only when the scan split there.
        LJ_FUZZ_CHECK(joined == t || joined + sep == t);
    }
}

void checkTrim(const text& t) {
    text once = trimText(t);
    LJ_FUZZ_CHECK(trimText(once) == once);
    LJ_FUZZ_CHECK(t.find(once) != text::npos);
    if (!once.empty()) {
        LJ_FUZZ_CHECK(once[0] != ' ');
        LJ_FUZZ_CHECK(once.compare(0, 2, fullWidthSpace) != 0);
    }
}

void checkRemoveSpaces(const text& t) {
    text r = removeSpaces(t);
    LJ_FUZZ_CHECK(r.size() <= t.size());
    LJ_FUZZ_CHECK(removeSpaces(r) == r);
    auto starts = characterStarts(r, 0);
    for (std::size_t p = 0; p < r.size(); ++p) {
        if (!starts[p]) continue;
        LJ_FUZZ_CHECK(r[p] != ' ');
        LJ_FUZZ_CHECK(r.compare(p, 2, fullWidthSpace) != 0);
    }
}

void checkReplace(const text& t, const text& old, const text& replacement, bool exactCase) {
    text r = replaceText(t, old, replacement, exactCase);
    (void)replaceText(t, old, std::nullopt, exactCase);
    if (t.empty() || old.empty()) {
        LJ_FUZZ_CHECK(r == t);
        return;
    }
    if (exactCase && t.find(old) == text::npos) LJ_FUZZ_CHECK(r == t);
    // Replacing a marker by itself changes at most the letter case of what it matched.
    text same = replaceText(t, old, old, exactCase);
    if (exactCase) {
        LJ_FUZZ_CHECK(same == t);
    } else {
        LJ_FUZZ_CHECK(lj::fuzz::foldText(same) == lj::fuzz::foldText(t));
    }
}

void checkBetween(const text& t, const text& left, const text& right, std::optional<int> start,
                  std::optional<bool> fold) {
    text got = textBetween(t, left, right, start, fold);
    if (got.empty()) return;
    // "#引号" in a marker stands for a double quote.
    const char* quoteMarker = "#\xD2\xFD\xBA\xC5";
    text l = replaceText(left, quoteMarker, "\"", true);
    text r = replaceText(right, quoteMarker, "\"", true);
    text whole = l + got + r;
    if (fold.value_or(false)) {
        LJ_FUZZ_CHECK(lj::fuzz::foldText(t).find(lj::fuzz::foldText(whole)) != text::npos);
    } else {
        LJ_FUZZ_CHECK(t.find(whole) != text::npos);
    }
}

void checkCutting(const text& t, int n, int start) {
    int len = textLength(t);
    LJ_FUZZ_CHECK(len == static_cast<int>(t.size()));
    text l = leftText(t, n), r = rightText(t, n), m = midText(t, start, n);
    int want = n <= 0 ? 0 : std::min(n, len);
    LJ_FUZZ_CHECK(static_cast<int>(l.size()) == want && t.compare(0, l.size(), l) == 0);
    LJ_FUZZ_CHECK(static_cast<int>(r.size()) == want && t.compare(t.size() - r.size(), r.size(), r) == 0);
    if (start < 1 || start > len || n <= 0) {
        LJ_FUZZ_CHECK(m.empty());
    } else {
        LJ_FUZZ_CHECK(m == t.substr(start - 1, n));
    }
    bytes b = textToBytes(t);
    LJ_FUZZ_CHECK(bytesLength(b) == len && bytesToText(b) == t);
    LJ_FUZZ_CHECK(bytesLength(leftBytes(b, n)) == want);
    text lower = toLowerText(t);
    LJ_FUZZ_CHECK(lower.size() == t.size());
}

int sign(int v) { return (v > 0) - (v < 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lj::fuzz::Fields in(data, size, 4);
    const text& t = in.field(0);
    const text& sub = in.field(1);
    const text& other = in.field(2);
    std::optional<int> start = in.optionalInt(0);
    bool fold = in.flag(1, 0);

    checkFind(t, sub, start, fold);
    checkFindReverse(t, sub, start, fold);
    checkSplit(t, sub);
    checkTrim(t);
    checkRemoveSpaces(t);
    checkReplace(t, sub, other, in.flag(1, 1));
    std::optional<bool> betweenFold;
    if (in.flag(1, 2)) betweenFold = in.flag(1, 3);
    checkBetween(t, sub, other, in.flag(1, 4) ? start : std::nullopt, betweenFold);
    checkCutting(t, in.smallInt(2), in.smallInt(3));

    (void)textToInt(t);  // wraps in 32 bits; the sanitizer flags signed overflow
    LJ_FUZZ_CHECK(compareTexts(t, t) == 0);
    LJ_FUZZ_CHECK(sign(compareTexts(t, sub)) == -sign(compareTexts(sub, t)));
    LJ_FUZZ_CHECK(sign(compareTexts(t, sub)) == sign(t.compare(sub)));
    bytes raw(data, data + size);
    text cut = bytesToText(raw);
    LJ_FUZZ_CHECK(cut.find('\0') == text::npos && cut.size() <= raw.size());
    return 0;
}
