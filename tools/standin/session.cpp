#include "session.h"

#include <algorithm>
#include <cstdio>

#include "percent.h"

namespace standin {

namespace {

// `silent` holds a connection at most this long.
constexpr int kSilentMs = 10 * 60 * 1000;
constexpr size_t kPiece = 64 * 1024;
constexpr uint64_t kDefaultChunk = 1024;
constexpr const char* kControlPrefix = "/_standin/";

bool sendBody(Connection& conn, BodySource& body, uint64_t limit) {
    char buf[kPiece];
    while (limit > 0) {
        size_t n = body.read(buf, static_cast<size_t>(std::min<uint64_t>(kPiece, limit)));
        if (n == 0) break;
        if (!conn.sendAll(std::string_view(buf, n))) return false;
        limit -= n;
    }
    return true;
}

bool sendChunked(Connection& conn, BodySource& body, uint64_t chunk) {
    std::string piece;
    char sizeLine[32];
    for (;;) {
        piece.resize(static_cast<size_t>(std::min<uint64_t>(chunk, 16 * kPiece)));
        size_t n = body.read(piece.data(), piece.size());
        if (n == 0) break;
        std::snprintf(sizeLine, sizeof sizeLine, "%zx\r\n", n);
        if (!conn.sendAll(sizeLine) || !conn.sendAll(std::string_view(piece.data(), n)) ||
            !conn.sendAll("\r\n")) {
            return false;
        }
    }
    return conn.sendAll("0\r\n\r\n");
}

// Filler header lines, CRLF included, adding up to exactly `total` bytes
// (one 16-byte line when less is asked for).
void addPadding(std::vector<std::string>& extra, uint64_t total) {
    constexpr uint64_t kMinLine = 16;  // "X-Pad-000001: " + CRLF
    constexpr uint64_t kMaxLine = 1000;
    uint64_t left = std::max(total, kMinLine);
    for (int n = 1; left > 0; ++n) {
        uint64_t len = std::min(left, kMaxLine);
        if (left - len > 0 && left - len < kMinLine) len = left - kMinLine;
        char name[32];
        std::snprintf(name, sizeof name, "X-Pad-%06d: ", n);
        extra.push_back(std::string(name) + std::string(static_cast<size_t>(len - kMinLine), 'x'));
        left -= len;
    }
}

std::string headOf(const Reply& r, bool chunked, bool keepAlive) {
    std::string head = "HTTP/1.1 " + std::to_string(r.status) + " " + reasonPhrase(r.status) + "\r\n";
    if (!r.type.empty()) head += "Content-Type: " + r.type + "\r\n";
    if (chunked) {
        head += "Transfer-Encoding: chunked\r\n";
    } else if (statusHasBody(r.status)) {
        head += "Content-Length: " + std::to_string(r.bodySize()) + "\r\n";
    }
    for (const std::string& line : r.extra) head += line + "\r\n";
    if (!keepAlive) head += "Connection: close\r\n";
    head += "\r\n";
    return head;
}

Reply controlReply(const Request& req, Context& ctx) {
    const std::string what = req.path.substr(std::string_view(kControlPrefix).size());
    const auto query = parseQuery(req.query);
    if (what == "reset") {
        ctx.state.reset();
        return simpleReply(200, "text/plain", "ok");
    }
    if (what == "override") {
        std::string path;
        Override o;
        std::string error;
        if (!parseOverride(query, path, o, error)) return simpleReply(400, "text/plain", error);
        ctx.state.setOverride(path, std::move(o));
        return simpleReply(200, "text/plain", "ok");
    }
    if (what == "log")
        return simpleReply(200, "application/octet-stream", ctx.state.lastRequest(queryValue(query, "path")));
    if (what == "count")
        return simpleReply(200, "text/plain", std::to_string(ctx.state.count(queryValue(query, "path"))));
    return simpleReply(404, "text/plain", "unknown control route");
}

// The URL a request was made for, for a redirect back to it.
std::string selfUrl(const Request& req) {
    if (!req.target.empty() && req.target.front() != '/') return req.target;
    return "http://" + (req.host.empty() ? std::string("127.0.0.1") : req.host) + req.target;
}

Reply overriddenReply(const Request& req, const Context& ctx, const Override& o) {
    Reply r;
    // A made-up path has no normal reply to decorate: start from 200 and an empty body.
    if (o.canned() || !hasNormalRoute(req.path)) {
        r.status = o.status.value_or(200);
        if (o.title) {
            const Note* note = nullptr;
            if (req.path.rfind(kNotePrefix, 0) == 0) {
                note = ctx.notes.byKey(
                    percentDecode(std::string_view(req.path).substr(std::string_view(kNotePrefix).size())));
            }
            r.type = o.type.value_or("application/json; charset=utf-8");
            r.body = stringBody(noteReplyBody(note ? note->fileId : kUnknownFileId, *o.title));
        } else {
            r.type = o.type.value_or("application/octet-stream");
            r.body = stringBody(o.body.value_or(""));
        }
    } else {
        r = normalReply(req, ctx);
    }
    for (const std::string& c : o.cookies) r.extra.push_back("Set-Cookie: " + c);
    for (const std::string& h : o.headers) r.extra.push_back(h);
    switch (o.mode) {
        case Mode::redirect:
            r.status = o.code;
            r.extra.push_back("Location: " + o.to);
            if (!o.body) r.body = stringBody("");
            break;
        case Mode::redirectloop:
            r.status = 302;
            r.extra.push_back("Location: " + selfUrl(req));
            r.body = stringBody("");
            break;
        case Mode::hugebody:
            r.body = generatedBody(o.size);
            break;
        case Mode::bigheaders:
            addPadding(r.extra, o.size);
            break;
        default:
            break;
    }
    return r;
}

// Answers one request; false when the connection must end.
bool answer(Connection& conn, const Request& req, Context& ctx) {
    if (req.path.rfind(kControlPrefix, 0) == 0) {
        Reply r = controlReply(req, ctx);
        if (!conn.sendAll(headOf(r, false, req.keepAlive))) return false;
        if (!req.isHead() && r.body && !sendBody(conn, *r.body, r.bodySize())) return false;
        return req.keepAlive;
    }

    ctx.state.record(req.path, req.raw);
    const std::optional<Override> o = ctx.state.overrideFor(req.path);
    const Mode mode = o ? o->mode : Mode::none;
    switch (mode) {
        case Mode::close:
            return false;
        case Mode::silent:
            conn.holdUntilGone(kSilentMs);
            return false;
        case Mode::garbage:
            conn.sendAll(o->body.value_or(""));
            return false;
        default:
            break;
    }

    Reply r = o ? overriddenReply(req, ctx, *o) : normalReply(req, ctx);
    const bool chunked = mode == Mode::chunked && statusHasBody(r.status);
    const bool keepAlive = req.keepAlive && mode != Mode::cut;
    if (!conn.sendAll(headOf(r, chunked, keepAlive))) return false;
    if (req.isHead() || !statusHasBody(r.status) || !r.body) return keepAlive;

    const uint64_t size = r.bodySize();
    switch (mode) {
        case Mode::stall:
            if (!sendBody(conn, *r.body, std::min(o->after, size))) return false;
            if (!conn.pause(o->ms)) return false;
            if (!sendBody(conn, *r.body, size)) return false;
            break;
        case Mode::cut:
            sendBody(conn, *r.body, std::min(o->after, size));
            return false;
        case Mode::chunked:
            if (!sendChunked(conn, *r.body, o->after > 0 ? o->after : kDefaultChunk)) return false;
            break;
        default:
            if (!sendBody(conn, *r.body, size)) return false;
            break;
    }
    return keepAlive;
}

}  // namespace

void serveConnection(int fd, Context& ctx) {
    Connection conn(fd);
    for (;;) {
        Request req;
        switch (conn.readRequest(req)) {
            case ReadResult::ok:
                break;
            case ReadResult::closed:
                return;
            case ReadResult::bad:
                conn.sendAll(headOf(simpleReply(400, "text/plain", ""), false, false));
                return;
            case ReadResult::headTooLarge:
                conn.sendAll(headOf(simpleReply(431, "text/plain", ""), false, false));
                return;
            case ReadResult::bodyTooLarge:
                conn.sendAll(headOf(simpleReply(413, "text/plain", ""), false, false));
                return;
        }
        if (!answer(conn, req, ctx)) return;
    }
}

}  // namespace standin
