// The program's one routine for its own HTTP traffic, over the WinINet-shaped
// layer of internet.h. It blocks until the whole body has been read.
#pragma once

#include "text/text.h"

namespace lj {

// The default user agent, sent unless the header text names another.
inline constexpr const char* defaultUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// The user agent a request with this header text is sent with: the value of
// its "User-Agent:" line; for another spelling, the value after the text's
// first colon; without such a line, the default. Empty means none.
text userAgentFor(const text& extraHeaders);

// One request; returns the response body whatever the status, empty on failure.
//  method: 0 GET, 1 POST, 2 HEAD, anything else GET.
//  postText: body of a non-GET request when `postBytes` is empty.
//  cookies: in/out; null = not supplied. Supplied (even empty) turns off the
//    layer's own cookie store and merges the response's cookies into it.
//  returnedCookies: out; the response's cookies ("a=1; b=2"), merged when `cookies` is supplied.
//  extraHeaders: in/out; on return the complete header text that was sent.
//  returnedHeaders: out; the raw response header block, "Set-Cookie" spelled so.
//  noRedirect: true leaves redirects unfollowed.
//  postBytes: in/out; filled from `postText` when empty.
//  proxy: "host:port"; empty = direct connection.
// A null out/in-out pointer behaves as a private empty variable.
bytes httpRequest(const text& url, int method = 0, const text& postText = {}, text* cookies = nullptr,
                  text* returnedCookies = nullptr, text* extraHeaders = nullptr,
                  text* returnedHeaders = nullptr, bool noRedirect = false, bytes* postBytes = nullptr,
                  const text& proxy = {});

}  // namespace lj
