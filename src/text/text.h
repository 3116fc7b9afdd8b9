// Value types and text operations every other module is written in.
//
// A `text` is a byte string in code page 936 that never holds a zero byte;
// positions are 1-based byte positions and a byte of 0x80 or above begins a
// two-byte character. Every scanning operation steps character by character,
// so a match only ever begins where a character begins. Measuring and cutting
// operations count plain bytes and may cut a character in half.
//
// None of these operations fails: out-of-range counts and positions give the
// empty text, and a search that finds nothing gives -1.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lj {

using text = std::string;            // code page 936, no zero byte; "" is also "absent"
using bytes = std::vector<unsigned char>;  // may hold zero bytes; empty is also "absent"
using textList = std::vector<text>;  // items numbered from 1 by listItem

// ---- Platform boundary --------------------------------------------------
// An empty text that an operation produced reaches a platform function as a
// null pointer; a literal "" in the design reaches it as an empty string.
// Call sites use nullableText() for produced texts and pass "" literally.
inline const char* nullableText(const text& t) { return t.empty() ? nullptr : t.c_str(); }
inline const unsigned char* nullableBytes(const bytes& b) { return b.empty() ? nullptr : b.data(); }

// ---- Measuring and cutting ---------------------------------------------
int textLength(const text& t);
int bytesLength(const bytes& b);
text leftText(const text& t, int n);
text rightText(const text& t, int n);
text midText(const text& t, int start, int n);
bytes leftBytes(const bytes& b, int n);

// ---- Building and converting -------------------------------------------
text concatTexts(std::initializer_list<std::string_view> parts);
bytes concatBytes(std::initializer_list<const bytes*> parts);
text charFromCode(int c);
text blankText(int n);
bytes blankBytes(int n);
bytes textToBytes(const text& t);
text bytesToText(const bytes& b);

// ---- Comparing and searching -------------------------------------------
int compareTexts(const text& a, const text& b);  // -1, 0 or 1
bool compareBytes(const bytes& a, const bytes& b);  // true when equal
// First occurrence of `sub` at or after `start` (nullopt or < 2: from the beginning).
int findText(std::string_view t, std::string_view sub, std::optional<int> start, bool caseInsensitive);
// Last occurrence of `sub` that ends before `start` (nullopt: anywhere).
int findTextReverse(std::string_view t, std::string_view sub, std::optional<int> start, bool caseInsensitive);

// ---- Rewriting -----------------------------------------------------------
text toLowerText(const text& t);
text trimText(const text& t);
text removeSpaces(const text& t);
// `replacement` nullopt removes the occurrences. exactCase has the opposite
// sense of findText's caseInsensitive.
text replaceText(const text& t, std::string_view old, std::optional<std::string_view> replacement, bool exactCase);

// ---- Splitting, numbers and markers --------------------------------------
textList splitText(const text& t, std::string_view sep);
int listCount(const textList& list);
const text& listItem(const textList& list, int index);  // 1-based
void listAppend(textList& list, const text& item);
std::int32_t textToInt(const text& t);
std::int32_t bitwiseOr(std::initializer_list<std::int32_t> values);
// The text between the first `left` and the next `right` after it; "" when
// either is missing. "#引号" in a marker stands for a double quote.
text textBetween(const text& t, std::string_view left, std::string_view right,
                 std::optional<int> start = std::nullopt, std::optional<bool> caseInsensitive = std::nullopt);

// The ideographic space of code page 936, treated like 0x20 by trimText and removeSpaces.
inline constexpr std::string_view fullWidthSpace = "\xA1\xA1";

}  // namespace lj
