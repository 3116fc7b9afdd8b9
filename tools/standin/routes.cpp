#include "routes.h"

#include "pages.h"
#include "percent.h"

namespace standin {

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr const char* kGbkHtml = "text/html; charset=gb2312";
constexpr const char* kBinary = "application/octet-stream";

bool startsWith(const std::string& s, std::string_view prefix) { return s.rfind(prefix, 0) == 0; }

Reply noteRoute(const Request& req, const Context& ctx) {
    const std::string key =
        percentDecode(std::string_view(req.path).substr(std::string_view(kNotePrefix).size()));
    const Note* note = ctx.notes.byKey(key);
    if (!note) return simpleReply(404, kJson, R"({"error":"note not found"})");
    if (queryValue(parseQuery(req.query), "cstk") != ctx.token) {
        return simpleReply(403, kJson, R"({"error":"bad token"})");
    }
    return simpleReply(200, kJson, noteReplyBody(note->fileId, note->title));
}

Reply fileRoute(const Request& req, const Context& ctx) {
    const std::string fileId =
        percentDecode(std::string_view(req.path).substr(std::string_view(kFilePrefix).size()));
    const std::string key = queryValue(parseQuery(req.query), "shareKey");
    const Note* note = ctx.notes.byFile(fileId, key);
    if (!note) return simpleReply(404, kJson, R"({"error":"file not found"})");
    Reply r;
    r.type = kBinary;
    r.body = fileBody(note->file);
    if (!r.body) return simpleReply(500, kJson, R"({"error":"file unreadable"})");
    return r;
}

}  // namespace

std::string noteReplyBody(const std::string& fileId, const std::string& title) {
    return R"({"pp":")" + fileId + R"(","tl":")" + title + R"("})";
}

bool hasNormalRoute(const std::string& path) {
    return startsWith(path, kNotePrefix) || startsWith(path, kFilePrefix) || path == "/count1/count.asp" ||
           path == "/ic.asp" || path == "/generate_204" || startsWith(path, "/echo");
}

Reply normalReply(const Request& req, const Context& ctx) {
    if (startsWith(req.path, kNotePrefix)) return noteRoute(req, ctx);
    if (startsWith(req.path, kFilePrefix)) return fileRoute(req, ctx);
    if (req.path == "/count1/count.asp") return simpleReply(200, kGbkHtml, std::string(counterPage()));
    if (req.path == "/ic.asp") return simpleReply(200, kGbkHtml, std::string(ipLookupPage()));
    if (req.path == "/generate_204") return simpleReply(204, "", "");
    if (startsWith(req.path, "/echo")) return simpleReply(200, kBinary, req.raw);
    return simpleReply(404, "text/plain; charset=utf-8", "not found");
}

}  // namespace standin
