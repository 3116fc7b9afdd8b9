// Text and byte operations in code page 936 with the double-byte stepping rule.
#include <algorithm>
#include <cstring>

#include "text/find_bytes.h"
#include "text/text.h"

namespace lj {

namespace {

constexpr std::size_t npos = std::string_view::npos;

inline unsigned char byteAt(std::string_view t, std::size_t i) { return static_cast<unsigned char>(t[i]); }

// Width of the character at i under the stepping rule (a lead byte always claims two).
inline std::size_t stepAt(std::string_view t, std::size_t i) { return byteAt(t, i) >= 0x80 ? 2 : 1; }

inline unsigned char foldByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 0x20) : c;
}

bool equalFolded(const char* a, const char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (foldByte(static_cast<unsigned char>(a[i])) != foldByte(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// First exact occurrence of `sub` (non-empty) at a character start at or after
// `from`, which must itself be a character start. Candidates come from a plain
// byte search; a byte below 0x80 always ends a character, so the run of bytes
// >= 0x80 just before a candidate tells by its parity whether the candidate
// begins a character.
std::size_t findExactFrom(std::string_view t, std::string_view sub, std::size_t from) {
    const std::size_t n = t.size();
    const std::size_t m = sub.size();
    std::size_t known = from;  // a position known to start a character
    std::size_t pos = from;
    while (pos < n && n - pos >= m) {
        const char* hit = detail::findBytes(t.data() + pos, n - pos, sub.data(), m);
        if (hit == nullptr) return npos;
        const std::size_t c = static_cast<std::size_t>(hit - t.data());
        std::size_t i = c;
        while (i > known && byteAt(t, i - 1) >= 0x80) --i;
        if (((c - i) & 1u) == 0) return c;
        // c is a trail byte, so the character after it starts at c + 1.
        known = c + 1;
        pos = c + 1;
    }
    return npos;
}

// The same under the ASCII letter fold; only short texts are searched this way.
std::size_t findFoldedFrom(std::string_view t, std::string_view sub, std::size_t from) {
    const std::size_t n = t.size();
    const std::size_t m = sub.size();
    for (std::size_t i = from; i < n; i += stepAt(t, i)) {
        if (n - i >= m && equalFolded(t.data() + i, sub.data(), m)) return i;
    }
    return npos;
}

std::size_t findFrom(std::string_view t, std::string_view sub, std::size_t from, bool caseInsensitive) {
    return caseInsensitive ? findFoldedFrom(t, sub, from) : findExactFrom(t, sub, from);
}

inline bool isSpaceAt(std::string_view t, std::size_t i) {
    if (t[i] == ' ') return true;
    return i + 1 < t.size() && byteAt(t, i) == 0xA1 && byteAt(t, i + 1) == 0xA1;
}

inline int toInt(std::size_t n) { return static_cast<int>(n); }

}  // namespace

// ---- Measuring and cutting ---------------------------------------------

int textLength(const text& t) { return toInt(t.size()); }

int bytesLength(const bytes& b) { return toInt(b.size()); }

text leftText(const text& t, int n) {
    if (n <= 0) return text();
    if (static_cast<std::size_t>(n) >= t.size()) return t;
    return t.substr(0, static_cast<std::size_t>(n));
}

text rightText(const text& t, int n) {
    if (n <= 0) return text();
    if (static_cast<std::size_t>(n) >= t.size()) return t;
    return t.substr(t.size() - static_cast<std::size_t>(n));
}

text midText(const text& t, int start, int n) {
    if (start < 1 || static_cast<std::size_t>(start) > t.size() || n <= 0) return text();
    return t.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(n));
}

bytes leftBytes(const bytes& b, int n) {
    if (n <= 0) return bytes();
    const std::size_t k = std::min(static_cast<std::size_t>(n), b.size());
    return bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(k));
}

// ---- Building and converting -------------------------------------------

text concatTexts(std::initializer_list<std::string_view> parts) {
    std::size_t total = 0;
    for (std::string_view p : parts) total += p.size();
    text out;
    out.reserve(total);
    for (std::string_view p : parts) out.append(p);
    return out;
}

bytes concatBytes(std::initializer_list<const bytes*> parts) {
    std::size_t total = 0;
    for (const bytes* p : parts) total += p ? p->size() : 0;
    bytes out;
    out.reserve(total);
    for (const bytes* p : parts) {
        if (p) out.insert(out.end(), p->begin(), p->end());
    }
    return out;
}

text charFromCode(int c) {
    // A text never holds a zero byte: any code whose low 8 bits are zero gives the empty text.
    const char b = static_cast<char>(static_cast<unsigned>(c) & 0xFFu);
    if (b == 0) return text();
    return text(1, b);
}

text blankText(int n) { return n <= 0 ? text() : text(static_cast<std::size_t>(n), ' '); }

bytes blankBytes(int n) { return n <= 0 ? bytes() : bytes(static_cast<std::size_t>(n), 0); }

bytes textToBytes(const text& t) { return bytes(t.begin(), t.end()); }

text bytesToText(const bytes& b) {
    if (b.empty()) return text();
    const void* zero = std::memchr(b.data(), 0, b.size());
    const std::size_t n =
        zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - b.data()) : b.size();
    return text(reinterpret_cast<const char*>(b.data()), n);
}

// ---- Comparing and searching -------------------------------------------

int compareTexts(const text& a, const text& b) {
    const int r = std::string_view(a).compare(b);  // char_traits<char> compares as unsigned bytes
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool compareBytes(const bytes& a, const bytes& b) { return a == b; }

int findText(std::string_view t, std::string_view sub, std::optional<int> start, bool caseInsensitive) {
    const std::size_t from = (start && *start >= 2) ? static_cast<std::size_t>(*start) - 1 : 0;
    if (from >= t.size()) return -1;
    if (sub.empty()) return 1;
    const std::size_t at = findFrom(t, sub, from, caseInsensitive);
    return at == npos ? -1 : toInt(at) + 1;
}

int findTextReverse(std::string_view t, std::string_view sub, std::optional<int> start,
                    bool caseInsensitive) {
    std::size_t r = t.size();
    if (start) r = *start <= 1 ? 0 : std::min(static_cast<std::size_t>(*start) - 1, t.size());
    if (sub.empty()) return r > 0 ? 1 : -1;
    // Occurrences must lie wholly in the first r bytes; character starts still count from byte 1.
    const std::string_view region = t.substr(0, r);
    std::size_t last = npos;
    std::size_t from = 0;
    while (from < region.size()) {
        const std::size_t at = findFrom(region, sub, from, caseInsensitive);
        if (at == npos) break;
        last = at;
        from = at + stepAt(region, at);
    }
    return last == npos ? -1 : toInt(last) + 1;
}

// ---- Rewriting -----------------------------------------------------------

text toLowerText(const text& t) {
    text out(t);
    const std::size_t n = out.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 0x80) {
            i += 2;  // the trail byte keeps its value, whatever it is
        } else {
            if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 0x20);
            ++i;
        }
    }
    return out;
}

text trimText(const text& t) {
    const std::string_view v(t);
    const std::size_t n = v.size();
    std::size_t i = 0;
    while (i < n && isSpaceAt(v, i)) i += v[i] == ' ' ? 1 : 2;
    const std::size_t begin = i;
    std::size_t end = n;
    std::size_t runStart = npos;
    while (i < n) {
        if (byteAt(v, i) >= 0x80 && i + 1 == n) {
            end = i;  // a character cut short is dropped; a run of spaces before it stays open
            break;
        }
        if (isSpaceAt(v, i)) {
            if (runStart == npos) runStart = i;
        } else {
            runStart = npos;
        }
        i += stepAt(v, i);
    }
    if (runStart != npos) end = runStart;
    return text(v.substr(begin, end - begin));
}

text removeSpaces(const text& t) {
    const std::string_view v(t);
    const std::size_t n = v.size();
    text out;
    out.reserve(n);
    for (std::size_t i = 0; i < n;) {
        if (v[i] == ' ') {
            ++i;
        } else if (byteAt(v, i) >= 0x80) {
            if (i + 1 == n) break;  // a character cut short is dropped
            if (byteAt(v, i) != 0xA1 || byteAt(v, i + 1) != 0xA1) out.append(v.substr(i, 2));
            i += 2;
        } else {
            out.push_back(v[i]);
            ++i;
        }
    }
    return out;
}

text replaceText(const text& t, std::string_view old, std::optional<std::string_view> replacement,
                 bool exactCase) {
    if (t.empty() || old.empty()) return t;
    const std::string_view v(t);
    const std::string_view with = replacement.value_or(std::string_view());
    text out;
    out.reserve(v.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t at = findFrom(v, old, pos, !exactCase);
        if (at == npos) break;
        out.append(v.substr(pos, at - pos));
        out.append(with);
        pos = at + old.size();
    }
    out.append(v.substr(pos));
    return out;
}

// ---- Splitting, numbers and markers --------------------------------------

textList splitText(const text& t, std::string_view sep) {
    textList list;
    if (t.empty()) return list;
    if (sep.empty()) {
        list.push_back(t);
        return list;
    }
    const std::string_view v(t);
    std::size_t piece = 0;
    for (;;) {
        const std::size_t at = findExactFrom(v, sep, piece);
        if (at == npos) break;
        list.emplace_back(v.substr(piece, at - piece));
        piece = at + sep.size();
    }
    if (piece < v.size()) list.emplace_back(v.substr(piece));
    return list;
}

int listCount(const textList& list) { return toInt(list.size()); }

const text& listItem(const textList& list, int index) {
    // No caller reads outside 1..count; should one ever do, it gets the empty text.
    static const text none;
    if (index < 1 || static_cast<std::size_t>(index) > list.size()) return none;
    return list[static_cast<std::size_t>(index) - 1];
}

void listAppend(textList& list, const text& item) { list.push_back(item); }

std::int32_t textToInt(const text& t) {
    // Full-width forms fold to ASCII first, so "８０８０" reads as 8080.
    text folded;
    folded.reserve(t.size());
    const std::size_t n = t.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (c >= 0x80 && i + 1 < n) {
            const unsigned char d = static_cast<unsigned char>(t[i + 1]);
            if (c == 0xA3 && d >= 0xA1 && d <= 0xFE) {
                folded.push_back(static_cast<char>(d - 0x80));
            } else if (c == 0xA1 && d == 0xA1) {
                folded.push_back(' ');
            } else if (c == 0xA1 && d == 0xAB) {
                folded.push_back('~');
            } else if (c == 0xA1 && (d == 0xEE || d == 0xEF)) {
                folded.push_back('*');
            } else {
                folded.push_back(static_cast<char>(c));
                folded.push_back(static_cast<char>(d));
            }
            i += 2;
        } else {
            folded.push_back(static_cast<char>(c));
            ++i;
        }
    }
    std::size_t i = 0;
    const std::size_t m = folded.size();
    while (i < m && (folded[i] == ' ' || (folded[i] >= '\t' && folded[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < m && (folded[i] == '+' || folded[i] == '-')) {
        negative = folded[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;  // unsigned: overflow wraps around instead of being undefined
    for (; i < m && folded[i] >= '0' && folded[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(folded[i] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::int32_t bitwiseOr(std::initializer_list<std::int32_t> values) {
    std::int32_t r = 0;
    for (std::int32_t v : values) r |= v;
    return r;
}

text textBetween(const text& t, std::string_view left, std::string_view right, std::optional<int> start,
                 std::optional<bool> caseInsensitive) {
    // "#引号" in a marker stands for a double quote.
    static constexpr std::string_view quoteMarker = "#\xD2\xFD\xBA\xC5";
    const bool fold = caseInsensitive.value_or(false);
    const bool leftHasMarker = left.find(quoteMarker) != npos;
    const bool rightHasMarker = right.find(quoteMarker) != npos;
    text leftOwned, rightOwned;
    if (leftHasMarker) leftOwned = replaceText(text(left), quoteMarker, std::string_view("\""), true);
    if (rightHasMarker) rightOwned = replaceText(text(right), quoteMarker, std::string_view("\""), true);
    const std::string_view l = leftHasMarker ? std::string_view(leftOwned) : left;
    const std::string_view r = rightHasMarker ? std::string_view(rightOwned) : right;

    int p = findText(t, l, start, fold);
    if (p == -1) return text();  // the right marker's search would not be used
    p += toInt(l.size());
    const int q = findText(t, r, p, fold);
    if (q == -1) return text();
    return midText(t, p, q - p);
}

}  // namespace lj
