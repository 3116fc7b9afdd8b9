// Character-set conversion between UTF-8, UTF-16 and code page 936.
//
// Windows calls MultiByteToWideChar / WideCharToMultiByte; elsewhere our own
// layer behaves as those functions do for code pages 65001 and 936 (code page
// 0, the ANSI code page, means 936 there). Nothing is reported: invalid UTF-8
// becomes U+FFFD and a character 936 cannot hold becomes "?".
#pragma once

#include <optional>

#include "text/text.h"

namespace lj {

inline constexpr int codePageAnsi = 0;
inline constexpr int codePageGbk = 936;
inline constexpr int codePageUtf8 = 65001;

// UTF-16LE units of `t` read in `codePage` (omitted: 65001), terminator included.
bytes multiByteToWide(const text& t, std::optional<int> codePage = std::nullopt);
// Text of the UTF-16LE buffer `w` written in `codePage` (omitted: 0, the ANSI code page).
text wideToMultiByte(const bytes& w, std::optional<int> codePage = std::nullopt);
// UTF-8 to code page 936.
text utf8ToAnsi(const text& t);

// Code page 936 to UTF-8, for hosts whose toolkit speaks Unicode (Qt); the
// way back is utf8ToAnsi.
std::string ansiToUtf8(const text& t);

}  // namespace lj
