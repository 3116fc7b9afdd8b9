#include "web/http_get.h"

#include <cstdint>

#include "web/body_buffer.h"
#include "web/internet.h"
#include "web/url_parts.h"

namespace lj {

namespace {

constexpr const char* hostUserAgent = "LanJingSuQu/1.3";
constexpr const char* hostHeaders = "Accept: */*";
constexpr unsigned long readChunk = 64 * 1024;

struct Handles {
    net::Handle session = nullptr, connection = nullptr, request = nullptr;
    ~Handles() {
        if (request) net::internetCloseHandle(request);
        if (connection) net::internetCloseHandle(connection);
        if (session) net::internetCloseHandle(session);
    }
};

// One GET; the body goes to `body` unless it is null. `outcome` as documented in http_get.h.
void plainGet(const text& url, DownloadOutcome& outcome, BodyBuffer* body) {
    outcome = {};
    const text host = urlHost(url);
    if (url.empty() || host.empty()) return;
    const bool secure = toLowerText(leftText(url, 8)) == "https://";

    Handles h;
    h.session = net::internetOpen(hostUserAgent, net::openTypeDirect, nullptr, nullptr, 0);
    if (!h.session) return;
    h.connection =
        net::internetConnect(h.session, host.c_str(), urlPort(url), nullptr, nullptr, net::serviceHttp, 0, 0);
    if (!h.connection) return;
    // The host's downloads keep out of the request routine's cookie store.
    const unsigned long flags =
        net::flagReload | net::flagNoCookies | (secure ? net::flagSecure : net::flagIgnoreRedirectToHttps);
    const text path = urlPath(url);
    h.request =
        net::httpOpenRequest(h.connection, "GET", path.c_str(), "HTTP/1.1", nullptr, nullptr, flags, 0);
    if (!h.request) return;
    if (!net::httpSendRequest(h.request, hostHeaders,
                              static_cast<unsigned long>(std::char_traits<char>::length(hostHeaders)),
                              nullptr, 0)) {
        return;
    }

    std::uint32_t status = 0;
    unsigned long size = sizeof status;
    if (!net::httpQueryInfo(h.request, net::queryStatusCode | net::queryFlagNumber, &status, &size, nullptr))
        return;
    outcome.status = static_cast<int>(status);
    const long long length = announcedLength(h.request);
    if (body) body->expect(length);

    bytes buffer(readChunk);
    long long total = 0;
    bool endedCleanly = false;
    for (;;) {
        unsigned long count = 0;
        if (!net::internetReadFile(h.request, buffer.data(), readChunk, &count)) break;
        if (count == 0) {
            endedCleanly = true;
            break;
        }
        total += count;
        if (body) body->append(buffer.data(), count);
    }
    outcome.complete = status >= 200 && status < 300 && endedCleanly && (length < 0 || total == length);
}

bool isLoopbackHost(const text& url) {
    text host = urlHost(url, false, true);
    if (!host.empty() && host.front() == '[') {
        host = host.substr(1, host.find(']') == text::npos ? text::npos : host.find(']') - 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

}  // namespace

bytes httpGetBytes(const text& url, DownloadOutcome* outcome) {
    DownloadOutcome own;
    BodyBuffer body;
    plainGet(url, outcome ? *outcome : own, &body);
    return body.take();
}

bool isConnectedToInternet(const text& checkPageUrl) {
    if (!net::internetGetConnectedState() && !isLoopbackHost(checkPageUrl)) return false;
    DownloadOutcome outcome;
    plainGet(checkPageUrl, outcome, nullptr);
    return outcome.status != 0;
}

}  // namespace lj
