#include "web/http_request.h"

#include <utility>

#include "web/body_buffer.h"
#include "web/header_cookie.h"
#include "web/internet.h"
#include "web/url_parts.h"

namespace lj {

namespace {

constexpr int headerBufferSize = 5000;
constexpr int readChunk = 1024;

const char* verbFor(int method) {
    switch (method) {
        case 1:
            return "POST";
        case 2:
            return "HEAD";
        default:
            return "GET";
    }
}

}  // namespace

text userAgentFor(const text& extraHeaders) {
    if (findText(extraHeaders, "User-Agent:", std::nullopt, true) == -1) return defaultUserAgent;
    text agent = trimText(textBetween(concatTexts({extraHeaders, "\r\n"}), "User-Agent:", "\r\n"));
    // Another spelling of the name: the value after the header text's first colon.
    if (agent.empty()) agent = headerValue(extraHeaders);
    return agent;
}

namespace {

void completeHeaders(text& headers, const text& url, const text& cookies) {
    if (headers.empty()) {
        headers = "Accept: */*";
    } else if (findText(headers, "Accept:", std::nullopt, false) == -1) {
        headers += "\r\nAccept: */*";
    }
    if (findText(headers, "Referer:", std::nullopt, false) == -1)
        headers += concatTexts({"\r\nReferer: ", url});
    if (findText(headers, "Accept-Language:", std::nullopt, false) == -1)
        headers += "\r\nAccept-Language: zh-cn";
    if (findText(headers, "Content-Type:", std::nullopt, false) == -1) {
        headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    }
    if (!cookies.empty()) {
        if (findText(cookies, "Cookie:", std::nullopt, false) != -1) {
            headers += concatTexts({"\r\n", cookies});
        } else {
            headers += concatTexts({"\r\nCookie: ", cookies});
        }
    }
}

// The raw header block. A block that does not fit the usual buffer is read
// again with the size the layer asks for, so its cookies are not lost.
text readHeaderBlock(net::Handle request) {
    text block = blankText(headerBufferSize);
    unsigned long length = headerBufferSize;
    // A larger buffer is adopted only once a query has filled it; a failure keeps the 5000 blanks.
    bool filled = net::httpQueryInfo(request, net::queryRawHeadersCrlf, block.data(), &length, nullptr);
    text larger;
    for (int attempt = 0; !filled && attempt < 3; ++attempt) {
        if (net::lastError() != net::errorInsufficientBuffer || length <= larger.size() ||
            length <= block.size())
            break;
        larger = blankText(static_cast<int>(length));
        filled = net::httpQueryInfo(request, net::queryRawHeadersCrlf, larger.data(), &length, nullptr);
        if (filled) block = std::move(larger);
    }
    // The text ends at the block's terminating zero; a failed query leaves the blanks.
    const auto end = block.find('\0');
    if (end != text::npos) block.resize(end);
    return block;
}

text cookiesSetBy(const text& headers) {
    const textList lines = splitText(headers, "\r\n");
    text found;
    for (int i = 1; i <= listCount(lines); ++i) {
        const text& line = listItem(lines, i);
        if (findText(line, "Set-Cookie", std::nullopt, false) == -1) continue;
        text item;
        if (findText(line, ";", std::nullopt, false) != -1) {
            item = trimText(textBetween(line, "Set-Cookie:", ";"));
        } else {
            item = trimText(replaceText(line, "Set-Cookie:", std::nullopt, false));
        }
        found += item;
        found += "; ";
    }
    return leftText(found, textLength(found) - 2);
}

}  // namespace

bytes httpRequest(const text& url, int method, const text& postText, text* cookies, text* returnedCookies,
                  text* extraHeaders, text* returnedHeaders, bool noRedirect, bytes* postBytes,
                  const text& proxy) {
    // Left-out in/out arguments behave as private empty variables.
    text ownExtraHeaders, ownReturnedHeaders, ownReturnedCookies;
    bytes ownPostBytes;
    text& headers = extraHeaders ? *extraHeaders : ownExtraHeaders;
    text& rawHeaders = returnedHeaders ? *returnedHeaders : ownReturnedHeaders;
    text& setCookies = returnedCookies ? *returnedCookies : ownReturnedCookies;
    bytes& body = postBytes ? *postBytes : ownPostBytes;

    if (method < 0 || method > 2) method = 0;
    const char* verb = verbFor(method);
    const bool secure = toLowerText(leftText(url, 8)) == "https://";
    const text userAgent = userAgentFor(headers);

    net::Handle session;
    if (proxy.empty()) {
        session = net::internetOpen(nullableText(userAgent), net::openTypeDirect, nullptr, nullptr, 0);
    } else {
        const text proxyText = secure ? proxy : concatTexts({"http=", proxy});
        session =
            net::internetOpen(nullableText(userAgent), net::openTypeProxy, nullableText(proxyText), "", 0);
    }
    if (!session) return {};

    const text host = urlHost(url);
    net::Handle connection = net::internetConnect(session, nullableText(host), urlPort(url), nullptr, nullptr,
                                                  net::serviceHttp, 0, 0);
    if (!connection) {
        net::internetCloseHandle(session);
        return {};
    }

    unsigned long flags = net::flagReload | net::flagNeedFile;
    if (cookies) flags |= net::flagNoCookies;
    if (noRedirect) flags |= net::flagNoAutoRedirect;
    flags |= secure ? net::flagSecure : net::flagIgnoreRedirectToHttps;

    const text path = urlPath(url);
    net::Handle request =
        net::httpOpenRequest(connection, verb, nullableText(path), "HTTP/1.1", nullptr, nullptr, flags, 0);
    if (!request) {
        net::internetCloseHandle(connection);
        net::internetCloseHandle(session);
        return {};
    }

    completeHeaders(headers, url, cookies ? *cookies : text{});

    const auto headerLength = static_cast<unsigned long>(headers.size());
    if (method == 0) {
        net::httpSendRequest(request, nullableText(headers), headerLength, "", 0);
    } else {
        if (compareBytes(body, bytes{})) body = textToBytes(postText);
        net::httpSendRequest(request, nullableText(headers), headerLength, nullableBytes(body),
                             static_cast<unsigned long>(body.size()));
    }

    BodyBuffer result;
    result.expect(announcedLength(request));
    bytes buffer = blankBytes(readChunk);
    unsigned long count = 0;
    do {
        count = 0;
        net::internetReadFile(request, buffer.data(), readChunk, &count);
        if (count > static_cast<unsigned long>(readChunk)) count = readChunk;
        result.append(buffer.data(), count);
    } while (count != 0);

    rawHeaders = readHeaderBlock(request);
    rawHeaders = replaceText(rawHeaders, "Set-Cookie", "Set-Cookie", false);

    net::internetCloseHandle(request);
    net::internetCloseHandle(connection);
    net::internetCloseHandle(session);

    setCookies = cookiesSetBy(rawHeaders);
    if (cookies) setCookies = mergeCookies(*cookies, setCookies);
    return result.take();
}

}  // namespace lj
