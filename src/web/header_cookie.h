// Header-line and cookie-list helpers of the request routine. Every
// comparison is exact and case-sensitive; lists are walked from item 1.
#pragma once

#include "text/text.h"

namespace lj {

// The trimmed text after the first ":"; empty without a ":".
text headerValue(const text& line);

// The trimmed text before the first "="; the whole item, trimmed, without one.
text cookieName(const text& item);

// True when some item's cookieName equals `name`.
bool cookieListHasName(const textList& items, const text& name);

// 1-based index of the first item equal to `t`, or -1.
int findTextInList(const textList& items, const text& t);

// `t` split on `sep` with exact repeats removed (first occurrences kept), joined by `sep`.
text dedupeTextList(const text& t, const text& sep);

// Folds the received cookies into the sent ones: received first, then sent
// items whose names were not received, "=deleted" items dropped, repeats
// removed, joined by "; ". Both arguments lose their spaces in place and
// `sent` is left holding the result.
text mergeCookies(text& sent, text& received);

}  // namespace lj
