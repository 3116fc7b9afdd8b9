// Code-page conversion where Windows' MultiByteToWideChar / WideCharToMultiByte
// are missing: our own layer for code pages 65001 and 936 (0 means 936), with
// Windows' results for flags 0. The code page 936 tables are read once from
// glibc's iconv "CP936", which maps the euro sign to 0x80 as Windows does.
#include <iconv.h>

#include <array>
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
};

// One character through iconv; false when it has no mapping.
bool convertOne(iconv_t cd, const char* in, std::size_t inLen, char* out, std::size_t& outLen) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in);
  char* dst = out;
  std::size_t left = outLen;
  const std::size_t r = iconv(cd, &src, &inLen, &dst, &left);
  if (r == static_cast<std::size_t>(-1) || inLen != 0 || r != 0) return false;  // r > 0: irreversible (lossy) step
  outLen = outLen - left;
  return true;
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
    return tables;
  }
  char out[8];
  auto readUnit = [&](std::size_t outLen) -> char16_t {
    if (outLen != 2) return 0;  // only characters of one UTF-16 unit exist in code page 936
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
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
      tables->encode[u] = static_cast<std::uint16_t>(static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
    }
  }
  iconv_close(toWide);
  iconv_close(fromWide);
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
  return std::string_view(t.data(), zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - t.data()) : t.size());
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
inline char16_t decode936(const Cp936Tables& tab, const unsigned char* s, std::size_t n, std::size_t i, std::size_t& len) {
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
  if (in.empty() || (cp != codePageUtf8 && !isGbk(cp))) return bytes();  // the platform fails on a null text
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
  text out(2 * units.size(), '\0');
  char* end = out.data();
  for (char16_t u : units) end = encode936(tab, u, end);
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

text utf8ToAnsi(const text& t) {
  // One pass equal to multiByteToWide(t) then wideToMultiByte(.., 936): every
  // UTF-8 sequence gives at most as many bytes as it has, so the input's
  // length is always room enough.
  const std::string_view in = untilZero(t);
  if (in.empty()) return text();
  const Cp936Tables& tab = cp936();
  const auto* s = reinterpret_cast<const unsigned char*>(in.data());
  const std::size_t n = in.size();
  text out(n, '\0');
  char* o = out.data();
  std::size_t i = 0;
  while (i < n) {
    // ASCII runs go through eight bytes at a time.
    while (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, s + i, 8);
      if (word & 0x8080808080808080ull) break;
      std::memcpy(o, s + i, 8);
      o += 8;
      i += 8;
    }
    if (i >= n) break;
    if (s[i] < 0x80) {
      *o++ = static_cast<char>(s[i++]);
      continue;
    }
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
