// Code-page conversion where Windows' MultiByteToWideChar / WideCharToMultiByte
// are missing: our own layer for code pages 65001 and 936 (0 means 936), with
// Windows' results for flags 0. The code page 936 tables are read once from
// glibc's iconv "CP936", which maps the euro sign to 0x80 as Windows does.
#include <iconv.h>
#include <sys/mman.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "text/charset.h"

namespace lj {

namespace {

constexpr char16_t replacementChar = 0xFFFD;
constexpr unsigned char defaultByte = '?';

// ---- Code page 936 tables ------------------------------------------------

struct Cp936Tables {
    // Indexed by the byte (single-byte codes) or by lead << 8 | trail; 0 = no character.
    std::array<char16_t, 256> single{};
    std::array<char16_t, 65536> dbcs{};
    // Indexed by the UTF-16 unit: 1..0xFF a one-byte code, 0x8140.. a two-byte code, 0 = none.
    std::array<std::uint16_t, 65536> encode{};
    // The same as the bytes in output order (first byte lowest) with their count from bit 16.
    std::array<std::uint32_t, 65536> packed{};
};

// One character through iconv; false when it has no mapping.
bool convertOne(iconv_t cd, const char* in, std::size_t inLen, char* out, std::size_t& outLen) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    std::size_t left = outLen;
    const std::size_t r = iconv(cd, &src, &inLen, &dst, &left);
    if (r == static_cast<std::size_t>(-1) || inLen != 0 || r != 0)
        return false;  // r > 0: irreversible (lossy) step
    outLen = outLen - left;
    return true;
}

// Private-use character Windows gives a code of one of the three user-defined
// areas (AAA1-AFFE, F8A1-FEFE, A140-A7A0), or 0 outside them.
char16_t userDefinedChar(unsigned lead, unsigned trail) {
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1 && trail <= 0xFE)
        return static_cast<char16_t>(0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1));
    if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE)
        return static_cast<char16_t>(0xE234 + (lead - 0xF8) * 94 + (trail - 0xA1));
    if (lead >= 0xA1 && lead <= 0xA7 && trail >= 0x40 && trail <= 0xA0 && trail != 0x7F) {
        return static_cast<char16_t>(0xE4C6 + (lead - 0xA1) * 96 + (trail - (trail < 0x7F ? 0x40 : 0x41)));
    }
    return 0;
}

// Windows' code page 936 leaves no two-byte code without a character, where
// glibc's does: the user-defined areas map to private use in blocks, every
// other gap to the next private-use character from U+E766 in code order; and
// the single byte 0xFF is U+F8F5. Both directions, so these round-trip.
void addPrivateUse(Cp936Tables& tables) {
    char16_t nextGap = 0xE766;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F || tables.dbcs[lead << 8 | trail] != 0) continue;
            char16_t u = userDefinedChar(lead, trail);
            if (u == 0) u = nextGap++;
            tables.dbcs[lead << 8 | trail] = u;
            if (tables.encode[u] == 0) tables.encode[u] = static_cast<std::uint16_t>(lead << 8 | trail);
        }
    }
    if (tables.single[0xFF] == 0 && tables.encode[0xF8F5] == 0) {
        tables.single[0xFF] = 0xF8F5;
        tables.encode[0xF8F5] = 0xFF;
    }
}

void fillPacked(Cp936Tables& tables) {
    for (std::size_t u = 0; u < tables.encode.size(); ++u) {
        const std::uint32_t code = tables.encode[u];
        if (u >= 0xD800 && u <= 0xDFFF) {
            tables.packed[u] = 1u << 16 | defaultByte;
        } else if (code == 0) {
            tables.packed[u] = u == 0 ? 1u << 16 : (1u << 16 | defaultByte);
        } else if (code < 0x100) {
            tables.packed[u] = 1u << 16 | code;
        } else {
            tables.packed[u] = 2u << 16 | (code & 0xFF) << 8 | code >> 8;
        }
    }
}

std::unique_ptr<Cp936Tables> buildCp936Tables() {
    auto tables = std::make_unique<Cp936Tables>();
    iconv_t toWide = iconv_open("UTF-16LE", "CP936");
    iconv_t fromWide = iconv_open("CP936", "UTF-16LE");
    if (toWide == reinterpret_cast<iconv_t>(-1) || fromWide == reinterpret_cast<iconv_t>(-1)) {
        // Without glibc's converters only ASCII survives; everything else becomes the default character.
        for (unsigned c = 1; c < 0x80; ++c) {
            tables->single[c] = static_cast<char16_t>(c);
            tables->encode[c] = static_cast<std::uint16_t>(c);
        }
        fillPacked(*tables);
        return tables;
    }
    char out[8];
    auto readUnit = [&](std::size_t outLen) -> char16_t {
        if (outLen != 2) return 0;  // only characters of one UTF-16 unit exist in code page 936
        return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1])
                                                                              << 8);
    };
    for (unsigned b = 1; b < 0x100; ++b) {
        const char in = static_cast<char>(b);
        std::size_t outLen = sizeof out;
        if (convertOne(toWide, &in, 1, out, outLen)) tables->single[b] = readUnit(outLen);
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            std::size_t outLen = sizeof out;
            if (convertOne(toWide, in, 2, out, outLen)) tables->dbcs[lead << 8 | trail] = readUnit(outLen);
        }
    }
    for (unsigned u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;  // halves of pairs never convert
        const char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        std::size_t outLen = sizeof out;
        if (!convertOne(fromWide, in, 2, out, outLen)) continue;
        if (outLen == 1) {
            tables->encode[u] = static_cast<unsigned char>(out[0]);
        } else if (outLen == 2) {
            tables->encode[u] = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                                           static_cast<unsigned char>(out[1]));
        }
    }
    iconv_close(toWide);
    iconv_close(fromWide);
    addPrivateUse(*tables);
    // U+FFFD, which stands for each ill-formed UTF-8 piece, has no character in
    // Windows' 936 either: one "?" per piece also keeps utf8ToAnsi's output
    // within the length of its input.
    tables->encode[replacementChar] = 0;
    fillPacked(*tables);
    return tables;
}

const Cp936Tables& cp936() {
    static const std::unique_ptr<Cp936Tables> tables = buildCp936Tables();
    return *tables;
}

// ---- Decoding ----------------------------------------------------------------

// The bytes of `t` up to its first zero byte: the platform functions read
// zero-terminated strings.
std::string_view untilZero(const text& t) {
    const void* zero = std::memchr(t.data(), 0, t.size());
    return std::string_view(
        t.data(), zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - t.data()) : t.size());
}

// One UTF-8 character at s[i]: its code point (U+FFFD for an ill-formed
// sequence) and its length. An ill-formed sequence is replaced by one U+FFFD
// for its longest valid beginning (the maximal subpart) or for a single byte.
inline char32_t decodeUtf8(const unsigned char* s, std::size_t n, std::size_t i, std::size_t& len) {
    const unsigned char c = s[i];
    if (c < 0x80) {
        len = 1;
        return c;
    }
    unsigned need;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        cp = c & 0x0F;
        if (c == 0xE0) lo = 0xA0;  // overlong
        if (c == 0xED) hi = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        cp = c & 0x07;
        if (c == 0xF0) lo = 0x90;  // overlong
        if (c == 0xF4) hi = 0x8F;  // beyond U+10FFFF
    } else {
        len = 1;
        return replacementChar;
    }
    std::size_t j = i + 1;
    for (unsigned k = 0; k < need; ++k, ++j) {
        if (j >= n) {
            len = j - i;
            return replacementChar;
        }
        const unsigned char d = s[j];
        const unsigned char min = k == 0 ? lo : 0x80;
        const unsigned char max = k == 0 ? hi : 0xBF;
        if (d < min || d > max) {
            len = j - i;
            return replacementChar;
        }
        cp = cp << 6 | (d & 0x3F);
    }
    len = j - i;
    return cp;
}

// One code page 936 character at s[i] as a UTF-16 unit, and its length.
inline char16_t decode936(const Cp936Tables& tab, const unsigned char* s, std::size_t n, std::size_t i,
                          std::size_t& len) {
    const unsigned char c = s[i];
    if (c < 0x80) {
        len = 1;
        return c;
    }
    if (c >= 0x81 && c <= 0xFE && i + 1 < n) {
        len = 2;
        const char16_t u = tab.dbcs[c << 8 | s[i + 1]];
        return u != 0 ? u : static_cast<char16_t>(defaultByte);
    }
    len = 1;
    const char16_t u = tab.single[c];
    return u != 0 ? u : static_cast<char16_t>(defaultByte);
}

template <typename Sink>
void decodeUtf8ToUnits(std::string_view in, Sink&& put) {
    const auto* s = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n;) {
        std::size_t len;
        const char32_t cp = decodeUtf8(s, n, i, len);
        i += len;
        if (cp >= 0x10000) {
            put(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            put(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            put(static_cast<char16_t>(cp));
        }
    }
}

// ---- Encoding ----------------------------------------------------------------

// Appends the code page 936 form of unit u at out; returns the new end.
inline char* encode936(const Cp936Tables& tab, char16_t u, char* out) {
    const std::uint16_t code = tab.encode[u];
    if (code == 0) {
        *out++ = static_cast<char>(defaultByte);  // also each half of a surrogate pair
    } else if (code < 0x100) {
        *out++ = static_cast<char>(code);
    } else {
        *out++ = static_cast<char>(code >> 8);
        *out++ = static_cast<char>(code & 0xFF);
    }
    return out;
}

inline void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// UTF-16 units to UTF-8; a surrogate without its partner becomes U+FFFD.
std::string unitsToUtf8(const char16_t* u, std::size_t n) {
    std::string out;
    out.reserve(n * 3);
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = u[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (u[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            appendUtf8(out, replacementChar);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

// A zero-filled text of n bytes. A large one first gets the advice to use
// huge pages: touching a fresh 64 MB buffer page by page otherwise costs far
// more than the conversion that fills it.
text workingText(std::size_t n) {
    text out;
    out.reserve(n);
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    if (n >= 4 * hugePage) {
        const auto begin = reinterpret_cast<std::uintptr_t>(out.data());
        const std::uintptr_t first = (begin + hugePage - 1) & ~(hugePage - 1);
        const std::uintptr_t last = (begin + n) & ~(hugePage - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // advice only
    }
#endif
    out.resize(n);
    return out;
}

bool isGbk(int codePage) { return codePage == codePageAnsi || codePage == codePageGbk; }

// UTF-16LE units of `w` up to (not including) its first zero unit; a buffer
// without one ends at its last whole unit.
std::u16string unitsOf(const bytes& w) {
    std::u16string units;
    const std::size_t n = w.size() / 2;
    units.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = static_cast<char16_t>(w[2 * i] | w[2 * i + 1] << 8);
        if (u == 0) break;
        units.push_back(u);
    }
    return units;
}

}  // namespace

bytes multiByteToWide(const text& t, std::optional<int> codePage) {
    const int cp = codePage.value_or(codePageUtf8);
    const std::string_view in = untilZero(t);
    if (in.empty() || (cp != codePageUtf8 && !isGbk(cp)))
        return bytes();  // the platform fails on a null text
    bytes out;
    out.reserve(2 * (in.size() + 1));
    auto put = [&out](char16_t u) {
        out.push_back(static_cast<unsigned char>(u & 0xFF));
        out.push_back(static_cast<unsigned char>(u >> 8));
    };
    if (cp == codePageUtf8) {
        decodeUtf8ToUnits(in, put);
    } else {
        const Cp936Tables& tab = cp936();
        const auto* s = reinterpret_cast<const unsigned char*>(in.data());
        for (std::size_t i = 0; i < in.size();) {
            std::size_t len;
            put(decode936(tab, s, in.size(), i, len));
            i += len;
        }
    }
    put(0);
    return out;
}

text wideToMultiByte(const bytes& w, std::optional<int> codePage) {
    const int cp = codePage.value_or(codePageAnsi);
    const std::u16string units = unitsOf(w);
    if (units.empty() || (cp != codePageUtf8 && !isGbk(cp))) return text();
    if (cp == codePageUtf8) return unitsToUtf8(units.data(), units.size());
    const Cp936Tables& tab = cp936();
    text out = workingText(2 * units.size());
    char* end = out.data();
    for (char16_t u : units) end = encode936(tab, u, end);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

text utf8ToAnsi(const text& t) {
    // One pass equal to multiByteToWide(t) then wideToMultiByte(.., 936): every
    // UTF-8 sequence gives at most as many bytes as it has, so the input's
    // length is always room enough, and writing two bytes for a sequence of two
    // or more never passes the end. A zero byte ends the text, as it ends the
    // platform's zero-terminated string.
    if (t.empty() || t[0] == '\0') return text();
    const Cp936Tables& tab = cp936();
    const auto* s = reinterpret_cast<const unsigned char*>(t.data());
    const std::size_t n = t.size();
    text out = workingText(n);
    char* o = out.data();
    std::size_t i = 0;
    while (i < n) {
        const unsigned c = s[i];
        if (c < 0x80) {
            if (c == 0) break;
            if (i + 8 <= n) {
                // Copy eight bytes, keep those before the first non-ASCII or zero one
                // (the lowest flag of the zero-byte test is exact).
                constexpr std::uint64_t ones = 0x0101010101010101ull;
                constexpr std::uint64_t highs = 0x8080808080808080ull;
                std::uint64_t word;
                std::memcpy(&word, s + i, 8);
                std::memcpy(o, &word, 8);
                const std::uint64_t stop = (word & highs) | ((word - ones) & ~word & highs);
                const std::size_t ascii = stop ? static_cast<std::size_t>(std::countr_zero(stop)) / 8 : 8;
                o += ascii;
                i += ascii;
            } else {
                *o++ = static_cast<char>(c);
                ++i;
            }
            continue;
        }
        // The common case: a run of well-formed three-byte sequences.
        const std::size_t runStart = i;
        while (i + 2 < n) {
            const unsigned lead = s[i];
            const unsigned c1 = s[i + 1] ^ 0x80u;
            const unsigned c2 = s[i + 2] ^ 0x80u;
            const unsigned u = (lead & 0x0F) << 12 | c1 << 6 | c2;
            if ((lead & 0xF0) != 0xE0 || (c1 | c2) >= 0x40 || u < 0x800 || (u >= 0xD800 && u <= 0xDFFF))
                break;
            const std::uint32_t packed = tab.packed[u];
            o[0] = static_cast<char>(packed & 0xFF);
            o[1] = static_cast<char>(packed >> 8 & 0xFF);
            o += packed >> 16;
            i += 3;
        }
        if (i != runStart) continue;
        std::size_t len;
        const char32_t cp = decodeUtf8(s, n, i, len);
        i += len;
        if (cp >= 0x10000) {
            *o++ = static_cast<char>(defaultByte);  // each half of the surrogate pair
            *o++ = static_cast<char>(defaultByte);
        } else {
            o = encode936(tab, static_cast<char16_t>(cp), o);
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string ansiToUtf8(const text& t) {
    const std::string_view in = untilZero(t);
    if (in.empty()) return std::string();
    const Cp936Tables& tab = cp936();
    const auto* s = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t n = in.size();
    std::string out;
    out.reserve(n + n / 2);
    for (std::size_t i = 0; i < n;) {
        if (s[i] < 0x80) {
            out.push_back(static_cast<char>(s[i++]));
            continue;
        }
        std::size_t len;
        appendUtf8(out, decode936(tab, s, n, i, len));
        i += len;
    }
    return out;
}

}  // namespace lj
