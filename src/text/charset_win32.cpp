// Code-page conversion on Windows: thin routines around MultiByteToWideChar
// and WideCharToMultiByte with flags 0.
#include <windows.h>

#include <cstring>

#include "text/charset.h"

namespace lj {

namespace {

// The platform reads UTF-16 up to a zero unit. A buffer that lacks one gets a
// terminated copy, so a malformed buffer is never read past its end.
const bytes& terminatedUnits(const bytes& w, bytes& copy) {
    const std::size_t units = w.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        if (w[2 * i] == 0 && w[2 * i + 1] == 0) return w;
    }
    if (units == 0) return copy;  // empty: stays the null input
    copy.assign(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(2 * units));
    copy.push_back(0);
    copy.push_back(0);
    return copy;
}

inline LPCWSTR wideOf(const bytes& w) { return w.empty() ? nullptr : reinterpret_cast<LPCWSTR>(w.data()); }

}  // namespace

bytes multiByteToWide(const text& t, std::optional<int> codePage) {
    const UINT cp = static_cast<UINT>(codePage.value_or(codePageUtf8));
    const char* s = nullableText(t);
    const int n = MultiByteToWideChar(cp, 0, s, -1, nullptr, 0);
    bytes buffer = blankBytes(2 * n);
    if (n > 0) MultiByteToWideChar(cp, 0, s, -1, reinterpret_cast<LPWSTR>(buffer.data()), n);
    return buffer;
}

text wideToMultiByte(const bytes& w, std::optional<int> codePage) {
    const UINT cp = static_cast<UINT>(codePage.value_or(codePageAnsi));
    bytes copy;
    const LPCWSTR src = wideOf(terminatedUnits(w, copy));
    // Sized in the ANSI code page whatever the target, then given twice that room.
    const int m = WideCharToMultiByte(CP_ACP, 0, src, -1, nullptr, 0, nullptr, nullptr);
    text work = blankText(2 * m);
    if (m <= 0) return text();
    const int written = WideCharToMultiByte(cp, 0, src, -1, work.data(), 2 * m, nullptr, nullptr);
    // A failed conversion (room too small) may leave no terminator: give nothing rather than spaces.
    if (written <= 0) return text();
    return text(work.c_str());
}

text utf8ToAnsi(const text& t) {
    const bytes wide = multiByteToWide(t);
    return wideToMultiByte(wide, codePageGbk);
}

std::string ansiToUtf8(const text& t) {
    // Sized for UTF-8 itself: the ANSI-sized room of wideToMultiByte is too small for it.
    const bytes wide = multiByteToWide(t, codePageGbk);
    const LPCWSTR src = wideOf(wide);
    const int m = WideCharToMultiByte(CP_UTF8, 0, src, -1, nullptr, 0, nullptr, nullptr);
    if (m <= 0) return std::string();
    std::string out(static_cast<std::size_t>(m), '\0');
    const int written = WideCharToMultiByte(CP_UTF8, 0, src, -1, out.data(), m, nullptr, nullptr);
    if (written <= 0) return std::string();
    out.resize(std::strlen(out.c_str()));
    return out;
}

}  // namespace lj
