#include "wire.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string_view>
#include <vector>

namespace standin {

namespace {

// A keep-alive connection may sit idle this long between requests; WinINet
// and libcurl keep pooled connections open, so be generous.
constexpr int kIdleMs = 10 * 60 * 1000;

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// True when the comma-separated list holds `token` (case-insensitive).
bool hasToken(std::string_view list, std::string_view token) {
    std::string l = lower(list);
    size_t start = 0;
    while (start <= l.size()) {
        size_t end = l.find(',', start);
        if (end == std::string::npos) end = l.size();
        if (trim(std::string_view(l).substr(start, end - start)) == token) return true;
        start = end + 1;
    }
    return false;
}

bool lastTokenIs(std::string_view list, std::string_view token) {
    std::string l = lower(list);
    size_t comma = l.rfind(',');
    std::string_view last =
        comma == std::string::npos ? std::string_view(l) : std::string_view(l).substr(comma + 1);
    return trim(last) == token;
}

bool parseDecimal(std::string_view s, uint64_t& out) {
    if (s.empty() || s.size() > 19) return false;
    out = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

bool parseHex(std::string_view s, uint64_t& out) {
    if (s.empty() || s.size() > 15) return false;
    out = 0;
    for (char c : s) {
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else {
            return false;
        }
        out = out * 16 + static_cast<uint64_t>(v);
    }
    return true;
}

// Splits an absolute-form target "http://host:port/p?q" into authority and the rest.
void splitTarget(Request& r) {
    std::string_view t = r.target;
    std::string_view rest = t;
    size_t scheme = t.find("://");
    if (!t.empty() && t.front() != '/' && scheme != std::string_view::npos) {
        std::string_view afterScheme = t.substr(scheme + 3);
        size_t slash = afterScheme.find_first_of("/?");
        std::string_view authority = afterScheme.substr(0, slash);
        r.host = std::string(authority);
        rest = slash == std::string_view::npos ? std::string_view("/") : afterScheme.substr(slash);
    }
    size_t q = rest.find('?');
    std::string_view path = rest.substr(0, q);
    r.path = std::string(path.empty() ? std::string_view("/") : path);
    r.query = q == std::string_view::npos ? std::string() : std::string(rest.substr(q + 1));
}

}  // namespace

Connection::Connection(int fd) : fd_(fd) {}

Connection::~Connection() { ::close(fd_); }

Connection::Fill Connection::fill(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        int n = ::poll(&p, 1, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) return Fill::timeout;
        if (n < 0) return Fill::gone;
        break;
    }
    char chunk[65536];
    for (;;) {
        ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return Fill::gone;
        buf_.append(chunk, static_cast<size_t>(got));
        return Fill::more;
    }
}

bool Connection::ensure(size_t bytes) {
    while (buf_.size() < bytes) {
        if (fill(kIdleMs) != Fill::more) return false;
    }
    return true;
}

// Finds the '\n' that ends the line starting at `from`, reading more as needed.
bool Connection::findLineEnd(size_t from, size_t& lineEnd) {
    size_t scanned = from;
    for (;;) {
        size_t nl = buf_.find('\n', scanned);
        if (nl != std::string::npos) {
            lineEnd = nl;
            return true;
        }
        scanned = buf_.size();
        if (buf_.size() - from > kMaxHeadBytes) return false;
        if (fill(kIdleMs) != Fill::more) return false;
    }
}

ReadResult Connection::readRequest(Request& out) {
    // Empty lines before a request line are tolerated, as HTTP/1.1 asks.
    for (;;) {
        size_t skip = 0;
        while (skip < buf_.size() && (buf_[skip] == '\r' || buf_[skip] == '\n')) ++skip;
        buf_.erase(0, skip);
        if (!buf_.empty()) break;
        if (fill(kIdleMs) != Fill::more) return ReadResult::closed;
    }

    // Header section: up to the first empty line (CRLF CRLF, or bare LF LF).
    std::vector<std::string_view> lines;
    std::vector<std::pair<size_t, size_t>> spans;
    size_t pos = 0;
    size_t headEnd = 0;
    for (;;) {
        size_t nl;
        if (!findLineEnd(pos, nl)) {
            return buf_.size() > kMaxHeadBytes ? ReadResult::headTooLarge
                                               : (pos == 0 ? ReadResult::closed : ReadResult::bad);
        }
        size_t len = nl - pos;
        if (len > 0 && buf_[nl - 1] == '\r') --len;
        if (len == 0) {
            headEnd = nl + 1;
            break;
        }
        spans.emplace_back(pos, len);
        pos = nl + 1;
        if (pos > kMaxHeadBytes) return ReadResult::headTooLarge;
    }
    for (auto [s, l] : spans) lines.emplace_back(buf_.data() + s, l);

    // Request line: exactly "METHOD SP target SP HTTP/x.y".
    std::string_view requestLine = lines.front();
    size_t sp1 = requestLine.find(' ');
    size_t sp2 = sp1 == std::string_view::npos ? sp1 : requestLine.find(' ', sp1 + 1);
    if (sp1 == std::string_view::npos || sp2 == std::string_view::npos ||
        requestLine.find(' ', sp2 + 1) != std::string_view::npos || sp1 == 0 || sp2 == sp1 + 1) {
        return ReadResult::bad;
    }
    out = Request();
    out.method = std::string(requestLine.substr(0, sp1));
    out.target = std::string(requestLine.substr(sp1 + 1, sp2 - sp1 - 1));
    out.version = std::string(requestLine.substr(sp2 + 1));
    if (out.version.rfind("HTTP/", 0) != 0) return ReadResult::bad;

    std::string connection;
    std::string transferEncoding;
    std::string expect;
    bool haveLength = false;
    uint64_t contentLength = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) return ReadResult::bad;
        std::string name = lower(line.substr(0, colon));
        std::string_view value = trim(line.substr(colon + 1));
        if (name == "content-length") {
            uint64_t n;
            if (!parseDecimal(value, n) || (haveLength && n != contentLength)) return ReadResult::bad;
            haveLength = true;
            contentLength = n;
        } else if (name == "transfer-encoding") {
            if (!transferEncoding.empty()) transferEncoding += ",";
            transferEncoding += std::string(value);
        } else if (name == "connection") {
            if (!connection.empty()) connection += ",";
            connection += std::string(value);
        } else if (name == "expect") {
            expect = std::string(value);
        } else if (name == "host" && out.host.empty()) {
            out.host = std::string(value);
        }
    }
    std::string hostHeader = out.host;
    splitTarget(out);
    if (out.host.empty()) out.host = hostHeader;

    if (out.version == "HTTP/1.0") {
        out.keepAlive = hasToken(connection, "keep-alive");
    } else {
        out.keepAlive = !hasToken(connection, "close");
    }

    const bool chunked = !transferEncoding.empty();
    if (chunked && !lastTokenIs(transferEncoding, "chunked")) return ReadResult::bad;
    if (!chunked && contentLength > kMaxBodyBytes) return ReadResult::bodyTooLarge;
    // A body framed by both headers is a smuggling shape: honour the chunks,
    // then close rather than trust what follows.
    if (chunked && haveLength) out.keepAlive = false;

    const bool bodyFollows = chunked || contentLength > 0;
    if (bodyFollows && out.version == "HTTP/1.1" && lower(expect) == "100-continue" &&
        buf_.size() == headEnd) {
        if (!sendAll("HTTP/1.1 100 Continue\r\n\r\n")) return ReadResult::closed;
    }

    size_t end = headEnd;
    if (chunked) {
        uint64_t total = 0;
        size_t at = headEnd;
        for (;;) {
            size_t nl;
            if (!findLineEnd(at, nl)) return ReadResult::bad;
            std::string_view sizeLine(buf_.data() + at, nl - at);
            size_t semi = sizeLine.find(';');
            if (semi != std::string_view::npos) sizeLine = sizeLine.substr(0, semi);
            uint64_t size;
            if (!parseHex(trim(sizeLine), size)) return ReadResult::bad;
            at = nl + 1;
            if (size == 0) {
                // Trailer lines up to the empty line.
                for (;;) {
                    if (!findLineEnd(at, nl)) return ReadResult::bad;
                    size_t len = nl - at;
                    at = nl + 1;
                    if (len == 0 || (len == 1 && buf_[nl - 1] == '\r')) break;
                }
                break;
            }
            total += size;
            if (total > kMaxBodyBytes) return ReadResult::bodyTooLarge;
            if (!ensure(at + size + 1)) return ReadResult::bad;
            at += size;
            if (buf_[at] == '\r') {
                if (!ensure(at + 2)) return ReadResult::bad;
                ++at;
            }
            if (buf_[at] != '\n') return ReadResult::bad;
            ++at;
        }
        end = at;
    } else if (contentLength > 0) {
        end = headEnd + contentLength;
        if (!ensure(end)) return ReadResult::closed;
    }

    out.raw = buf_.substr(0, end);
    buf_.erase(0, end);
    return ReadResult::ok;
}

bool Connection::sendAll(std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool Connection::pause(int ms) {
    using clock = std::chrono::steady_clock;
    const auto until = clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - clock::now()).count();
        if (left <= 0) return true;
        pollfd p{fd_, POLLRDHUP, 0};
        int n = ::poll(&p, 1, static_cast<int>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL))) return false;
    }
}

void Connection::holdUntilGone(int ms) {
    using clock = std::chrono::steady_clock;
    const auto until = clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - clock::now()).count();
        if (left <= 0) return;
        Fill f = fill(static_cast<int>(left));
        if (f == Fill::gone) return;
        // Nothing sent by the client is ever answered; don't let it pile up.
        buf_.clear();
    }
}

}  // namespace standin
