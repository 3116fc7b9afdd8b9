#include "hosts/win32/win32_text.h"

#include <windows.h>

namespace lj::win32 {

namespace {

constexpr UINT gbk = 936;

std::wstring toWide(UINT codePage, DWORD flags, const char* s, int length) {
    if (length <= 0) return {};
    const int n = MultiByteToWideChar(codePage, flags, s, length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, s, length, w.data(), n);
    return w;
}

}  // namespace

std::wstring widen(const text& t) { return toWide(gbk, 0, t.data(), static_cast<int>(t.size())); }

std::wstring widenStrict(const text& t) {
    return toWide(gbk, MB_ERR_INVALID_CHARS, t.data(), static_cast<int>(t.size()));
}

text narrow(const wchar_t* w, int length) {
    if (!w) return {};
    if (length < 0) length = static_cast<int>(wcslen(w));
    // A text never holds a zero byte: stop at the first zero unit.
    for (int i = 0; i < length; ++i)
        if (w[i] == L'\0') length = i;
    if (length == 0) return {};
    const int n = WideCharToMultiByte(gbk, 0, w, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    text t(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(gbk, 0, w, length, t.data(), n, nullptr, nullptr);
    return t;
}

std::wstring utf8ToWide(const char* utf8) {
    return toWide(CP_UTF8, 0, utf8, utf8 ? static_cast<int>(strlen(utf8)) : 0);
}

}  // namespace lj::win32
