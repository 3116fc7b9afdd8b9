// Code page 936 <-> UTF-16 for the wide Windows functions. The conversions
// name code page 936 explicitly: the system's ANSI code page need not be 936
// (a fresh Wine prefix reports 1252), and every text of the program is 936.
#pragma once

#include <string>

#include "text/text.h"

namespace lj::win32 {

std::wstring widen(const text& t);
// As widen, but "" when `t` is not valid code page 936 (file names).
std::wstring widenStrict(const text& t);
// Characters 936 cannot hold become "?"; the text ends at the first zero unit.
text narrow(const wchar_t* w, int length = -1);
inline text narrow(const std::wstring& w) { return narrow(w.c_str(), static_cast<int>(w.size())); }

std::wstring utf8ToWide(const char* utf8);

}  // namespace lj::win32
